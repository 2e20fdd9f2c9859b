// The platform calls passed straight to the system.
#include "setup/framework/platform_calls.h"

#include <shellapi.h>

#include <new>
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
