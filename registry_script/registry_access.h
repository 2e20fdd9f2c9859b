// The registry as the registry script interpreter sees it: the few ANSI registry calls
// it makes, behind an interface, so the same logic runs against the Win32 registry and
// against an in-memory registry in tests. Status codes are Win32 error codes (0 is
// success); key handles are opaque, with the predefined root keys at their Win32
// values (0x80000000 and up, sign-extended to the pointer size as Windows does).
#pragma once

#include <cstdint>

enum class RegistryKey : std::uintptr_t {};

constexpr RegistryKey kNoRegistryKey{0};

constexpr RegistryKey predefinedRegistryKey(std::uint32_t value) {
    return static_cast<RegistryKey>(
        static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value))));
}

constexpr RegistryKey kClassesRoot = predefinedRegistryKey(0x80000000u);
constexpr RegistryKey kCurrentUser = predefinedRegistryKey(0x80000001u);
constexpr RegistryKey kLocalMachine = predefinedRegistryKey(0x80000002u);
constexpr RegistryKey kUsers = predefinedRegistryKey(0x80000003u);
constexpr RegistryKey kPerformanceData = predefinedRegistryKey(0x80000004u);
constexpr RegistryKey kCurrentConfig = predefinedRegistryKey(0x80000005u);
constexpr RegistryKey kDynData = predefinedRegistryKey(0x80000006u);

// Win32 status codes the callers look at or the in-memory registry reports.
namespace registry_status {
constexpr long kSuccess = 0;
constexpr long kFileNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kInvalidHandle = 6;
constexpr long kOutOfMemory = 14;
constexpr long kInvalidParameter = 87;
constexpr long kMoreData = 234;
constexpr long kNoMoreItems = 259;
constexpr long kKeyDeleted = 1018;
}  // namespace registry_status

// Access rights (REGSAM).
namespace registry_access {
constexpr std::uint32_t kQueryValue = 0x0001;
constexpr std::uint32_t kSetValue = 0x0002;
constexpr std::uint32_t kCreateSubKey = 0x0004;
constexpr std::uint32_t kEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kAllAccess = 0xF003F;
constexpr std::uint32_t kRead = 0x20019;
constexpr std::uint32_t kReadWrite = 0x2001F;  // KEY_READ | KEY_WRITE
}  // namespace registry_access

// Value types.
namespace registry_type {
constexpr std::uint32_t kString = 1;  // REG_SZ
constexpr std::uint32_t kBinary = 3;  // REG_BINARY
constexpr std::uint32_t kDword = 4;   // REG_DWORD
}  // namespace registry_type

class RegistryAccess {
public:
    virtual ~RegistryAccess() = default;

    // RegOpenKeyExA.
    virtual long openKey(RegistryKey parent, const char* name, std::uint32_t access,
                         RegistryKey* key) = 0;
    // RegCreateKeyExA: no class, REG_OPTION_NON_VOLATILE, default security.
    virtual long createKey(RegistryKey parent, const char* name, std::uint32_t access,
                           RegistryKey* key) = 0;
    // RegCloseKey.
    virtual long closeKey(RegistryKey key) = 0;
    // RegSetValueExA; a null name is the key's default value.
    virtual long setValue(RegistryKey key, const char* name, std::uint32_t type,
                          const unsigned char* data, std::uint32_t size) = 0;
    // RegDeleteKeyA: one key without subkeys, with its values.
    virtual long deleteKey(RegistryKey parent, const char* name) = 0;
    // RegDeleteValueA.
    virtual long deleteValue(RegistryKey key, const char* name) = 0;
    // RegEnumKeyExA / RegEnumValueA: the name at `index` into `name`, which holds
    // `size` bytes including the terminator.
    virtual long enumKey(RegistryKey key, std::uint32_t index, char* name, std::uint32_t size) = 0;
    virtual long enumValue(RegistryKey key, std::uint32_t index, char* name,
                           std::uint32_t size) = 0;
    // RegQueryInfoKeyA: the numbers of subkeys and of values.
    virtual long queryInfo(RegistryKey key, std::uint32_t* subKeys, std::uint32_t* values) = 0;
};
