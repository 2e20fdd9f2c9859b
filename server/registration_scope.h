// Whom a registration serves: the whole machine (the classes under HKEY_CLASSES_ROOT, as
// DllRegisterServer writes them) or the current user alone (the classes under
// HKEY_CURRENT_USER\Software\Classes, as "regsvr32 /n /i:user" asks through DllInstall),
// and the registry through which a class's script, whose root is HKCR, writes for the
// current user.
#pragma once

#include "registry_script/registry_access.h"

enum class RegistrationScope { Machine, User };

// The scope that a DllInstall command line names: a null or empty line the machine,
// "user" in any case the current user. False for any other line.
bool registrationScopeOf(const char16_t* commandLine, RegistrationScope& scope);

// A registry in which HKEY_CLASSES_ROOT stands for another key: registering for the
// current user alone runs the class's registry script against
// HKEY_CURRENT_USER\Software\Classes. Every other key passes through unchanged.
class ClassesRootRedirect final : public RegistryAccess {
public:
    // `classesRoot` stays open, and is closed by its owner, while this is in use.
    ClassesRootRedirect(RegistryAccess& registry, RegistryKey classesRoot)
        : registry_(registry), classesRoot_(classesRoot) {}

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

private:
    RegistryKey map(RegistryKey key) const { return key == kClassesRoot ? classesRoot_ : key; }

    RegistryAccess& registry_;
    RegistryKey classesRoot_;
};
