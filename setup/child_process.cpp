#include "setup/child_process.h"

#include "common/kernel_handle.h"

BOOL startChildProcess(PlatformCalls& platform, const char* applicationName, char* commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const BOOL started =
        platform.CreateProcessA(applicationName, commandLine, nullptr, nullptr, FALSE,
                                NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process);
    // Nothing watches the child; its handles are not needed.
    if (started) {
        KernelHandle thread(process.hThread);
        KernelHandle child(process.hProcess);
    }
    return started;
}
