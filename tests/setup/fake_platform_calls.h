// A recording stand-in for the setup tool's platform calls: message boxes answer from a
// script, dialogs and child processes only leave a record, and the system folders, the
// program's path, the files, the Windows version and the process's rights are what the
// test sets.
#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "setup/framework/platform_calls.h"

#include <shellapi.h>

class FakePlatformCalls : public PlatformCalls {
public:
    struct MessageBoxCall {
        HWND owner;
        std::string text;
        std::string caption;
        UINT style;
    };
    struct ProcessCall {
        bool applicationNameNull;
        std::string applicationName;
        std::string commandLine;
        bool securityNull;
        BOOL inheritHandles;
        DWORD creationFlags;
        bool environmentNull;
        bool currentDirectoryNull;
        STARTUPINFOA startup;
        bool waitedFor;  // run to its end (RunToEnd), not only started
    };
    struct ShellCall {
        HWND owner;
        bool verbNull;
        std::string verb;
        std::string file;
        bool parametersNull;
        bool directoryNull;
        int showCommand;
    };

    // Answers for the coming message boxes, in order; IDOK once they run out.
    std::deque<int> answers;
    BOOL processStarts = TRUE;
    // GetSystemDirectoryA's answer; empty: the call fails.
    std::string systemFolder = "C:\\WINDOWS\\system32";
    // What the token says; nothing: the system cannot say (no elevation, no tokens).
    std::optional<bool> elevation = true;
    std::optional<bool> administratorsMember;
    std::string windowsFolder = "C:\\WINDOWS";
    std::string programPath = "C:\\Tovak\\TovakSetup.exe";
    // Files by full path; a file not named here cannot be read.
    std::map<std::string, std::string> files;
    // RtlGetVersion's major version and build; nothing: the system has no such call.
    std::optional<std::pair<DWORD, DWORD>> windowsVersion = std::make_pair(10ul, 19045ul);
    std::optional<bool> wow64 = false;
    // How every child run to its end ends: whether it started, its exit code (or the
    // start's error) and what it wrote (or the error's description).
    bool runStarts = true;
    DWORD runExitCode = 0;
    std::string runOutput;

    std::vector<MessageBoxCall> messageBoxes;
    std::vector<ProcessCall> processes;
    std::vector<ShellCall> shellCalls;
    std::vector<UINT_PTR> dialogs;  // template ids
    std::vector<HWND> dialogOwners;

    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) override {
        messageBoxes.push_back(
            {owner, text ? text : "<null>", caption ? caption : "<null>", style});
        if (answers.empty()) return IDOK;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    INT_PTR DialogBoxParamA(HINSTANCE, const char* templateName, HWND owner, DLGPROC,
                            LPARAM) override {
        dialogs.push_back(reinterpret_cast<UINT_PTR>(templateName));
        dialogOwners.push_back(owner);
        return IDOK;
    }

    BOOL CreateProcessA(const char* applicationName, char* commandLine,
                        SECURITY_ATTRIBUTES* processAttributes,
                        SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                        DWORD creationFlags, void* environment, const char* currentDirectory,
                        STARTUPINFOA* startupInfo, PROCESS_INFORMATION* information) override {
        ProcessCall call{};
        call.applicationNameNull = applicationName == nullptr;
        call.applicationName = applicationName ? applicationName : "<null>";
        call.commandLine = commandLine ? commandLine : "<null>";
        call.securityNull = processAttributes == nullptr && threadAttributes == nullptr;
        call.inheritHandles = inheritHandles;
        call.creationFlags = creationFlags;
        call.environmentNull = environment == nullptr;
        call.currentDirectoryNull = currentDirectory == nullptr;
        if (startupInfo) call.startup = *startupInfo;
        processes.push_back(call);
        if (information) *information = PROCESS_INFORMATION{};
        return processStarts;
    }

    bool RunToEnd(const char* applicationName, char* commandLine, DWORD* exitCode,
                  std::string* output) override {
        ProcessCall call{};
        call.applicationName = applicationName ? applicationName : "<null>";
        call.commandLine = commandLine ? commandLine : "<null>";
        call.waitedFor = true;
        processes.push_back(call);
        *exitCode = runExitCode;
        *output = runOutput;
        return runStarts;
    }

    UINT GetSystemWindowsDirectoryA(char* buffer, UINT size) override {
        return copyOut(windowsFolder, buffer, size);
    }

    DWORD GetModuleFileNameA(HMODULE, char* buffer, DWORD size) override {
        if (programPath.size() >= size) return 0;
        std::memcpy(buffer, programPath.c_str(), programPath.size() + 1);
        return static_cast<DWORD>(programPath.size());
    }

    bool ReadWholeFile(const char* path, std::string* contents) override {
        const auto file = files.find(path);
        if (file == files.end()) return false;
        *contents = file->second;
        return true;
    }

    bool QueryWindowsVersion(DWORD* majorVersion, DWORD* build) override {
        if (!windowsVersion) return false;
        *majorVersion = windowsVersion->first;
        *build = windowsVersion->second;
        return true;
    }

    bool QueryWow64(bool* answer) override {
        if (!wow64) return false;
        *answer = *wow64;
        return true;
    }

    HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int showCommand) override {
        shellCalls.push_back({owner, verb == nullptr, verb ? verb : "", file ? file : "<null>",
                              parameters == nullptr, directory == nullptr, showCommand});
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_FNF));
    }

    UINT GetSystemDirectoryA(char* buffer, UINT size) override {
        return copyOut(systemFolder, buffer, size);
    }

    bool QueryTokenElevation(bool* elevated) override {
        if (!elevation) return false;
        *elevated = *elevation;
        return true;
    }

    bool QueryAdministratorsMembership(bool* member) override {
        if (!administratorsMember) return false;
        *member = *administratorsMember;
        return true;
    }

private:
    // A folder as the system's calls give it: its length, the size needed when `size` is
    // too small, 0 for an empty (failing) one.
    static UINT copyOut(const std::string& folder, char* buffer, UINT size) {
        const UINT length = static_cast<UINT>(folder.size());
        if (length == 0) return 0;
        if (length + 1 > size) return length + 1;
        std::memcpy(buffer, folder.c_str(), length + 1);
        return length;
    }
};
