// The platform calls through which the setup tool acts outside its own window or asks
// the system about itself: message boxes, modal dialogs, child processes, the shell,
// the system folders, its own file, the Windows version and the rights of the process. The program
// uses the system's calls (systemPlatformCalls); tests put a recording fake in their place.
#pragma once

#include <windows.h>

#include <string>

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

    // GetSystemWindowsDirectoryA: as GetSystemDirectoryA.
    virtual UINT GetSystemWindowsDirectoryA(char* buffer, UINT size) = 0;

    // GetModuleFileNameA.
    virtual DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) = 0;

    // The whole of the file `path` into `contents`; false when it cannot be read.
    virtual bool ReadWholeFile(const char* path, std::string* contents) = 0;

    // Runs the program `applicationName` (a full path) with `commandLine` (a writable
    // buffer) without a window, its standard output and error into one pipe, and waits
    // for its end. True when it started, with its exit code and what it wrote; false when
    // it did not, with the system's error code in `exitCode` and its description in
    // `output`.
    virtual bool RunToEnd(const char* applicationName, char* commandLine, DWORD* exitCode,
                          std::string* output) = 0;

    // The Windows version as the system itself reports it (RtlGetVersion, found at run
    // time), which no compatibility setting of the program changes. False when the system
    // cannot say.
    virtual bool QueryWindowsVersion(DWORD* majorVersion, DWORD* build) = 0;

    // Whether this process is a 32-bit process on 64-bit Windows (IsWow64Process, found
    // at run time). False when the system cannot say (before Windows XP SP2).
    virtual bool QueryWow64(bool* wow64) = 0;

    // Whether this process's access token is elevated (TokenElevation). False when the
    // system cannot say: it has no elevation (before Windows Vista) or no tokens.
    virtual bool QueryTokenElevation(bool* elevated) = 0;

    // Whether this process's access token holds the Administrators group enabled. False
    // when the system cannot say (Windows 95, 98 and Me have no tokens).
    virtual bool QueryAdministratorsMembership(bool* member) = 0;
};

// The system's own calls, shared by the whole process.
PlatformCalls& systemPlatformCalls();
