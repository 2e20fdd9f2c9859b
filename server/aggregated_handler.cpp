#include "server/aggregated_handler.h"

#include <new>

#include "common/exception_boundary.h"
#include "server/server_module.h"

HRESULT AggregatedHandler::Create(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    // Its state throws std::bad_alloc when memory does not suffice for the menu texts.
    auto* aggregated = new (std::nothrow) AggregatedHandler(outer);
    if (!aggregated) return E_OUTOFMEMORY;
    serverModule().Lock();
    const HRESULT hr = aggregated->QueryInterface(iid, out);
    if (hr != S_OK) {
        if (*out) static_cast<IUnknown*>(*out)->Release();
        *out = nullptr;
        delete aggregated;
        serverModule().Unlock();
    }
    return hr;
}

STDMETHODIMP AggregatedHandler::QueryInterface(REFIID iid, void** out) {
    return comBoundary([&] {
        if (IsEqualIID(iid, IID_IUnknown)) {
            if (!out) return E_POINTER;
            *out = static_cast<IUnknown*>(this);
            ++references_;
            return S_OK;
        }
        return handler_.lookup(iid, out);
    });
}

STDMETHODIMP_(ULONG) AggregatedHandler::AddRef() { return static_cast<ULONG>(++references_); }

STDMETHODIMP_(ULONG) AggregatedHandler::Release() {
    const LONG remaining = --references_;
    if (remaining == 0) {
        delete this;  // the contained handler's state and site first, the lock last
        serverModule().Unlock();
    }
    return static_cast<ULONG>(remaining);
}
