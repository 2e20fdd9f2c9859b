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
