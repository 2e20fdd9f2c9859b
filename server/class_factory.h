// The class object of a class table row: makes objects through the instance creator
// it was bound to, and keeps the module loaded while anyone outside the class table
// holds it.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "server/class_table.h"

class ClassFactory final : public IClassFactory {
public:
    // The class-object creator of a class table row: a new ClassFactory bound to
    // `instanceCreator`, handed out as `iid`.
    static HRESULT Create(InstanceCreator instanceCreator, REFIID iid, void** out);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    explicit ClassFactory(InstanceCreator instanceCreator);
    ~ClassFactory();
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    volatile LONG references_ = 0;
    CRITICAL_SECTION countLock_;  // guards every change of references_
    InstanceCreator instanceCreator_;
};
