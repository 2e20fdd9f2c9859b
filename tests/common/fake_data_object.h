// A data object for tests: it serves one CF_HDROP block (a fresh copy for every
// GetData) or fails GetData, and counts its references.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstring>
#include <vector>

class FakeDataObject : public IDataObject {
public:
    // Serves `block` as CF_HDROP.
    explicit FakeDataObject(std::vector<unsigned char> block) : block_(std::move(block)) {}
    // Has no CF_HDROP: GetData fails with `failure`.
    explicit FakeDataObject(HRESULT failure) : failure_(failure) {}

    LONG references() const { return references_; }
    int getDataCalls() const { return getDataCalls_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDataObject)) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references_); }

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        ++getDataCalls_;
        if (FAILED(failure_)) return failure_;
        if (!format || !medium || format->cfFormat != CF_HDROP ||
            !(format->tymed & TYMED_HGLOBAL)) {
            return DV_E_FORMATETC;
        }
        HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, block_.size());
        if (!global) return E_OUTOFMEMORY;
        std::memcpy(GlobalLock(global), block_.data(), block_.size());
        GlobalUnlock(global);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<unsigned char> block_;
    HRESULT failure_ = S_OK;
    LONG references_ = 0;
    int getDataCalls_ = 0;
};
