// IContextMenu::QueryContextMenu: the two commands in the menu.
#pragma once

#include <windows.h>
#include <shlobj.h>

// Inserts the items for CopyNames and CopyPaths at `indexMenu` and `indexMenu` + 1 with
// the identifiers `idCmdFirst` and `idCmdFirst` + 1, plain text on Windows NT 4.0 and
// owner-drawn elsewhere, and keeps `idCmdFirst` in `firstCommandId`. Flags that ask for
// the default verb or no verbs only, or a range of identifiers too small for both, get
// no item and leave `firstCommandId` as it was. The success code with the number of
// identifiers used (2, or 0). Memory that runs out throws std::bad_alloc, with nothing
// changed.
HRESULT insertMenuItems(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT flags,
                        UINT& firstCommandId);
