// A wide string in COM task memory that a call hands out (a path from
// IShellItem::GetDisplayName, the text of a STRRET), freed with CoTaskMemFree when its
// holder ends.
#pragma once

#include <objbase.h>

#include "common/scoped_handle.h"

struct FreeTaskMemory {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

using TaskMemoryString = ScopedHandle<wchar_t*, FreeTaskMemory>;
