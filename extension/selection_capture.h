// IShellExtInit::Initialize: the selection, read from the shell's drop list.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "common/com_ref.h"
#include "extension/wide_string_list.h"

// Makes `held` hold `dataObject` (none for null) and reads its items into `selection`.
// S_OK when the selection was taken, E_OUTOFMEMORY when memory did not suffice for it,
// else E_INVALIDARG; a failure keeps the selection. A drop list that breaks off is the
// exception: its items before the break are kept. Without a data object the folder is the
// selection, when it has a file-system path (a right-click on the folder's background).
HRESULT captureSelection(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject,
                         ComRef<IDataObject>& held, WideStringList& selection);
