#include "server/context_menu_handler.h"

#include <new>

#include "common/exception_boundary.h"
#include "extension/command_help.h"
#include "extension/copy_commands.h"
#include "extension/menu_insertion.h"
#include "extension/owner_draw.h"
#include "extension/package_presence.h"
#include "extension/selection_capture.h"
#include "server/object_site.h"
#include "server/server_module.h"
#include "server/type_info_cache.h"

namespace {

// Searched in this order; IID_IUnknown is answered by the first row.
const InterfaceTableRow kInterfaces[] = {
    {&IID_IGotoList, interfaceOffset<ContextMenuHandler, IGotoList>()},
    {&IID_IShellExtInit, interfaceOffset<ContextMenuHandler, IShellExtInit>()},
    {&IID_IContextMenu, interfaceOffset<ContextMenuHandler, IContextMenu3>()},
    {&IID_IContextMenu2, interfaceOffset<ContextMenuHandler, IContextMenu3>()},
    {&IID_IContextMenu3, interfaceOffset<ContextMenuHandler, IContextMenu3>()},
    {&IID_IObjectWithSite, interfaceOffset<ContextMenuHandler, IObjectWithSite>()},
};

}  // namespace

// The handler inside an aggregate: the non-delegating IUnknown, with its own reference
// count, around a contained handler whose interfaces delegate to the outer object.
class ContextMenuHandler::NonDelegatingUnknown final : public IUnknown {
public:
    explicit NonDelegatingUnknown(IUnknown* outer) : handler_(outer) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return comBoundary([&] {
            if (IsEqualIID(iid, IID_IUnknown)) {
                if (!out) return E_POINTER;
                *out = static_cast<IUnknown*>(this);
                ++references_;
                return S_OK;
            }
            return handler_.Lookup(iid, out);
        });
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseCounted(this, references_); }

private:
    friend class ContextMenuHandler;
    ~NonDelegatingUnknown() = default;

    LONG references_ = 0;
    ContextMenuHandler handler_;
};

ContextMenuHandler::ContextMenuHandler(IUnknown* outer)
    : outer_(outer), state_(serverModule().Instance()) {}

template <class Object>
HRESULT ContextMenuHandler::HandOut(Object* object, REFIID iid, void** out) {
    if (!object) return E_OUTOFMEMORY;
    serverModule().Lock();
    const HRESULT hr = object->QueryInterface(iid, out);
    if (hr != S_OK) {
        if (*out) static_cast<IUnknown*>(*out)->Release();
        *out = nullptr;
        // Never counted: undo the creation directly.
        delete object;
        serverModule().Unlock();
    }
    return hr;
}

HRESULT ContextMenuHandler::Create(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!outer) return HandOut(new (std::nothrow) ContextMenuHandler(nullptr), iid, out);
    // Inside an aggregate only the non-delegating IUnknown may be handed out: any other
    // interface would count on the outer object and leave this one alive forever.
    if (!IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return HandOut(new (std::nothrow) NonDelegatingUnknown(outer), iid, out);
}

HRESULT ContextMenuHandler::Lookup(REFIID iid, void** out) {
    return lookupInterface(this, kInterfaces, iid, out);
}

STDMETHODIMP ContextMenuHandler::QueryInterface(REFIID iid, void** out) {
    return comBoundary([&] {
        if (!outer_) return Lookup(iid, out);
        const HRESULT hr = outer_->QueryInterface(iid, out);
        if (FAILED(hr) && outer_ != Identity()) return Lookup(iid, out);
        return hr;
    });
}

STDMETHODIMP_(ULONG) ContextMenuHandler::AddRef() {
    if (outer_) return outer_->AddRef();
    return static_cast<ULONG>(++references_);
}

STDMETHODIMP_(ULONG) ContextMenuHandler::Release() {
    if (outer_) return outer_->Release();
    return ReleaseCounted(this, references_);
}

template <class Object>
ULONG ContextMenuHandler::ReleaseCounted(Object* object, LONG& references) {
    const LONG remaining = --references;
    if (remaining == 0) {
        // The lock goes back last: until the handler's state and site are released, code
        // of this module still runs.
        delete object;
        serverModule().Unlock();
    }
    return static_cast<ULONG>(remaining);
}

STDMETHODIMP ContextMenuHandler::SetSite(IUnknown* site) {
    return comBoundary([&] { return setObjectSite(site_, site); });
}

STDMETHODIMP ContextMenuHandler::GetSite(REFIID iid, void** out) {
    return comBoundary([&] { return getObjectSite(site_, iid, out); });
}

STDMETHODIMP ContextMenuHandler::Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject,
                                            HKEY) {
    return comBoundary(
        [&] { return captureSelection(folder, dataObject, state_.dataObject, state_.selection); });
}

STDMETHODIMP ContextMenuHandler::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst,
                                                  UINT idCmdLast, UINT flags) {
    return comBoundary([&] {
        // The package's verbs show in "Show more options" already.
        if (modulePackageRegistered(serverModule().Instance())) {
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        }
        return insertMenuItems(menu, indexMenu, idCmdFirst, idCmdLast, flags,
                               state_.firstCommandId);
    });
}

STDMETHODIMP ContextMenuHandler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    return comBoundary([&] { return invokeCopyCommand(info, state_.selection); });
}

STDMETHODIMP ContextMenuHandler::GetCommandString(UINT_PTR idCmd, UINT flags, UINT*, CHAR* name,
                                                  UINT cchMax) {
    return comBoundary([&] { return writeCommandString(idCmd, flags, name, cchMax); });
}

STDMETHODIMP ContextMenuHandler::HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleMenuMsg2(message, wParam, lParam, nullptr);
}

STDMETHODIMP ContextMenuHandler::HandleMenuMsg2(UINT message, WPARAM, LPARAM lParam, LRESULT*) {
    return comBoundary([&] {
        return handleOwnerDrawMessage(message, lParam, state_.firstCommandId, state_.icon,
                                      site_.Get());
    });
}

STDMETHODIMP ContextMenuHandler::GetTypeInfoCount(UINT* count) {
    return comBoundary([&] {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    });
}

STDMETHODIMP ContextMenuHandler::GetTypeInfo(UINT, LCID lcid, ITypeInfo** out) {
    return comBoundary([&] { return gotoListTypeInfo().GetTypeInfo(lcid, out); });
}

STDMETHODIMP ContextMenuHandler::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid,
                                               DISPID* ids) {
    return comBoundary([&] { return gotoListTypeInfo().GetIDsOfNames(names, count, lcid, ids); });
}

STDMETHODIMP ContextMenuHandler::Invoke(DISPID member, REFIID, LCID lcid, WORD flags,
                                        DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                        UINT* argumentError) {
    return comBoundary([&] {
        return gotoListTypeInfo().Invoke(static_cast<IGotoList*>(this), member, lcid, flags, params,
                                         result, exception, argumentError);
    });
}
