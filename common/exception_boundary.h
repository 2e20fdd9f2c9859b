// The one exception boundary of every entry point that foreign code calls: COM methods,
// exports, window procedures and DllMain. Code behind the boundary may throw (an
// allocation that fails throws std::bad_alloc); nothing crosses it.
//
//     STDMETHODIMP Thing::Method(int x) { return comBoundary([&] { return method(x); }); }
#pragma once

#include <windows.h>

#include <new>

// Runs `body`, which returns an HRESULT: std::bad_alloc becomes E_OUTOFMEMORY, any
// other exception E_UNEXPECTED.
template <class Body>
HRESULT comBoundary(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// For entry points whose result is no HRESULT: `body`'s result, or `failed` when it
// throws.
template <class Result, class Body>
Result entryBoundary(Result failed, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failed;
    }
}
