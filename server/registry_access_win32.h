// The Win32 registry behind the RegistryAccess seam, through the ANSI calls.
#pragma once

#include "registry_script/registry_access.h"

class Win32Registry final : public RegistryAccess {
public:
    long openKey(RegistryKey parent, const char* name, std::uint32_t access,
                 RegistryKey* key) override;
    long createKey(RegistryKey parent, const char* name, std::uint32_t access,
                   RegistryKey* key) override;
    long closeKey(RegistryKey key) override;
    long setValue(RegistryKey key, const char* name, std::uint32_t type, const unsigned char* data,
                  std::uint32_t size) override;
    long deleteKey(RegistryKey parent, const char* name) override;
    long deleteValue(RegistryKey key, const char* name) override;
    long enumKey(RegistryKey key, std::uint32_t index, char* name, std::uint32_t size) override;
    long enumValue(RegistryKey key, std::uint32_t index, char* name, std::uint32_t size) override;
    long queryInfo(RegistryKey key, std::uint32_t* subKeys, std::uint32_t* values) override;
};
