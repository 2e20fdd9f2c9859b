#include "server/type_library_registration.h"

#include <string>

#include "common/bstr_holder.h"
#include "common/com_ref.h"
#include "common/hresult.h"
#include "common/module_handle.h"
#include "common/module_path.h"
#include "server/type_library_path.h"

namespace {

using UnRegisterTypeLibFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
using RegisterTypeLibFunction = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);

// LoadTypeLib takes no path of MAX_PATH characters or more, and Wine's, asked with one,
// corrupted its caller's stack: such a path is refused before it is asked.
HRESULT loadTypeLibAt(const std::u16string& path, ITypeLib** typeLib) {
    if (path.size() >= MAX_PATH) return TYPE_E_CANTLOADLIBRARY;
    return LoadTypeLib(reinterpret_cast<const OLECHAR*>(path.c_str()), typeLib);
}

}  // namespace

HRESULT LoadModuleTypeLib(HMODULE module, BSTR* loadedPath, ITypeLib** typeLib) {
    if (loadedPath) *loadedPath = nullptr;
    if (typeLib) *typeLib = nullptr;
    if (!loadedPath || !typeLib) return E_POINTER;

    std::u16string path;
    HRESULT hr = modulePath(module, path);
    if (FAILED(hr)) return hr;
    ComRef<ITypeLib> loaded;
    hr = loadTypeLibAt(path, loaded.Receive());
    if (FAILED(hr)) {
        path = typeLibFallbackPath(path);
        hr = loadTypeLibAt(path, loaded.Receive());
        if (FAILED(hr)) return hr;
    }
    BSTR pathCopy = SysAllocString(reinterpret_cast<const OLECHAR*>(path.c_str()));
    if (!pathCopy) return E_OUTOFMEMORY;
    *loadedPath = pathCopy;
    *typeLib = loaded.Detach();
    return hr;
}

namespace {

// Loads the module's type library and registers it through `registerTypeLib`.
HRESULT registerWith(HMODULE module, RegisterTypeLibFunction registerTypeLib) {
    BstrHolder path;
    ComRef<ITypeLib> typeLib;
    const HRESULT hr = LoadModuleTypeLib(module, path.Receive(), typeLib.Receive());
    if (FAILED(hr)) return hr;
    const auto* wide = reinterpret_cast<const char16_t*>(path.Get());
    std::u16string helpDirectory = typeLibHelpDirectory(std::u16string(wide));
    return registerTypeLib(typeLib.Get(), path.Get(),
                           reinterpret_cast<OLECHAR*>(&helpDirectory[0]));
}

}  // namespace

HRESULT RegisterModuleTypeLib(HMODULE module, RegistrationScope scope) {
    if (scope == RegistrationScope::Machine) return registerWith(module, RegisterTypeLib);
    return registerModuleTypeLibWithFunction(module, "oleaut32.dll", "RegisterTypeLibForUser");
}

HRESULT registerModuleTypeLibWithFunction(HMODULE module, const char* libraryName,
                                          const char* functionName) {
    const ModuleHandle library(LoadLibraryA(libraryName));
    if (!library.Get()) return lastErrorResult();
    auto registerTypeLib = reinterpret_cast<RegisterTypeLibFunction>(
        reinterpret_cast<void*>(GetProcAddress(library.Get(), functionName)));
    if (!registerTypeLib) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    return registerWith(module, registerTypeLib);
}

HRESULT UnregisterModuleTypeLib(HMODULE module, RegistrationScope scope) {
    return unregisterModuleTypeLibWithFunction(
        module, "oleaut32.dll",
        scope == RegistrationScope::Machine ? "UnRegisterTypeLib" : "UnRegisterTypeLibForUser");
}

HRESULT unregisterModuleTypeLibWithFunction(HMODULE module, const char* libraryName,
                                            const char* functionName) {
    BstrHolder path;
    ComRef<ITypeLib> typeLib;
    const HRESULT hr = LoadModuleTypeLib(module, path.Receive(), typeLib.Receive());
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(typeLib->GetLibAttr(&attributes)) && attributes) {
        const ModuleHandle library(LoadLibraryA(libraryName));
        if (library.Get()) {
            auto unregister = reinterpret_cast<UnRegisterTypeLibFunction>(
                reinterpret_cast<void*>(GetProcAddress(library.Get(), functionName)));
            if (unregister) {
                unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                           attributes->lcid, attributes->syskind);
            }
        }
        typeLib->ReleaseTLibAttr(attributes);
    }
    return hr;
}
