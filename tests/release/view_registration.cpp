// What registering a tovak.dll writes, made without running the DLL: its own registry
// script, read from the file as data, through the interpreter into one registry view,
// then its type library through RegisterTypeLib (UnRegisterTypeLib when unregistering),
// as regsvr32 of the DLL's architecture does. The installer tests derive the 32-bit
// DLL's registration this way where no 32-bit code can run, and check the way against
// regsvr32 with the 64-bit DLL.
//
//   view_registration register|unregister 32|64 <tovak.dll>
//
// Exit status 0, or 1 with the failing step's HRESULT on standard error.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/code_page.h"
#include "common/com_ref.h"
#include "registry_script/registry_script_interpreter.h"
#include "registry_script/task_memory.h"
#include "resources/resource_ids.h"
#include "server/registration_script.h"
#include "server/type_library_path.h"
#include "server/registry_access_win32.h"

namespace {

// The Win32 registry seen through one view: every key opened, made or deleted with it.
class ViewRegistry final : public RegistryAccess {
public:
    explicit ViewRegistry(REGSAM view) : view_(view) {}

    long openKey(RegistryKey parent, const char* name, std::uint32_t access,
                 RegistryKey* key) override {
        return registry_.openKey(parent, name, access | view_, key);
    }
    long createKey(RegistryKey parent, const char* name, std::uint32_t access,
                   RegistryKey* key) override {
        return registry_.createKey(parent, name, access | view_, key);
    }
    long closeKey(RegistryKey key) override { return registry_.closeKey(key); }
    long setValue(RegistryKey key, const char* name, std::uint32_t type, const unsigned char* data,
                  std::uint32_t size) override {
        return registry_.setValue(key, name, type, data, size);
    }
    long deleteKey(RegistryKey parent, const char* name) override {
        return RegDeleteKeyExA(reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(parent)), name,
                               view_, 0);
    }
    long deleteValue(RegistryKey key, const char* name) override {
        return registry_.deleteValue(key, name);
    }
    long enumKey(RegistryKey key, std::uint32_t index, char* name, std::uint32_t size) override {
        return registry_.enumKey(key, index, name, size);
    }
    long enumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t size) override {
        return registry_.enumValue(key, index, name, size);
    }
    long queryInfo(RegistryKey key, std::uint32_t* subKeys, std::uint32_t* values) override {
        return registry_.queryInfo(key, subKeys, values);
    }

private:
    Win32Registry registry_;
    REGSAM view_;
};

// The script, as the DLL applies it: "Module" is its short path, quotes doubled.
HRESULT applyScript(RegistryAccess& registry, const std::u16string& path, bool registering) {
    wchar_t shortPath[MAX_PATH];
    const DWORD length =
        GetShortPathNameW(reinterpret_cast<const wchar_t*>(path.c_str()), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return HRESULT_FROM_WIN32(GetLastError());
    const std::u16string module(reinterpret_cast<const char16_t*>(shortPath), length);
    std::u16string quoted;
    for (char16_t c : module) {
        quoted += c;
        if (c == u'\'') quoted += c;
    }
    TaskMemory& memory = processTaskMemory();
    RegistryScriptInterpreter interpreter(registry, ansiCodePage(), memory);
    const HRESULT hr = interpreter.substitutions().add(u"Module", quoted.c_str());
    if (FAILED(hr)) return hr;
    return applyScriptResource(interpreter, memory, module.c_str(), IDR_GOTOLIST_SCRIPT,
                               u"REGISTRY", registering);
}

// The type library, as the DLL registers it: under its path, its folder as help folder.
HRESULT applyTypeLibrary(const std::u16string& path, bool registering) {
    ComRef<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(reinterpret_cast<const OLECHAR*>(path.c_str()), REGKIND_NONE,
                               library.Receive());
    if (FAILED(hr)) return hr;
    if (registering) {
        std::u16string full = path, help = typeLibHelpDirectory(path);
        return RegisterTypeLib(library.Get(), reinterpret_cast<OLECHAR*>(&full[0]),
                               reinterpret_cast<OLECHAR*>(&help[0]));
    }
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (FAILED(hr)) return hr;
    UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                      attributes->lcid, attributes->syskind);
    library->ReleaseTLibAttr(attributes);
    return S_OK;  // unregistering reports no failure, as DllUnregisterServer
}

int fail(const char* step, HRESULT hr) {
    std::fprintf(stderr, "view_registration: %s failed: 0x%08lX\n", step,
                 static_cast<unsigned long>(hr));
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 || (std::wcscmp(argv[1], L"register") && std::wcscmp(argv[1], L"unregister")) ||
        (std::wcscmp(argv[2], L"32") && std::wcscmp(argv[2], L"64"))) {
        std::fprintf(stderr, "usage: view_registration register|unregister 32|64 <dll>\n");
        return 2;
    }
    const bool registering = std::wcscmp(argv[1], L"register") == 0;
    ViewRegistry registry(std::wcscmp(argv[2], L"32") == 0 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(argv[3], MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return fail("GetFullPathNameW", E_INVALIDARG);
    const std::u16string path(reinterpret_cast<const char16_t*>(full), length);
    HRESULT hr = applyScript(registry, path, registering);
    if (FAILED(hr) && registering) return fail("the registry script", hr);
    hr = applyTypeLibrary(path, registering);
    if (FAILED(hr)) return fail("the type library", hr);
    return 0;
}
