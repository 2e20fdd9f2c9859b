// Starting regsvr32 and the like: a child process in the current directory, started and
// left to run on its own.
#pragma once

#include <windows.h>

#include "setup/framework/platform_calls.h"

// Starts the program `applicationName` (a full path, or null to take the first token of
// the command line and search for it) with `commandLine` (a writable buffer, as
// CreateProcessA wants) as its command line, with the default
// window, normal priority, this process's environment and current directory. Does not
// wait; nonzero when the child started.
BOOL startChildProcess(PlatformCalls& platform, const char* applicationName, char* commandLine);
