/* Keeps a Wine session alive: one user process that lives until the session is taken
 * down, so the desktop process and the system services stay up between test programs
 * instead of shutting down whenever no test happens to be running. */
#include <windows.h>

int main(void) {
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
