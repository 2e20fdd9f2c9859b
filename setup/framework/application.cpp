#include "setup/framework/application.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/path_text.h"

namespace {

// "C:\dir\Program.exe" -> "Program".
std::string executableBaseName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* base = path;
    for (const char* p = path; *p; p = CharNextA(p)) {
        if (isPathSeparator(static_cast<unsigned char>(*p))) base = p + 1;
    }
    std::string name(base);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

}  // namespace

Application::Application()
    : resourceInstance_(GetModuleHandleA(nullptr)), platform_(&systemPlatformCalls()) {}

Application::~Application() { std::free(name_); }

int Application::Run() {
    SetName(executableBaseName().c_str());
    InitInstance();
    return 0;
}

void Application::SetName(const char* name) {
    std::free(name_);
    name_ = _strdup(name);
}
