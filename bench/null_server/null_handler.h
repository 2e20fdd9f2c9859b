// A context-menu handler that answers for the same shell interfaces as tovak.dll's and
// does nothing: it reads no selection, inserts no item, measures and draws nothing. The
// floor of the right-click benchmark.
#pragma once

#include <windows.h>
#include <shlobj.h>

class NullHandler final : public IShellExtInit, public IContextMenu3, public IObjectWithSite {
public:
    NullHandler();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY key) override;
    // IContextMenu, IContextMenu2, IContextMenu3
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                  UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name,
                                  UINT size) override;
    STDMETHODIMP HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) override;
    STDMETHODIMP HandleMenuMsg2(UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT* result) override;
    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID iid, void** site) override;

private:
    ~NullHandler();
    LONG references_ = 1;
};

// The module's count of living objects and locks, for DllCanUnloadNow.
extern LONG nullServerLocks;
