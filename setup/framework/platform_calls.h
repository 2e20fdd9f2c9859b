// The platform calls through which the setup tool acts outside its own window: message
// boxes, modal dialogs, child processes and the shell. The program uses the system's
// calls (systemPlatformCalls); tests put a recording fake in their place.
#pragma once

#include <windows.h>

class PlatformCalls {
public:
    virtual ~PlatformCalls() = default;

    // MessageBoxA.
    virtual int messageBox(HWND owner, const char* text, const char* caption, UINT style) = 0;

    // DialogBoxParamA.
    virtual INT_PTR dialogBox(HINSTANCE instance, const char* templateName, HWND owner,
                              DLGPROC procedure, LPARAM parameter) = 0;

    // CreateProcessA.
    virtual BOOL createProcess(const char* applicationName, char* commandLine,
                               SECURITY_ATTRIBUTES* processAttributes,
                               SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                               DWORD creationFlags, void* environment, const char* currentDirectory,
                               STARTUPINFOA* startupInfo,
                               PROCESS_INFORMATION* processInformation) = 0;

    // ShellExecuteA.
    virtual HINSTANCE shellExecute(HWND owner, const char* verb, const char* file,
                                   const char* parameters, const char* directory,
                                   int showCommand) = 0;
};

// The system's own calls, shared by the whole process.
PlatformCalls& systemPlatformCalls();
