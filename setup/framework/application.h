// The application object of a dialog-based program: its name, the module that holds its
// resources, the platform calls it acts through, and its InitInstance step, which makes
// and runs the program's dialogs with the context this object gives them.
#pragma once

#include <windows.h>

#include "setup/framework/dialog_context.h"
#include "setup/framework/platform_calls.h"

class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Names the application after the executable's base name, then runs InitInstance.
    // A dialog-based program does all its work inside InitInstance, so the program ends
    // when it returns; the exit code is 0.
    int Run();

    // The program's start-up step.
    virtual BOOL InitInstance() = 0;

    // Every system this runs on draws dialog controls three-dimensional by itself
    // (DS_3DLOOK is implied for programs of Windows version 4 and later), so there is
    // nothing left to switch on; kept so start-up reads as the program's steps do.
    BOOL Enable3dControls() { return TRUE; }

    // The application name, a C-runtime heap string the object owns (null before Run).
    const char* Name() const { return name_; }
    // Releases the current name with free and takes a _strdup copy of `name`.
    void SetName(const char* name);

    void SetPlatform(PlatformCalls& platform) { platform_ = &platform; }

    // The context of the program's main dialog: no owner, message boxes captioned with
    // the application name.
    DialogContext MainDialogContext() const {
        return DialogContext{resourceInstance_, platform_, nullptr, name_};
    }

private:
    char* name_ = nullptr;
    HINSTANCE resourceInstance_;
    PlatformCalls* platform_;
};
