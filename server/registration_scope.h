// Whom a registration serves: the whole machine (the classes under HKEY_CLASSES_ROOT, as
// DllRegisterServer writes them) or the current user alone (the classes under
// HKEY_CURRENT_USER\Software\Classes, as "regsvr32 /n /i:user" asks through DllInstall).
#pragma once

enum class RegistrationScope { Machine, User };

// The scope that a DllInstall command line names: a null or empty line the machine,
// "user" in any case the current user. False for any other line.
bool registrationScopeOf(const char16_t* commandLine, RegistrationScope& scope);
