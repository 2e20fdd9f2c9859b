// The class object of the benchmark's do-nothing handler.
#pragma once

#include <windows.h>

class NullClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    ~NullClassFactory() = default;
    friend HRESULT newNullClassFactory(REFIID iid, void** out);
    LONG references_ = 1;
};

HRESULT newNullClassFactory(REFIID iid, void** out);
