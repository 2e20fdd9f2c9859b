// Shell items of a test's own: an IShellItem that answers GetDisplayName(SIGDN_FILESYSPATH)
// with a given path (or fails, as a virtual item does), and an IShellItemArray over such
// items. Both count their references and the calls made to them; no other method is used
// by the code under test, and each of those fails with E_NOTIMPL.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <cstring>
#include <string>
#include <vector>

// The IUnknown of a fake of one interface: it answers IUnknown and `Interface`, and counts.
template <class Interface>
class CountingFake : public Interface {
public:
    LONG references() const { return references_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(Interface))) {
            return E_NOINTERFACE;
        }
        *out = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references_); }

private:
    LONG references_ = 0;
};

class FakeShellItem : public CountingFake<IShellItem> {
public:
    // An item with the file-system path `path`.
    explicit FakeShellItem(std::wstring path) : path_(std::move(path)), hasPath_(true) {}
    // An item with no file-system path.
    FakeShellItem() = default;

    int pathRequests() const { return pathRequests_; }

    STDMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void**) override { return E_NOTIMPL; }
    STDMETHODIMP GetParent(IShellItem**) override { return E_NOTIMPL; }
    STDMETHODIMP GetDisplayName(SIGDN form, LPWSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        if (form != SIGDN_FILESYSPATH) return E_NOTIMPL;
        ++pathRequests_;
        if (!hasPath_) return E_INVALIDARG;
        const std::size_t bytes = (path_.size() + 1) * sizeof(wchar_t);
        *name = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
        if (!*name) return E_OUTOFMEMORY;
        std::memcpy(*name, path_.c_str(), bytes);
        return S_OK;
    }
    STDMETHODIMP GetAttributes(SFGAOF, SFGAOF*) override { return E_NOTIMPL; }
    STDMETHODIMP Compare(IShellItem*, SICHINTF, int*) override { return E_NOTIMPL; }

private:
    std::wstring path_;
    bool hasPath_ = false;
    int pathRequests_ = 0;
};

class FakeShellItemArray : public CountingFake<IShellItemArray> {
public:
    explicit FakeShellItemArray(std::vector<FakeShellItem*> items) : items_(std::move(items)) {}

    STDMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void**) override { return E_NOTIMPL; }
    STDMETHODIMP GetPropertyStore(GETPROPERTYSTOREFLAGS, REFIID, void**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetPropertyDescriptionList(REFPROPERTYKEY, REFIID, void**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetAttributes(SIATTRIBFLAGS, SFGAOF, SFGAOF*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCount(DWORD* count) override {
        if (!count) return E_POINTER;
        *count = static_cast<DWORD>(items_.size());
        return S_OK;
    }
    STDMETHODIMP GetItemAt(DWORD index, IShellItem** item) override {
        if (!item) return E_POINTER;
        *item = nullptr;
        if (index >= items_.size()) return E_INVALIDARG;
        *item = items_[index];
        items_[index]->AddRef();
        return S_OK;
    }
    STDMETHODIMP EnumItems(IEnumShellItems**) override { return E_NOTIMPL; }

private:
    std::vector<FakeShellItem*> items_;
};
