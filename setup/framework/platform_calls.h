// The platform calls through which the setup tool acts outside its own window or asks
// the system about itself: message boxes, modal dialogs, child processes, the shell,
// the system folder and the rights of the process. The program uses the system's
// calls (systemPlatformCalls); tests put a recording fake in their place.
#pragma once

#include <windows.h>

class PlatformCalls {
public:
    virtual ~PlatformCalls() = default;

    // MessageBoxA.
    virtual int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) = 0;

    // DialogBoxParamA.
    virtual INT_PTR DialogBoxParamA(HINSTANCE instance, const char* templateName, HWND owner,
                                    DLGPROC procedure, LPARAM parameter) = 0;

    // CreateProcessA.
    virtual BOOL CreateProcessA(const char* applicationName, char* commandLine,
                                SECURITY_ATTRIBUTES* processAttributes,
                                SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                                DWORD creationFlags, void* environment,
                                const char* currentDirectory, STARTUPINFOA* startupInfo,
                                PROCESS_INFORMATION* processInformation) = 0;

    // ShellExecuteA.
    virtual HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file,
                                    const char* parameters, const char* directory,
                                    int showCommand) = 0;

    // GetSystemDirectoryA: the length written, the size needed if `size` is too small,
    // 0 on failure.
    virtual UINT GetSystemDirectoryA(char* buffer, UINT size) = 0;

    // Whether this process's access token is elevated (TokenElevation). False when the
    // system cannot say: it has no elevation (before Windows Vista) or no tokens.
    virtual bool QueryTokenElevation(bool* elevated) = 0;

    // Whether this process's access token holds the Administrators group enabled. False
    // when the system cannot say (Windows 95, 98 and Me have no tokens).
    virtual bool QueryAdministratorsMembership(bool* member) = 0;
};

// The system's own calls, shared by the whole process.
PlatformCalls& systemPlatformCalls();
