// A DLL that only carries the test registry scripts (registry_script_test.rc).
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
