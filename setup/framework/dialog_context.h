// What a dialog is given by whoever makes it: the module that holds its template, its
// strings and its icons; the platform calls it acts through; the window that owns it
// (none for a program's main dialog); and the caption of its message boxes.
#pragma once

#include <windows.h>

#include "setup/framework/platform_calls.h"

struct DialogContext {
    HINSTANCE instance;
    PlatformCalls* platform;
    HWND owner;
    const char* caption;
};
