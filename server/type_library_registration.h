// Registration of the type library a module carries: embedded as resource TYPELIB 1,
// or else a ".tlb" file found by the module's path.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "server/registration_scope.h"

// Loads the type library of `module`. On success `loadedPath` receives the UTF-16 path
// that LoadTypeLib accepted and `typeLib` the library, both owned by the caller; on
// failure both are null and the error of the last LoadTypeLib is returned.
HRESULT LoadModuleTypeLib(HMODULE module, BSTR* loadedPath, ITypeLib** typeLib);

// Registers the type library of `module` with the directory of its path as the help
// directory: for the machine through RegisterTypeLib, for the current user through
// "RegisterTypeLibForUser", looked up in "oleaut32.dll" at run time (a system without it
// gives HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND) and registers nothing).
HRESULT RegisterModuleTypeLib(HMODULE module, RegistrationScope scope = RegistrationScope::Machine);

// Removes the registration of the type library of `module` through "UnRegisterTypeLib"
// (for the current user "UnRegisterTypeLibForUser"), which is looked up in
// "oleaut32.dll" at run time. Returns the result of the load: a registration that
// cannot be removed is left in place without an error.
HRESULT UnregisterModuleTypeLib(HMODULE module,
                                RegistrationScope scope = RegistrationScope::Machine);

// RegisterModuleTypeLib for the current user with the function `functionName` of
// `libraryName` in place of "RegisterTypeLibForUser" of "oleaut32.dll".
HRESULT registerModuleTypeLibWithFunction(HMODULE module, const char* libraryName,
                                          const char* functionName);

// UnregisterModuleTypeLib with the function `functionName` of `libraryName` in place of
// "UnRegisterTypeLib" of "oleaut32.dll".
HRESULT unregisterModuleTypeLibWithFunction(HMODULE module, const char* libraryName,
                                            const char* functionName);
