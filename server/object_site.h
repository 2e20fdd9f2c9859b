// IObjectWithSite's two calls over the site an object holds: the same for every object of
// this module that has a site.
#pragma once

#include <unknwn.h>

#include "common/com_ref.h"

inline HRESULT setObjectSite(ComRef<IUnknown>& held, IUnknown* site) {
    held.Assign(site);
    return S_OK;
}

// The held site's `iid`; E_FAIL with a null `out` when no site is held.
inline HRESULT getObjectSite(const ComRef<IUnknown>& held, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (!held) {
        *out = nullptr;
        return E_FAIL;
    }
    return held->QueryInterface(iid, out);
}
