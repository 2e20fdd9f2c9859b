// The module-wide state of tovak.dll: instance handle, lock count, the two module
// locks, the class table and the termination list.
#pragma once

#include <windows.h>

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
    LONG LockCount() const { return lockCount_; }

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

    HINSTANCE Instance() const { return instance_; }
    // Serializes the one-time loading of static data (the type information) and the
    // termination list; never held with another lock.
    CRITICAL_SECTION& StaticDataLock() { return staticDataLock_; }

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
