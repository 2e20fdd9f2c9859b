// When the setup tool adds the Windows 11 package, and the PowerShell command lines that
// add and remove it. Portable: the caller asks the system and passes the answers in.
#pragma once

#include <string>

// Windows 11 is version 10.0 from build 22000 on; later major versions count too.
bool runsWindows11(unsigned long majorVersion, unsigned long build);

// The 64-bit system's powershell.exe under `windowsFolder`. A 32-bit program on 64-bit
// Windows (`wow64`) names it through Sysnative: its System32 is redirected to SysWOW64.
std::string powerShellPath(const std::string& windowsFolder, bool wow64);

// The folder that holds the file `filePath`, without a closing backslash except for a
// drive's root ("C:\"); empty when the path names no folder.
std::string folderOf(const std::string& filePath);

// `text` as a PowerShell single-quoted string: in quotes, each ' doubled.
std::string powerShellQuoted(const std::string& text);

// The command line that registers the package `packagePath` for the current user with
// its files in `folder`; an unsigned package needs -AllowUnsigned.
std::string addPackageCommandLine(const std::string& powerShell, const std::string& packagePath,
                                  const std::string& folder, bool signedPackage);

// The command line that removes the package from the current user.
std::string removePackageCommandLine(const std::string& powerShell);
