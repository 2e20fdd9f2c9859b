// Loading a registry script from a module's resources, and the module's own
// registration: the script applied with the module's short path as "Module".
#include "server/registration_resource.h"

#include <cstring>
#include <new>
#include <string>

#include "common/code_page.h"
#include "server/classes_root_redirect.h"
#include "server/registry_script_interpreter.h"
#include "server/server_module.h"
#include "server/task_memory.h"
#include "server/win32_registry.h"

namespace {

// The thread's last error as an HRESULT; a failure that left none is still a failure.
HRESULT lastErrorResult() {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// A module loaded as a data file, freed with its scope.
class DataFileModule {
public:
    explicit DataFileModule(const char* path)
        : module_(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataFileModule() {
        if (module_) FreeLibrary(module_);
    }
    DataFileModule(const DataFileModule&) = delete;
    DataFileModule& operator=(const DataFileModule&) = delete;
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

// A path the platform wrote into a MAX_PATH buffer: refused when the call failed or the
// path did not fit, rather than used cut short.
HRESULT checkPathLength(DWORD length) {
    if (length == 0) return lastErrorResult();
    if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return S_OK;
}

}  // namespace

HRESULT RegistryScriptInterpreter::applyResource(const char16_t* moduleFile,
                                                 std::uint16_t resourceId,
                                                 const char16_t* resourceType, bool registering) {
    if (!moduleFile || !resourceType) return E_POINTER;
    std::string file, type;
    try {
        if (!codePage_.fromWide(std::u16string(moduleFile), file) ||
            !codePage_.fromWide(std::u16string(resourceType), type)) {
            return E_OUTOFMEMORY;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }

    const DataFileModule module(file.c_str());
    if (!module.get()) return lastErrorResult();
    HRSRC found = FindResourceA(module.get(), MAKEINTRESOURCEA(resourceId), type.c_str());
    if (!found) return lastErrorResult();
    HGLOBAL loaded = LoadResource(module.get(), found);
    if (!loaded) return lastErrorResult();
    const DWORD size = SizeofResource(module.get(), found);
    const void* bytes = LockResource(loaded);
    if (!bytes) return lastErrorResult();

    // The script is the resource's bytes followed by a NUL.
    auto* script = static_cast<char*>(memory_.allocate(static_cast<std::size_t>(size) + 1));
    if (!script) return E_OUTOFMEMORY;
    std::memcpy(script, bytes, size);
    script[size] = '\0';
    const HRESULT hr = applyText(script, registering);
    memory_.release(script);
    return hr;
}

namespace {

// Applies the module's script `resourceId` against `registry`.
HRESULT applyModuleScript(RegistryAccess& registry, UINT resourceId, bool registering,
                          const RegistrationSubstitution* extraSubstitutions) {
    char longPath[MAX_PATH];
    HRESULT hr = checkPathLength(GetModuleFileNameA(serverModule().instance(), longPath, MAX_PATH));
    if (FAILED(hr)) return hr;
    char shortPath[MAX_PATH];
    hr = checkPathLength(GetShortPathNameA(longPath, shortPath, MAX_PATH));
    if (FAILED(hr)) return hr;

    const CodePage& codePage = ansiCodePage();
    RegistryScriptInterpreter interpreter(registry, codePage, processTaskMemory());
    std::u16string path, quoted;
    try {
        if (!codePage.toWide(std::string(shortPath), path)) return E_OUTOFMEMORY;
        // Inserted into quoted tokens, the path carries its single quotes doubled.
        for (char16_t c : path) {
            quoted += c;
            if (c == u'\'') quoted += c;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    hr = interpreter.substitutions().add(u"Module", quoted.c_str());
    for (const RegistrationSubstitution* pair = extraSubstitutions;
         SUCCEEDED(hr) && pair && pair->name; ++pair) {
        hr = interpreter.substitutions().add(reinterpret_cast<const char16_t*>(pair->name),
                                             reinterpret_cast<const char16_t*>(pair->value));
    }
    if (FAILED(hr)) return hr;
    return interpreter.applyResource(path.c_str(), static_cast<std::uint16_t>(resourceId),
                                     u"REGISTRY", registering);
}

}  // namespace

HRESULT applyRegistrationResource(UINT resourceId, bool registering,
                                  const RegistrationSubstitution* extraSubstitutions,
                                  RegistrationScope scope) {
    if (resourceId > 0xFFFF) return E_INVALIDARG;
    Win32Registry registry;
    if (scope == RegistrationScope::Machine) {
        return applyModuleScript(registry, resourceId, registering, extraSubstitutions);
    }
    // For the current user alone, the script's HKCR is the user's own classes key.
    RegistryKey userClasses = kNoRegistryKey;
    const long status = registry.createKey(kCurrentUser, "Software\\Classes",
                                           registry_access::kAllAccess, &userClasses);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    ClassesRootRedirect redirect(registry, userClasses);
    const HRESULT hr = applyModuleScript(redirect, resourceId, registering, extraSubstitutions);
    registry.closeKey(userClasses);
    return hr;
}
