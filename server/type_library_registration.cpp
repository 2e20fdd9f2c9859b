#include "server/type_library_registration.h"

#include <string>

#include "common/code_page.h"
#include "server/type_library_path.h"

namespace {

using UnRegisterTypeLibFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
using RegisterTypeLibFunction = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);

// A counted reference held for one operation.
class TypeLibReference {
public:
    TypeLibReference() = default;
    ~TypeLibReference() {
        if (typeLib_) typeLib_->Release();
    }
    TypeLibReference(const TypeLibReference&) = delete;
    TypeLibReference& operator=(const TypeLibReference&) = delete;

    ITypeLib** out() { return &typeLib_; }
    ITypeLib* get() const { return typeLib_; }

private:
    ITypeLib* typeLib_ = nullptr;
};

class BstrHolder {
public:
    BstrHolder() = default;
    ~BstrHolder() { SysFreeString(text_); }
    BstrHolder(const BstrHolder&) = delete;
    BstrHolder& operator=(const BstrHolder&) = delete;

    BSTR* out() { return &text_; }
    BSTR get() const { return text_; }

private:
    BSTR text_ = nullptr;
};

class LibraryHolder {
public:
    explicit LibraryHolder(const char* name) : module_(LoadLibraryA(name)) {}
    ~LibraryHolder() {
        if (module_) FreeLibrary(module_);
    }
    LibraryHolder(const LibraryHolder&) = delete;
    LibraryHolder& operator=(const LibraryHolder&) = delete;

    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

HRESULT lastErrorResult() {
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// LoadTypeLib of an ANSI path; the UTF-16 form that was tried goes to `widePath`.
HRESULT loadTypeLibAt(const std::string& path, std::u16string& widePath, ITypeLib** typeLib) {
    if (!ansiCodePage().toWide(path, widePath)) return E_OUTOFMEMORY;
    return LoadTypeLib(reinterpret_cast<const OLECHAR*>(widePath.c_str()), typeLib);
}

}  // namespace

HRESULT LoadModuleTypeLib(HMODULE module, BSTR* loadedPath, ITypeLib** typeLib) {
    if (loadedPath) *loadedPath = nullptr;
    if (typeLib) *typeLib = nullptr;
    if (!loadedPath || !typeLib) return E_POINTER;

    // Room for MAX_PATH characters and the ".tlb" ending beyond them.
    char modulePath[MAX_PATH + 10] = {};
    const DWORD length = GetModuleFileNameA(module, modulePath, MAX_PATH);
    if (length == 0) return lastErrorResult();
    modulePath[length < MAX_PATH ? length : MAX_PATH - 1] = '\0';

    std::u16string widePath;
    ITypeLib* loaded = nullptr;
    HRESULT hr = loadTypeLibAt(modulePath, widePath, &loaded);
    if (FAILED(hr)) {
        hr = loadTypeLibAt(typeLibFallbackPath(modulePath, ansiCodePage()), widePath, &loaded);
        if (FAILED(hr)) return hr;
    }
    BSTR path = SysAllocString(reinterpret_cast<const OLECHAR*>(widePath.c_str()));
    if (!path) {
        loaded->Release();
        return E_OUTOFMEMORY;
    }
    *loadedPath = path;
    *typeLib = loaded;
    return hr;
}

namespace {

// Loads the module's type library and registers it through `registerTypeLib`.
HRESULT registerWith(HMODULE module, RegisterTypeLibFunction registerTypeLib) {
    BstrHolder path;
    TypeLibReference typeLib;
    const HRESULT hr = LoadModuleTypeLib(module, path.out(), typeLib.out());
    if (FAILED(hr)) return hr;
    const auto* wide = reinterpret_cast<const char16_t*>(path.get());
    std::u16string helpDirectory = typeLibHelpDirectory(std::u16string(wide));
    return registerTypeLib(typeLib.get(), path.get(),
                           reinterpret_cast<OLECHAR*>(&helpDirectory[0]));
}

}  // namespace

HRESULT RegisterModuleTypeLib(HMODULE module, RegistrationScope scope) {
    if (scope == RegistrationScope::Machine) return registerWith(module, RegisterTypeLib);
    return registerModuleTypeLibThrough(module, "oleaut32.dll", "RegisterTypeLibForUser");
}

HRESULT registerModuleTypeLibThrough(HMODULE module, const char* libraryName,
                                     const char* functionName) {
    LibraryHolder library(libraryName);
    if (!library.get()) return lastErrorResult();
    auto registerTypeLib = reinterpret_cast<RegisterTypeLibFunction>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), functionName)));
    if (!registerTypeLib) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    return registerWith(module, registerTypeLib);
}

HRESULT UnregisterModuleTypeLib(HMODULE module, RegistrationScope scope) {
    return unregisterModuleTypeLibThrough(
        module, "oleaut32.dll",
        scope == RegistrationScope::Machine ? "UnRegisterTypeLib" : "UnRegisterTypeLibForUser");
}

HRESULT unregisterModuleTypeLibThrough(HMODULE module, const char* libraryName,
                                       const char* functionName) {
    BstrHolder path;
    TypeLibReference typeLib;
    const HRESULT hr = LoadModuleTypeLib(module, path.out(), typeLib.out());
    if (FAILED(hr)) return hr;
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(typeLib.get()->GetLibAttr(&attributes)) && attributes) {
        LibraryHolder library(libraryName);
        if (library.get()) {
            auto unregister = reinterpret_cast<UnRegisterTypeLibFunction>(
                reinterpret_cast<void*>(GetProcAddress(library.get(), functionName)));
            if (unregister) {
                unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                           attributes->lcid, attributes->syskind);
            }
        }
        typeLib.get()->ReleaseTLibAttr(attributes);
    }
    return hr;
}
