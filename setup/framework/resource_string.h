// String resources of the program's module, as narrow text in the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

// The text of string resource `id` (LoadStringA), or an empty string when there is none.
std::string loadResourceString(HINSTANCE module, UINT id);
