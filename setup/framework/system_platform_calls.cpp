// The platform calls passed straight to the system.
#include "setup/framework/platform_calls.h"

#include <shellapi.h>

namespace {

class SystemPlatformCalls : public PlatformCalls {
public:
    int messageBox(HWND owner, const char* text, const char* caption, UINT style) override {
        return MessageBoxA(owner, text, caption, style);
    }

    INT_PTR dialogBox(HINSTANCE instance, const char* templateName, HWND owner, DLGPROC procedure,
                      LPARAM parameter) override {
        return DialogBoxParamA(instance, templateName, owner, procedure, parameter);
    }

    BOOL createProcess(const char* applicationName, char* commandLine,
                       SECURITY_ATTRIBUTES* processAttributes,
                       SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles,
                       DWORD creationFlags, void* environment, const char* currentDirectory,
                       STARTUPINFOA* startupInfo,
                       PROCESS_INFORMATION* processInformation) override {
        return CreateProcessA(applicationName, commandLine, processAttributes, threadAttributes,
                              inheritHandles, creationFlags, environment, currentDirectory,
                              startupInfo, processInformation);
    }

    HINSTANCE shellExecute(HWND owner, const char* verb, const char* file, const char* parameters,
                           const char* directory, int showCommand) override {
        return ShellExecuteA(owner, verb, file, parameters, directory, showCommand);
    }
};

}  // namespace

PlatformCalls& systemPlatformCalls() {
    static SystemPlatformCalls calls;
    return calls;
}
