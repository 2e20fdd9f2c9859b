// The GotoList handler inside an aggregate: a non-delegating IUnknown with its own
// reference count around a contained ContextMenuHandler whose interfaces delegate to
// the controlling outer object.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "server/context_menu_handler.h"

class AggregatedHandler final : public IUnknown {
public:
    // Makes the object for the aggregate of `outer` and answers `iid` through the
    // non-delegating IUnknown; holds one module lock while it lives.
    static HRESULT Create(IUnknown* outer, REFIID iid, void** out);

    // The non-delegating IUnknown.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

private:
    explicit AggregatedHandler(IUnknown* outer) : handler_(outer) {}
    ~AggregatedHandler() = default;

    LONG references_ = 0;
    ContextMenuHandler handler_;
};
