// The full path of a program in the system folder, so that no file of the same name in
// the program's own folder or the current directory is started in its place.
#pragma once

#include <string>

#include "setup/framework/platform_calls.h"

// "<system folder>\<fileName>"; empty when the system folder cannot be read. A 32-bit
// program on 64-bit Windows gets the 32-bit system folder's program.
std::string systemProgramPath(PlatformCalls& platform, const char* fileName);
