#include "server/registration_scope.h"

bool registrationScopeOf(const char16_t* commandLine, RegistrationScope& scope) {
    if (!commandLine || !*commandLine) {
        scope = RegistrationScope::Machine;
        return true;
    }
    static const char16_t kUser[] = u"user";
    const char16_t* c = commandLine;
    for (const char16_t* expected = kUser; *expected; ++expected, ++c) {
        const char16_t lower = (*c >= u'A' && *c <= u'Z') ? static_cast<char16_t>(*c + 32) : *c;
        if (lower != *expected) return false;
    }
    if (*c) return false;
    scope = RegistrationScope::User;
    return true;
}

long ClassesRootRedirect::openKey(RegistryKey parent, const char* name, std::uint32_t access,
                                  RegistryKey* key) {
    return registry_.openKey(map(parent), name, access, key);
}

long ClassesRootRedirect::createKey(RegistryKey parent, const char* name, std::uint32_t access,
                                    RegistryKey* key) {
    return registry_.createKey(map(parent), name, access, key);
}

// The stand-in for HKCR belongs to the caller; closing HKCR closes nothing, as for the
// predefined key itself.
long ClassesRootRedirect::closeKey(RegistryKey key) {
    return key == kClassesRoot ? registry_status::kSuccess : registry_.closeKey(key);
}

long ClassesRootRedirect::setValue(RegistryKey key, const char* name, std::uint32_t type,
                                   const unsigned char* data, std::uint32_t size) {
    return registry_.setValue(map(key), name, type, data, size);
}

long ClassesRootRedirect::deleteKey(RegistryKey parent, const char* name) {
    return registry_.deleteKey(map(parent), name);
}

long ClassesRootRedirect::deleteValue(RegistryKey key, const char* name) {
    return registry_.deleteValue(map(key), name);
}

long ClassesRootRedirect::enumKey(RegistryKey key, std::uint32_t index, char* name,
                                  std::uint32_t size) {
    return registry_.enumKey(map(key), index, name, size);
}

long ClassesRootRedirect::enumValue(RegistryKey key, std::uint32_t index, char* name,
                                    std::uint32_t size) {
    return registry_.enumValue(map(key), index, name, size);
}

long ClassesRootRedirect::queryInfo(RegistryKey key, std::uint32_t* subKeys,
                                    std::uint32_t* values) {
    return registry_.queryInfo(map(key), subKeys, values);
}
