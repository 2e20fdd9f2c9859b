// The application object of a dialog-based program: its name, its main window, its
// InitInstance step, and message boxes captioned with its name. Exactly one exists
// while the program runs (currentApplication).
#pragma once

#include <windows.h>

#include <string>

#include "setup/framework/platform_calls.h"

class Dialog;

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Names the application after the executable's base name, then runs InitInstance.
    // A dialog-based program does all its work inside InitInstance, so the program ends
    // when it returns; the exit code is 0.
    int run();

    // The program's start-up step.
    virtual BOOL InitInstance() = 0;

    // Every system this runs on draws dialog controls three-dimensional by itself
    // (DS_3DLOOK is implied for programs of Windows version 4 and later), so there is
    // nothing left to switch on; kept so start-up reads as the program's steps do.
    BOOL enable3dControls() { return TRUE; }

    // The application name, a C-runtime heap string the object owns (null before run).
    const char* name() const { return name_; }
    // Releases the current name with free and takes a _strdup copy of `name`.
    void setName(const char* name);

    Dialog* mainWindow() const { return mainWindow_; }
    void setMainWindow(Dialog* window) { mainWindow_ = window; }

    // The module that holds the program's resources.
    HINSTANCE resourceInstance() const { return resourceInstance_; }
    std::string loadString(UINT id) const;

    // Shows string resource `textId` in a message box modal to the main window, captioned
    // with the application name; returns the button pressed.
    int messageBox(UINT textId, UINT style);

    PlatformCalls& platform() const { return *platform_; }
    void setPlatform(PlatformCalls& platform) { platform_ = &platform; }

private:
    char* name_ = nullptr;
    Dialog* mainWindow_ = nullptr;
    HINSTANCE resourceInstance_;
    PlatformCalls* platform_;
};

// The application object of this process, or null when none exists.
Application* currentApplication();
