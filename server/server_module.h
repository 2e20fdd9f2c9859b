// The module-wide state of tovak.dll: instance handle, lock count, the two module
// locks, the class table and the termination list.
#pragma once

#include <windows.h>

#include <cstddef>

#include "server/class_table.h"

class ServerModule {
public:
    using TermCallback = void (*)(DWORD_PTR argument);

    ServerModule() = default;
    ServerModule(const ServerModule&) = delete;
    ServerModule& operator=(const ServerModule&) = delete;

    // DLL_PROCESS_ATTACH: record the instance, take the class table, create the locks.
    void Init(HINSTANCE instance, ClassEntry* classTable);
    // DLL_PROCESS_DETACH: release cached class objects, delete the locks, then run the
    // termination callbacks newest first.
    void Term();

    LONG Lock();
    LONG Unlock();
    LONG lockCount() const { return lockCount_; }

    // DllGetClassObject: the class object of `clsid`, created on the first request and
    // cached in its row until Term; CLASS_E_CLASSNOTAVAILABLE for a class of no row.
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
    // DllRegisterServer: each row's registration in register mode, then the module's
    // type library. The first failure is the result.
    HRESULT RegisterServer(RegistrationScope scope = RegistrationScope::Machine);
    // DllUnregisterServer: each row's registration in unregister mode, then the type
    // library's; always S_OK.
    HRESULT UnregisterServer(RegistrationScope scope = RegistrationScope::Machine);
    // DllInstall: RegisterServer or UnregisterServer for the scope that the command line
    // names ("user" in any case, or none for the machine); E_INVALIDARG, with nothing
    // changed, for any other command line.
    HRESULT Install(bool install, const wchar_t* commandLine);

    // Adds a callback run once at Term; S_OK, or E_OUTOFMEMORY with nothing added.
    HRESULT AddTermCallback(TermCallback callback, DWORD_PTR argument);
    // The number of callbacks waiting for Term.
    std::size_t termCallbackCount();

    HINSTANCE instance() const { return instance_; }
    ClassEntry* classTable() const { return classTable_; }
    CRITICAL_SECTION& staticDataLock() { return staticDataLock_; }
    CRITICAL_SECTION& classTableLock() { return classTableLock_; }

private:
    struct TermEntry {
        TermCallback callback;
        DWORD_PTR argument;
        TermEntry* next;
    };

    HINSTANCE instance_ = nullptr;
    ClassEntry* classTable_ = nullptr;
    volatile LONG lockCount_ = 0;
    CRITICAL_SECTION staticDataLock_{};
    CRITICAL_SECTION classTableLock_{};
    TermEntry* termList_ = nullptr;
};

// The one module of this process (the DLL's, or a test program's).
ServerModule& serverModule();

// Holds a critical section for the life of a scope.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CRITICAL_SECTION& section) : section_(section) {
        EnterCriticalSection(&section_);
    }
    ~CriticalSectionLock() { LeaveCriticalSection(&section_); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION& section_;
};
