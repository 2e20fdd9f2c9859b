// An icon handle (LoadImage of an icon, CreateIconIndirect), destroyed with its holder.
#pragma once

#include <windows.h>

#include "common/scoped_handle.h"

struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};

using IconHandle = ScopedHandle<HICON, DestroyIconHandle>;
