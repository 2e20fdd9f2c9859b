// A tiny COM object that only counts its references, for tests that must prove an
// interface is released exactly as often as it was taken.
#pragma once

#include <windows.h>
#include <unknwn.h>

class CountingUnknown : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references_); }

    LONG references() const { return references_; }

private:
    LONG references_ = 0;
};
