#include "bench/null_server/null_class_factory.h"

#include <new>

#include "bench/null_server/null_handler.h"

STDMETHODIMP NullClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
        return E_NOINTERFACE;
    }
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) NullClassFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) NullClassFactory::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP NullClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    NullHandler* handler = new (std::nothrow) NullHandler();
    if (!handler) return E_OUTOFMEMORY;
    const HRESULT hr = handler->QueryInterface(iid, out);
    handler->Release();
    return hr;
}

STDMETHODIMP NullClassFactory::LockServer(BOOL lock) {
    if (lock) {
        InterlockedIncrement(&nullServerLocks);
    } else {
        InterlockedDecrement(&nullServerLocks);
    }
    return S_OK;
}

HRESULT newNullClassFactory(REFIID iid, void** out) {
    NullClassFactory* factory = new (std::nothrow) NullClassFactory();
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}
