// Applies one of the module's registry scripts (resource type "REGISTRY") in register or
// unregister mode, with the module's short path as the variable "Module". For the
// current user alone, the script's HKCR stands for HKEY_CURRENT_USER\Software\Classes.
#pragma once

#include <windows.h>

#include "server/registration_scope.h"

struct RegistrationSubstitution {
    const wchar_t* name;  // null ends a list
    const wchar_t* value;
};

HRESULT applyRegistrationResource(UINT resourceId, bool registering,
                                  const RegistrationSubstitution* extraSubstitutions,
                                  RegistrationScope scope = RegistrationScope::Machine);
