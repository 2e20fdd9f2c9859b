// The selection of an Explorer command: the file-system paths of the items of a shell
// item array, asked of each item itself (IShellItem::GetDisplayName with SIGDN_FILESYSPATH),
// never rebuilt from ID lists, so a path of any length comes back whole.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "extension/wide_string_list.h"

// True when `items` (may be null) holds at least one item with a file-system path. Asks
// the items in turn and stops at the first that has one; touches no file itself.
bool anyItemHasFileSystemPath(IShellItemArray* items);

// The paths of the items of `items` that have one, in the array's order, into
// `selection`. S_OK; E_INVALIDARG for a null array or one where no item has a path;
// E_OUTOFMEMORY when memory did not suffice. A failure keeps `selection` as it was.
HRESULT shellItemSelection(IShellItemArray* items, WideStringList& selection);
