// The entry points of tovak.dll.
#include <windows.h>

#include "server/class_table.h"
#include "server/server_module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        serverModule().Init(instance, moduleClassTable());
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Only on FreeLibrary: at process exit (reserved not null) the other DLLs may
        // already be gone and the loader lock is held, so the cached class object and
        // the type information are not released into COM and oleaut32 then; the system
        // takes back the whole process.
        serverModule().Term();
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return serverModule().lockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return serverModule().GetClassObject(clsid, iid, out);
}

extern "C" HRESULT WINAPI DllRegisterServer() { return serverModule().RegisterServer(); }

extern "C" HRESULT WINAPI DllUnregisterServer() { return serverModule().UnregisterServer(); }

// "regsvr32 /n /i:user tovak.dll" installs for the current user alone.
extern "C" HRESULT WINAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    return serverModule().Install(install != FALSE, commandLine);
}
