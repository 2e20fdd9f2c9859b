// The top of tovak.dll: the classes it serves and its entry points. Each entry point
// runs behind the module's exception boundary.
#include <windows.h>

#include "common/exception_boundary.h"
#include "extension/module_icons.h"
#include "halvint.h"
#include "resources/resource_ids.h"
#include "server/class_factory.h"
#include "server/class_table.h"
#include "server/context_menu_handler.h"
#include "server/explorer_command.h"
#include "server/registration_script.h"
#include "server/server_module.h"

namespace {

HRESULT registerGotoList(bool registering, RegistrationScope scope) {
    // The interpreter supplies the module's path itself.
    return applyRegistrationResource(IDR_GOTOLIST_SCRIPT, registering, nullptr, scope);
}

}  // namespace

ClassEntry* moduleClassTable() {
    static ClassEntry table[] = {
        {&CLSID_GotoList, registerGotoList, ClassFactory::Create, ContextMenuHandler::Create,
         nullptr},
        // The package that shows the commands registers them (com:SurrogateServer).
        {&CLSID_CopyNamesCommand, nullptr, ClassFactory::Create, ExplorerCommand::CreateCopyNames,
         nullptr},
        {&CLSID_CopyPathsCommand, nullptr, ClassFactory::Create, ExplorerCommand::CreateCopyPaths,
         nullptr},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    return table;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    return entryBoundary(TRUE, [&] {
        if (reason == DLL_PROCESS_ATTACH) {
            serverModule().Init(instance, moduleClassTable());
            DisableThreadLibraryCalls(instance);
        } else if (reason == DLL_PROCESS_DETACH && !reserved) {
            // Only on FreeLibrary: at process exit (reserved not null) the other DLLs may
            // already be gone and the loader lock is held, so the cached class object and
            // the type information are not released into COM and oleaut32 then; the
            // system takes back the whole process.
            serverModule().Term();
            releaseModuleIcons();
        }
        return TRUE;
    });
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return comBoundary([] { return serverModule().LockCount() == 0 ? S_OK : S_FALSE; });
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return comBoundary([&] { return serverModule().GetClassObject(clsid, iid, out); });
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    return comBoundary([] { return serverModule().RegisterServer(); });
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    return comBoundary([] { return serverModule().UnregisterServer(); });
}

// "regsvr32 /n /i:user tovak.dll" installs for the current user alone.
extern "C" HRESULT WINAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    return comBoundary([&] { return serverModule().Install(install != FALSE, commandLine); });
}
