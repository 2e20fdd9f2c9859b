// Exports of null_server.dll: the in-process server of the do-nothing handler.
#include <windows.h>

#include "bench/null_server/null_class_factory.h"
#include "bench/null_server/null_handler.h"
#include "bench/null_server/null_server_clsid.h"

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, kNullHandlerClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    return newNullClassFactory(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return nullServerLocks == 0 ? S_OK : S_FALSE; }
