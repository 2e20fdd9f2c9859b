#include "server/context_menu_handler_creator.h"

#include "server/aggregated_handler.h"
#include "server/context_menu_handler.h"

HRESULT createContextMenuHandler(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!outer) return ContextMenuHandler::Create(iid, out);
    // Inside an aggregate only the non-delegating IUnknown may be handed out: any other
    // interface would count on the outer object and leave this one alive forever.
    if (!IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return AggregatedHandler::Create(outer, iid, out);
}
