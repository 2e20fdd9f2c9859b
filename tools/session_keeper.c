/* Keeps a Wine session alive: one user process that lives until the session is taken
 * down, so the desktop process and the system services stay up between test programs
 * instead of shutting down whenever no test happens to be running. It says "ready" on
 * its standard output once it holds the desktop. */
#include <windows.h>

int main(void) {
    DWORD written = 0;
    GetDesktopWindow();
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "ready\n", 6, &written, NULL);
    Sleep(INFINITE);
    return 0;
}
