#include "server/registry_access_win32.h"

#include <windows.h>

namespace {

// RegistryKey holds the HKEY's bits; the predefined keys are defined with the same
// sign extension as the platform's, so they convert unchanged.
HKEY toHkey(RegistryKey key) { return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key)); }

RegistryKey fromHkey(HKEY key) {
    return static_cast<RegistryKey>(reinterpret_cast<std::uintptr_t>(key));
}

static_assert(sizeof(RegistryKey) == sizeof(HKEY), "a registry key holds an HKEY");

}  // namespace

long Win32Registry::openKey(RegistryKey parent, const char* name, std::uint32_t access,
                            RegistryKey* key) {
    if (!key) return ERROR_INVALID_PARAMETER;
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(toHkey(parent), name, 0, access, &opened);
    *key = result == ERROR_SUCCESS ? fromHkey(opened) : kNoRegistryKey;
    return result;
}

long Win32Registry::createKey(RegistryKey parent, const char* name, std::uint32_t access,
                              RegistryKey* key) {
    if (!key) return ERROR_INVALID_PARAMETER;
    HKEY created = nullptr;
    const LONG result = RegCreateKeyExA(toHkey(parent), name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        access, nullptr, &created, nullptr);
    *key = result == ERROR_SUCCESS ? fromHkey(created) : kNoRegistryKey;
    return result;
}

long Win32Registry::closeKey(RegistryKey key) { return RegCloseKey(toHkey(key)); }

long Win32Registry::setValue(RegistryKey key, const char* name, std::uint32_t type,
                             const unsigned char* data, std::uint32_t size) {
    return RegSetValueExA(toHkey(key), name, 0, type, data, size);
}

long Win32Registry::deleteKey(RegistryKey parent, const char* name) {
    return RegDeleteKeyA(toHkey(parent), name);
}

long Win32Registry::deleteValue(RegistryKey key, const char* name) {
    return RegDeleteValueA(toHkey(key), name);
}

long Win32Registry::enumKey(RegistryKey key, std::uint32_t index, char* name, std::uint32_t size) {
    DWORD length = size;
    return RegEnumKeyExA(toHkey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
}

long Win32Registry::enumValue(RegistryKey key, std::uint32_t index, char* name,
                              std::uint32_t size) {
    DWORD length = size;
    return RegEnumValueA(toHkey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
}

long Win32Registry::queryInfo(RegistryKey key, std::uint32_t* subKeys, std::uint32_t* values) {
    DWORD keys = 0, valueCount = 0;
    const LONG result = RegQueryInfoKeyA(toHkey(key), nullptr, nullptr, nullptr, &keys, nullptr,
                                         nullptr, &valueCount, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_SUCCESS) {
        if (subKeys) *subKeys = keys;
        if (values) *values = valueCount;
    }
    return result;
}
