#include "bench/null_server/null_handler.h"

#include <cstddef>

LONG nullServerLocks = 0;

NullHandler::NullHandler() { InterlockedIncrement(&nullServerLocks); }

NullHandler::~NullHandler() { InterlockedDecrement(&nullServerLocks); }

STDMETHODIMP NullHandler::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    struct Row {
        const IID* iid;
        void* pointer;
    };
    const Row rows[] = {
        {&IID_IUnknown, static_cast<IShellExtInit*>(this)},
        {&IID_IShellExtInit, static_cast<IShellExtInit*>(this)},
        {&IID_IContextMenu, static_cast<IContextMenu*>(this)},
        {&IID_IContextMenu2, static_cast<IContextMenu2*>(this)},
        {&IID_IContextMenu3, static_cast<IContextMenu3*>(this)},
        {&IID_IObjectWithSite, static_cast<IObjectWithSite*>(this)},
    };
    for (const Row& row : rows) {
        if (IsEqualIID(iid, *row.iid)) {
            *out = row.pointer;
            AddRef();
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) NullHandler::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) NullHandler::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP NullHandler::Initialize(PCIDLIST_ABSOLUTE, IDataObject*, HKEY) { return S_OK; }

STDMETHODIMP NullHandler::QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) {
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
}

STDMETHODIMP NullHandler::InvokeCommand(CMINVOKECOMMANDINFO*) { return S_OK; }

STDMETHODIMP NullHandler::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) { return S_OK; }

STDMETHODIMP NullHandler::HandleMenuMsg(UINT, WPARAM, LPARAM) { return S_OK; }

STDMETHODIMP NullHandler::HandleMenuMsg2(UINT, WPARAM, LPARAM, LRESULT* result) {
    if (result) *result = TRUE;
    return S_OK;
}

STDMETHODIMP NullHandler::SetSite(IUnknown*) { return S_OK; }

STDMETHODIMP NullHandler::GetSite(REFIID, void** site) {
    if (!site) return E_POINTER;
    *site = nullptr;
    return E_FAIL;
}
