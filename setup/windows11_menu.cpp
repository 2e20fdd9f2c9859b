#include "setup/windows11_menu.h"

#include "setup/package_signature.h"
#include "setup/windows11_package.h"

std::optional<Windows11PackageCommands> windows11PackageCommands(PlatformCalls& platform,
                                                                 HMODULE program) {
    DWORD major = 0, build = 0;
    if (!platform.QueryWindowsVersion(&major, &build) || !runsWindows11(major, build)) {
        return std::nullopt;
    }
    char modulePath[MAX_PATH] = {};
    const DWORD length = platform.GetModuleFileNameA(program, modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    const std::string folder = folderOf(std::string(modulePath, length));
    if (folder.empty()) return std::nullopt;
    const std::string packagePath = folder + (folder.back() == '\\' ? "" : "\\") + "TovakLite.msix";
    std::string package;
    if (!platform.ReadWholeFile(packagePath.c_str(), &package)) return std::nullopt;

    char windowsFolder[MAX_PATH] = {};
    const UINT folderLength = platform.GetSystemWindowsDirectoryA(windowsFolder, MAX_PATH);
    if (folderLength == 0 || folderLength >= MAX_PATH) return std::nullopt;
    bool wow64 = false;
    if (!platform.QueryWow64(&wow64)) wow64 = false;
    Windows11PackageCommands commands;
    commands.powerShell = powerShellPath(std::string(windowsFolder, folderLength), wow64);
    commands.addCommand =
        addPackageCommandLine(commands.powerShell, packagePath, folder, packageIsSigned(package));
    commands.removeCommand = removePackageCommandLine(commands.powerShell);
    return commands;
}
