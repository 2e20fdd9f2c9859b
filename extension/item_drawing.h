// Drawing one owner-drawn menu item: a small icon, then the caption, in the normal,
// selected or grayed look, at the DPI the menu is shown at.
#pragma once

#include <windows.h>

#include "extension/item_icon.h"

// Draws the item of `item` (WM_DRAWITEM) whose identifier is `firstCommandId` plus its
// CommandOffset, with `icon` in front of its caption; `site`, the handler's site if any,
// gives the DPI. A control other than a menu, an identifier of no item and a focus-only
// request draw nothing. The device context goes back to the state it was found in.
void drawMenuItem(const DRAWITEMSTRUCT& item, UINT firstCommandId, ItemIcon& icon, IUnknown* site);
