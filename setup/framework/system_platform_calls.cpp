// The platform calls passed straight to the system.
#include "setup/framework/platform_calls.h"

#include <shellapi.h>

#include <new>
#include <string>
#include <vector>

#include "common/kernel_handle.h"
#include "common/sid_holder.h"

namespace {

// The SID of the built-in Administrators group into `sid`; false when it cannot be made.
bool makeAdministratorsSid(SidHolder& sid) {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    return AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                    DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    sid.Receive()) != FALSE;
}

// A routine of a system DLL that older systems lack, or null. The DLL is one every
// process has loaded (kernel32, ntdll).
template <class Routine>
Routine loadedRoutine(const char* module, const char* name) {
    const HMODULE loaded = GetModuleHandleA(module);
    if (!loaded) return nullptr;
    return reinterpret_cast<Routine>(reinterpret_cast<void*>(GetProcAddress(loaded, name)));
}

// The system's text for error `code`, without its closing line break; empty when it has
// none.
std::string errorDescription(DWORD code) {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
    return std::string(text, length);
}

// What a child writes is kept up to this size, enough for any message box.
constexpr std::size_t kLongestOutput = 16 * 1024;

class SystemPlatformCalls : public PlatformCalls {
public:
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) override {
        return ::MessageBoxA(owner, text, caption, style);
    }

    INT_PTR DialogBoxParamA(HINSTANCE instance, const char* templateName, HWND owner,
                            DLGPROC procedure, LPARAM parameter) override {
        return ::DialogBoxParamA(instance, templateName, owner, procedure, parameter);
    }

    BOOL CreateProcessA(const char* applicationName, char* commandLine,
                        SECURITY_ATTRIBUTES* processAttributes,
                        SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                        DWORD creationFlags, void* environment, const char* currentDirectory,
                        STARTUPINFOA* startupInfo,
                        PROCESS_INFORMATION* processInformation) override {
        return ::CreateProcessA(applicationName, commandLine, processAttributes, threadAttributes,
                                inheritHandles, creationFlags, environment, currentDirectory,
                                startupInfo, processInformation);
    }

    HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int showCommand) override {
        return ::ShellExecuteA(owner, verb, file, parameters, directory, showCommand);
    }

    UINT GetSystemDirectoryA(char* buffer, UINT size) override {
        return ::GetSystemDirectoryA(buffer, size);
    }

    UINT GetSystemWindowsDirectoryA(char* buffer, UINT size) override {
        return ::GetSystemWindowsDirectoryA(buffer, size);
    }

    DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) override {
        return ::GetModuleFileNameA(module, buffer, size);
    }

    bool ReadWholeFile(const char* path, std::string* contents) override {
        KernelHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Get() == INVALID_HANDLE_VALUE) return false;
        contents->clear();
        char block[4096];
        DWORD read = 0;
        while (ReadFile(file.Get(), block, sizeof block, &read, nullptr)) {
            if (read == 0) return true;
            contents->append(block, read);
        }
        return false;
    }

    bool RunToEnd(const char* applicationName, char* commandLine, DWORD* exitCode,
                  std::string* output) override {
        output->clear();
        KernelHandle readEnd;
        PROCESS_INFORMATION process = {};
        {
            // Only the write end is inherited; this process's copy closes at the end of
            // this block, so the pipe ends when the child's does.
            KernelHandle writeEnd;
            SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
            if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inherited, 0) ||
                !SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0)) {
                *exitCode = GetLastError();
                *output = errorDescription(*exitCode);
                return false;
            }
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = writeEnd.Get();
            startup.hStdError = writeEnd.Get();
            if (!::CreateProcessA(applicationName, commandLine, nullptr, nullptr, TRUE,
                                  NORMAL_PRIORITY_CLASS | CREATE_NO_WINDOW, nullptr, nullptr,
                                  &startup, &process)) {
                *exitCode = GetLastError();
                *output = errorDescription(*exitCode);
                return false;
            }
        }
        KernelHandle thread(process.hThread);
        KernelHandle child(process.hProcess);
        char block[4096];
        DWORD read = 0;
        while (ReadFile(readEnd.Get(), block, sizeof block, &read, nullptr) && read > 0) {
            if (output->size() < kLongestOutput) output->append(block, read);
        }
        WaitForSingleObject(child.Get(), INFINITE);
        if (!GetExitCodeProcess(child.Get(), exitCode)) *exitCode = GetLastError();
        return true;
    }

    bool QueryWindowsVersion(DWORD* majorVersion, DWORD* build) override {
        using RtlGetVersion = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
        const auto getVersion = loadedRoutine<RtlGetVersion>("ntdll.dll", "RtlGetVersion");
        if (!getVersion) return false;
        RTL_OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof version;
        if (getVersion(&version) != 0) return false;
        *majorVersion = version.dwMajorVersion;
        *build = version.dwBuildNumber;
        return true;
    }

    bool QueryWow64(bool* wow64) override {
        using IsWow64Process = BOOL(WINAPI*)(HANDLE, BOOL*);
        const auto isWow64 = loadedRoutine<IsWow64Process>("kernel32.dll", "IsWow64Process");
        BOOL answer = FALSE;
        if (!isWow64 || !isWow64(GetCurrentProcess(), &answer)) return false;
        *wow64 = answer != FALSE;
        return true;
    }

    bool QueryTokenElevation(bool* elevated) override {
        KernelHandle token;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return false;
        TOKEN_ELEVATION elevation = {};
        DWORD size = 0;
        // Before Windows Vista the information class is unknown and the call fails.
        if (!GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation,
                                 &size)) {
            return false;
        }
        *elevated = elevation.TokenIsElevated != 0;
        return true;
    }

    // The token's groups are read directly (CheckTokenMembership is missing before
    // Windows 2000); a group counts only when enabled, not when held for denying only.
    bool QueryAdministratorsMembership(bool* member) override {
        KernelHandle token;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return false;
        DWORD size = 0;
        GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
        if (size == 0) return false;
        std::vector<DWORD> buffer;
        try {
            buffer.resize((size + sizeof(DWORD) - 1) / sizeof(DWORD));
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!GetTokenInformation(token.Get(), TokenGroups, buffer.data(),
                                 static_cast<DWORD>(buffer.size() * sizeof(DWORD)), &size)) {
            return false;
        }
        SidHolder administrators;
        if (!makeAdministratorsSid(administrators)) return false;
        const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
        *member = false;
        for (DWORD i = 0; i < groups->GroupCount; ++i) {
            const SID_AND_ATTRIBUTES& group = groups->Groups[i];
            if ((group.Attributes & SE_GROUP_ENABLED) != 0 &&
                EqualSid(group.Sid, administrators.Get())) {
                *member = true;
            }
        }
        return true;
    }
};

}  // namespace

PlatformCalls& systemPlatformCalls() {
    static SystemPlatformCalls calls;
    return calls;
}
