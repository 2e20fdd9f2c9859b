// IContextMenu2/3's HandleMenuMsg and HandleMenuMsg2: measuring and drawing the two
// owner-drawn menu items, sized for the DPI the menu is shown at. The geometry lives in
// item_layout.h, the drawing of one item in item_drawing.h.
#pragma once

#include <windows.h>

#include "extension/item_icon.h"

// Answers WM_MEASUREITEM (150 x 20 at 96 DPI, scaled and widened for the captions at
// another DPI) and WM_DRAWITEM (drawMenuItem) whose `lParam` points to their structure;
// every other message, and a null structure, has no effect. `firstCommandId` is the first
// item's identifier, `icon` the picture drawn in front of the items, `site` the handler's
// site, if any, whose window's DPI sizes the items. S_OK for every message.
HRESULT handleOwnerDrawMessage(UINT message, LPARAM lParam, UINT firstCommandId, ItemIcon& icon,
                               IUnknown* site);
