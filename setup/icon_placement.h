// Where a minimized window draws its icon: centred in the client area.
#pragma once

#include <windows.h>

// x = (client width - icon width + 1) / 2, y likewise, in signed arithmetic truncating
// toward zero.
POINT centredIconOrigin(const RECT& client, int iconWidth, int iconHeight);
