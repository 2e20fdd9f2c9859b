// Loading a registry script from a module's resources, and the module's own
// registration: the script applied with the module's short path as "Module".
#include "server/registration_script.h"

#include <cstring>
#include <string>

#include "common/code_page.h"
#include "common/hresult.h"
#include "common/module_handle.h"
#include "common/module_path.h"
#include "server/server_module.h"
#include "server/registry_access_win32.h"

namespace {

// The short form of `path`, however long.
HRESULT shortPathOf(const std::u16string& path, std::u16string& shortPath) {
    const auto* longPath = reinterpret_cast<LPCWSTR>(path.c_str());
    DWORD size = GetShortPathNameW(longPath, nullptr, 0);
    while (size != 0) {
        shortPath.assign(size, u'\0');
        const DWORD length =
            GetShortPathNameW(longPath, reinterpret_cast<LPWSTR>(&shortPath[0]), size);
        if (length < size) {
            shortPath.resize(length);
            return length == 0 ? lastErrorResult() : S_OK;
        }
        size = length;  // the file was renamed meanwhile: try again with its new size
    }
    return lastErrorResult();
}

}  // namespace

HRESULT applyScriptResource(RegistryScriptInterpreter& interpreter, TaskMemory& memory,
                            const char16_t* moduleFile, std::uint16_t resourceId,
                            const char16_t* resourceType, bool registering) {
    if (!moduleFile || !resourceType) return E_POINTER;
    const ModuleHandle module(
        LoadLibraryExW(reinterpret_cast<LPCWSTR>(moduleFile), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module.Get()) return lastErrorResult();
    HRSRC found = FindResourceW(module.Get(), MAKEINTRESOURCEW(resourceId),
                                reinterpret_cast<LPCWSTR>(resourceType));
    if (!found) return lastErrorResult();
    HGLOBAL loaded = LoadResource(module.Get(), found);
    if (!loaded) return lastErrorResult();
    const DWORD size = SizeofResource(module.Get(), found);
    const void* bytes = LockResource(loaded);
    if (!bytes) return lastErrorResult();

    // The script is the resource's bytes followed by a NUL.
    auto* script = static_cast<char*>(memory.allocate(static_cast<std::size_t>(size) + 1));
    if (!script) return E_OUTOFMEMORY;
    std::memcpy(script, bytes, size);
    script[size] = '\0';
    const HRESULT hr = interpreter.applyText(script, registering);
    memory.release(script);
    return hr;
}

namespace {

// Applies the module's script `resourceId` against `registry`.
HRESULT applyModuleScript(RegistryAccess& registry, UINT resourceId, bool registering,
                          const RegistrationSubstitution* extraSubstitutions) {
    std::u16string longPath, path;
    HRESULT hr = modulePath(serverModule().Instance(), longPath);
    if (SUCCEEDED(hr)) hr = shortPathOf(longPath, path);
    // The script writes the path through the ANSI registry calls: a path that the code
    // page cannot represent is refused rather than written with substitutes.
    std::string ansi;
    if (SUCCEEDED(hr)) hr = ansiPath(path, ansi);
    if (FAILED(hr)) return hr;

    TaskMemory& memory = processTaskMemory();
    RegistryScriptInterpreter interpreter(registry, ansiCodePage(), memory);
    // Inserted into quoted tokens, the path carries its single quotes doubled.
    std::u16string quoted;
    for (char16_t c : path) {
        quoted += c;
        if (c == u'\'') quoted += c;
    }
    hr = interpreter.substitutions().add(u"Module", quoted.c_str());
    for (const RegistrationSubstitution* pair = extraSubstitutions;
         SUCCEEDED(hr) && pair && pair->name; ++pair) {
        hr = interpreter.substitutions().add(reinterpret_cast<const char16_t*>(pair->name),
                                             reinterpret_cast<const char16_t*>(pair->value));
    }
    if (FAILED(hr)) return hr;
    return applyScriptResource(interpreter, memory, path.c_str(),
                               static_cast<std::uint16_t>(resourceId), u"REGISTRY", registering);
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
