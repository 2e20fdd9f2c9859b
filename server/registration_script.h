// Applies one of the module's registry scripts (resource type "REGISTRY") in register or
// unregister mode, with the module's short path as the variable "Module". For the
// current user alone, the script's HKCR stands for HKEY_CURRENT_USER\Software\Classes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "registry_script/registry_script_interpreter.h"
#include "registry_script/task_memory.h"
#include "server/registration_scope.h"

struct RegistrationSubstitution {
    const wchar_t* name;  // null ends a list
    const wchar_t* value;
};

// Applies through `interpreter` the script held as resource (resourceType, resourceId) in
// the module file `moduleFile`, loaded as a data file; the script's text is copied into
// `memory` for the time it is applied.
HRESULT applyScriptResource(RegistryScriptInterpreter& interpreter, TaskMemory& memory,
                            const char16_t* moduleFile, std::uint16_t resourceId,
                            const char16_t* resourceType, bool registering);

HRESULT applyRegistrationResource(UINT resourceId, bool registering,
                                  const RegistrationSubstitution* extraSubstitutions,
                                  RegistrationScope scope = RegistrationScope::Machine);
