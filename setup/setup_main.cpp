// Entry point of TovakSetup.exe.
#include <windows.h>

#include <commctrl.h>
#include <mbctype.h>

#include "setup/setup_app.h"

namespace {

SetupApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Multibyte string routines follow the system's ANSI code page.
    _setmbcp(_MB_CP_ANSI);
    // The manifest asks for common controls version 6, whose button class exists only
    // once comctl32.dll is loaded; Windows XP does not load it for a dialog by itself.
    InitCommonControls();
    return theApp.Run();
}
