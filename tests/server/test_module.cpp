// A DLL with no code of its own: the type library and registry script tests load it
// for its resources and its file name.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
