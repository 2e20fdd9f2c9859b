#include "server/class_factory.h"

#include <new>

#include "common/critical_section_lock.h"
#include "common/exception_boundary.h"
#include "server/interface_table.h"
#include "server/server_module.h"

namespace {

const InterfaceTableRow kInterfaces[] = {
    {&IID_IClassFactory, interfaceOffset<ClassFactory, IClassFactory>()},
};

}  // namespace

HRESULT ClassFactory::Create(InstanceCreator instanceCreator, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* factory = new (std::nothrow) ClassFactory(instanceCreator);
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(iid, out);
    if (hr != S_OK) {
        // Nothing was handed out, so the count is still 0.
        delete factory;
        return hr;
    }
    return S_OK;
}

ClassFactory::ClassFactory(InstanceCreator instanceCreator) : instanceCreator_(instanceCreator) {
    InitializeCriticalSection(&countLock_);
}

ClassFactory::~ClassFactory() { DeleteCriticalSection(&countLock_); }

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** out) {
    return comBoundary([&] { return lookupInterface(this, kInterfaces, iid, out); });
}

// The class table's cache holds the first reference and never holds the module; the
// second reference (the first handed out) takes one module lock for all outside holders.
STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
    CriticalSectionLock lock(countLock_);
    const LONG count = InterlockedIncrement(&references_);
    if (count == 2) serverModule().Lock();
    return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
    LONG count;
    {
        CriticalSectionLock lock(countLock_);
        count = InterlockedDecrement(&references_);
    }
    if (count == 0) {
        delete this;
    } else if (count == 1) {
        serverModule().Unlock();
    }
    return static_cast<ULONG>(count);
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    return comBoundary([&] {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        if (!instanceCreator_) return E_UNEXPECTED;
        return instanceCreator_(outer, iid, out);
    });
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    return comBoundary([&] {
        if (lock) {
            serverModule().Lock();
        } else {
            serverModule().Unlock();
        }
        return S_OK;
    });
}
