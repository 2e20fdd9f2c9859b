// Starting regsvr32 and the like: a child process in the current directory, started and
// left to run on its own.
#pragma once

#include <windows.h>

#include "setup/framework/platform_calls.h"

// Starts `commandLine` (a writable buffer, as CreateProcessA wants) with the default
// window, normal priority, this process's environment and current directory. Does not
// wait; nonzero when the child started.
BOOL startChildProcess(PlatformCalls& platform, const char* applicationName, char* commandLine);
