// The DPI a menu is shown at, and the system values the owner-drawn items need at that
// DPI. Functions that only newer systems have are found at run time, so the module
// still loads where they are missing.
#pragma once

#include <windows.h>

// The DPI of the window that `site` (the handler's site, may be null) gives, or else of
// the owner of the menu being shown on this thread, where the system tells a window's
// DPI; otherwise the system DPI (LOGPIXELSY of the screen).
int menuDpi(IUnknown* site);

// SM_CXFRAME at `dpi`.
int frameWidthForDpi(int dpi);

// The menu font at `dpi`; false when the system gives none.
bool menuFontForDpi(int dpi, LOGFONTW* font);
