// The module's class table: one row per COM class, ended by a row with a null CLSID. A
// row names a class, how it registers itself, and how its class object and instances
// are made.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "server/registration_scope.h"

// Makes one object of the class: standalone when `outer` is null, else aggregated.
using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID iid, void** out);

struct ClassEntry {
    const CLSID* clsid;
    HRESULT (*registerClass)(bool registering, RegistrationScope scope);
    HRESULT (*createClassObject)(InstanceCreator instanceCreator, REFIID iid, void** out);
    InstanceCreator createInstance;
    IUnknown* cachedClassObject;
};

// The classes tovak.dll serves; defined beside its entry points (dll_exports.cpp).
ClassEntry* moduleClassTable();
