#include "server/server_module.h"

#include <new>

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

ServerModule& serverModule() {
    static ServerModule module;
    return module;
}
