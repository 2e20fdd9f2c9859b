#include "server/server_module.h"

#include <new>

#include "common/critical_section_lock.h"
#include "server/type_library_registration.h"

namespace {

// The cached class object of a row, read with a full barrier so that a pointer
// published by another thread is seen with the object it points to.
IUnknown* cachedClassObject(ClassEntry& row) {
    return static_cast<IUnknown*>(InterlockedCompareExchangePointer(
        reinterpret_cast<PVOID volatile*>(&row.cachedClassObject), nullptr, nullptr));
}

}  // namespace

void ServerModule::Init(HINSTANCE instance, ClassEntry* classTable) {
    instance_ = instance;
    classTable_ = classTable;
    lockCount_ = 0;
    termList_ = nullptr;
    InitializeCriticalSection(&staticDataLock_);
    InitializeCriticalSection(&classTableLock_);
}

void ServerModule::Term() {
    for (ClassEntry* row = classTable_; row && row->clsid; ++row) {
        if (row->cachedClassObject) row->cachedClassObject->Release();
        row->cachedClassObject = nullptr;
    }
    DeleteCriticalSection(&staticDataLock_);
    DeleteCriticalSection(&classTableLock_);
    // The callbacks run after the locks are gone and take none.
    TermEntry* entry = termList_;
    termList_ = nullptr;
    while (entry) {
        TermEntry* next = entry->next;
        entry->callback(entry->argument);
        delete entry;
        entry = next;
    }
}

LONG ServerModule::Lock() { return InterlockedIncrement(&lockCount_); }

LONG ServerModule::Unlock() { return InterlockedDecrement(&lockCount_); }

HRESULT ServerModule::AddTermCallback(TermCallback callback, DWORD_PTR argument) {
    auto* entry = new (std::nothrow) TermEntry{callback, argument, nullptr};
    if (!entry) return E_OUTOFMEMORY;
    CriticalSectionLock lock(staticDataLock_);
    entry->next = termList_;
    termList_ = entry;
    return S_OK;
}

HRESULT ServerModule::GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    HRESULT hr = S_OK;
    for (ClassEntry* row = classTable_; row && row->clsid; ++row) {
        if (!IsEqualCLSID(*row->clsid, clsid)) continue;
        if (!cachedClassObject(*row)) {
            CriticalSectionLock lock(classTableLock_);
            if (!cachedClassObject(*row)) {
                void* created = nullptr;
                hr = row->createClassObject
                         ? row->createClassObject(row->createInstance, IID_IUnknown, &created)
                         : E_UNEXPECTED;
                if (hr == S_OK && created) {
                    InterlockedExchangePointer(
                        reinterpret_cast<PVOID volatile*>(&row->cachedClassObject), created);
                } else if (created) {
                    // A creator that fails hands out nothing.
                    static_cast<IUnknown*>(created)->Release();
                }
            }
        }
        if (IUnknown* classObject = cachedClassObject(*row)) {
            hr = classObject->QueryInterface(iid, out);
        }
        break;
    }
    if (!*out && hr == S_OK) hr = CLASS_E_CLASSNOTAVAILABLE;
    return hr;
}

HRESULT ServerModule::RegisterServer(RegistrationScope scope) {
    for (ClassEntry* row = classTable_; row && row->clsid; ++row) {
        if (!row->registerClass) continue;
        const HRESULT hr = row->registerClass(true, scope);
        if (FAILED(hr)) return hr;
    }
    return RegisterModuleTypeLib(instance_, scope);
}

HRESULT ServerModule::UnregisterServer(RegistrationScope scope) {
    for (ClassEntry* row = classTable_; row && row->clsid; ++row) {
        if (row->registerClass) row->registerClass(false, scope);
    }
    UnregisterModuleTypeLib(instance_, scope);
    return S_OK;
}

HRESULT ServerModule::Install(bool install, const wchar_t* commandLine) {
    RegistrationScope scope = RegistrationScope::Machine;
    if (!registrationScopeOf(reinterpret_cast<const char16_t*>(commandLine), scope)) {
        return E_INVALIDARG;
    }
    return install ? RegisterServer(scope) : UnregisterServer(scope);
}

ServerModule& serverModule() {
    static ServerModule module;
    return module;
}
