// A recording stand-in for the setup tool's platform calls: message boxes answer from a
// script, dialogs and child processes only leave a record, and the system folder and
// the process's rights are what the test sets.
#pragma once

#include <cstring>
#include <deque>
#include <optional>
#include <string>
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

    HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int showCommand) override {
        shellCalls.push_back({owner, verb == nullptr, verb ? verb : "", file ? file : "<null>",
                              parameters == nullptr, directory == nullptr, showCommand});
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_FNF));
    }

    UINT GetSystemDirectoryA(char* buffer, UINT size) override {
        const UINT length = static_cast<UINT>(systemFolder.size());
        if (length == 0) return 0;
        if (length + 1 > size) return length + 1;
        std::memcpy(buffer, systemFolder.c_str(), length + 1);
        return length;
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
};
