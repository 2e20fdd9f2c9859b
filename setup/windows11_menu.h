// The Windows 11 package step of the setup tool: whether it applies here, and the
// PowerShell command lines that add and remove the package.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "setup/framework/platform_calls.h"

struct Windows11PackageCommands {
    std::string powerShell;     // the program, by its full path
    std::string addCommand;     // registers the package for the current user
    std::string removeCommand;  // removes it
};

// The commands on Windows 11 with TovakLite.msix beside `program` (this program's module);
// nothing on an older Windows, one that cannot say its version, or without the package.
std::optional<Windows11PackageCommands> windows11PackageCommands(PlatformCalls& platform,
                                                                 HMODULE program);
