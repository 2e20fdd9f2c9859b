#include "setup/windows11_package.h"

namespace {

constexpr unsigned long kFirstWindows11Build = 22000;

// PowerShell run for one command, without the user's profile or any prompt, whatever the
// machine's script execution policy.
std::string powerShellCommandLine(const std::string& powerShell, const std::string& command) {
    return "\"" + powerShell + "\" -NoProfile -NonInteractive -ExecutionPolicy Bypass -Command \"" +
           command + "\"";
}

}  // namespace

bool runsWindows11(unsigned long majorVersion, unsigned long build) {
    return majorVersion > 10 || (majorVersion == 10 && build >= kFirstWindows11Build);
}

std::string powerShellPath(const std::string& windowsFolder, bool wow64) {
    std::string path = windowsFolder;
    if (path.empty() || path.back() != '\\') path += '\\';
    return path + (wow64 ? "Sysnative" : "System32") + "\\WindowsPowerShell\\v1.0\\powershell.exe";
}

std::string folderOf(const std::string& filePath) {
    const std::string::size_type separator = filePath.find_last_of('\\');
    if (separator == std::string::npos) return std::string();
    // "C:" alone would mean the drive's current directory.
    if (separator > 0 && filePath[separator - 1] == ':') return filePath.substr(0, separator + 1);
    return filePath.substr(0, separator);
}

std::string powerShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted + "'";
}

std::string addPackageCommandLine(const std::string& powerShell, const std::string& packagePath,
                                  const std::string& folder, bool signedPackage) {
    std::string command = "Add-AppxPackage -Path " + powerShellQuoted(packagePath) +
                          " -ExternalLocation " + powerShellQuoted(folder);
    if (!signedPackage) command += " -AllowUnsigned";
    return powerShellCommandLine(powerShell, command);
}

std::string removePackageCommandLine(const std::string& powerShell) {
    return powerShellCommandLine(powerShell,
                                 "Get-AppxPackage -Name TovakLite | Remove-AppxPackage");
}
