// Entry point of TovakSetup.exe.
#include <windows.h>

#include <mbctype.h>

#include "setup/setup_app.h"

namespace {

SetupApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Multibyte string routines follow the system's ANSI code page.
    _setmbcp(_MB_CP_ANSI);
    return theApp.run();
}
