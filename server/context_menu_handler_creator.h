// Makes one GotoList handler object: standalone when `outer` is null, else inside the
// aggregate whose controlling IUnknown is `outer`. The class factory's instance creator.
#pragma once

#include <windows.h>
#include <unknwn.h>

HRESULT createContextMenuHandler(IUnknown* outer, REFIID iid, void** out);
