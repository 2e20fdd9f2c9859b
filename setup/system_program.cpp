#include "setup/system_program.h"

#include <new>

std::string systemProgramPath(PlatformCalls& platform, const char* fileName) {
    char folder[MAX_PATH] = {};
    const UINT length = platform.GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    try {
        return std::string(folder, length) + "\\" + fileName;
    } catch (const std::bad_alloc&) {
        return std::string();
    }
}
