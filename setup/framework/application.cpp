#include "setup/framework/application.h"

#include <cstdlib>
#include <cstring>

#include "setup/framework/dialog.h"
#include "setup/framework/resource_string.h"

namespace {

Application* theApplication = nullptr;

// "C:\dir\Program.exe" -> "Program".
std::string executableBaseName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* base = path;
    for (const char* p = path; *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/' || *p == ':') base = p + 1;
    }
    std::string name(base);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

}  // namespace

Application* currentApplication() { return theApplication; }

Application::Application()
    : resourceInstance_(GetModuleHandleA(nullptr)), platform_(&systemPlatformCalls()) {
    theApplication = this;
}

Application::~Application() {
    std::free(name_);
    if (theApplication == this) theApplication = nullptr;
}

int Application::run() {
    setName(executableBaseName().c_str());
    InitInstance();
    return 0;
}

void Application::setName(const char* name) {
    std::free(name_);
    name_ = _strdup(name);
}

std::string Application::loadString(UINT id) const {
    return loadResourceString(resourceInstance_, id);
}

int Application::messageBox(UINT textId, UINT style) {
    const std::string text = loadString(textId);
    HWND owner = mainWindow_ ? mainWindow_->hwnd() : nullptr;
    return platform_->messageBox(owner, text.c_str(), name_, style);
}
