// The GotoList handler object: the COM identity of the context-menu handler, its
// creation and its aggregation. Its menu work is done by the pieces of extension/, to
// which it routes each call with its HandlerState; this class answers for the interfaces,
// counts its references, keeps the site of IObjectWithSite and serves IGotoList's
// automation from the module's TypeInfoCache. Inside an aggregate it is held by a
// non-delegating IUnknown of its own, and its interfaces delegate to the controlling outer
// object.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include "extension/handler_state.h"
#include "halvint.h"
#include "common/com_ref.h"
#include "server/interface_table.h"

class ContextMenuHandler final : public IObjectWithSite,
                                 public IShellExtInit,
                                 public IContextMenu3,
                                 public IGotoList {
public:
    // Makes one object, standalone when `outer` is null, else inside the aggregate whose
    // controlling IUnknown is `outer` (which asks for IID_IUnknown, the non-delegating
    // one); it holds one module lock while it lives. The class factory's instance
    // creator.
    static HRESULT Create(IUnknown* outer, REFIID iid, void** out);

    // IUnknown (shared by the four bases).
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IObjectWithSite.
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID iid, void** out) override;

    // IShellExtInit.
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject,
                            HKEY progId) override;

    // IContextMenu, IContextMenu2, IContextMenu3.
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                  UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT flags, UINT* reserved, CHAR* name,
                                  UINT cchMax) override;
    STDMETHODIMP HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) override;
    STDMETHODIMP HandleMenuMsg2(UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT* result) override;

    // IDispatch through IGotoList.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
    class NonDelegatingUnknown;

    // The interface lookup on this object itself, whatever its form.
    HRESULT Lookup(REFIID iid, void** out);

    // Hands the new `object` out as `iid`, with one module lock held for it; an object
    // not handed out is deleted and the lock given back.
    template <class Object>
    static HRESULT HandOut(Object* object, REFIID iid, void** out);
    // Both forms count their references so, as objects of one apartment do: a plain
    // integer. At 0 the object is deleted and its module lock given back.
    template <class Object>
    static ULONG ReleaseCounted(Object* object, LONG& references);

    // `outer` is null for a standalone object, else the controlling IUnknown of the
    // aggregate, to which AddRef, Release and QueryInterface are delegated.
    explicit ContextMenuHandler(IUnknown* outer);
    ~ContextMenuHandler() = default;  // the handler state goes first, then the site

    IUnknown* Identity() { return static_cast<IGotoList*>(this); }

    ComRef<IUnknown> site_;
    LONG references_ = 0;
    IUnknown* const outer_;
    HandlerState state_;
};
