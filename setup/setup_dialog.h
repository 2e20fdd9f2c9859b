// The setup tool's main dialog: install and uninstall through regsvr32 (and on Windows 11
// the package that puts the commands in Explorer's first menu), the help page on F1, the About box
// from its button and the system menu, and the icon while minimized.
#pragma once

#include <string>

#include "setup/framework/dialog.h"
#include "setup/windows11_menu.h"

class SetupDialog : public Dialog {
public:
    explicit SetupDialog(const DialogContext& context);

protected:
    BOOL OnInitDialog() override;
    const MessageTable& GetMessageTable() const override;

private:
    LRESULT OnSysCommand(WPARAM command, LPARAM position);
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnAbout(WPARAM, LPARAM);
    LRESULT OnInstall(WPARAM, LPARAM);
    LRESULT OnUninstall(WPARAM, LPARAM);
    LRESULT OnHelp(WPARAM, LPARAM);

    void AddAboutMenuEntry();
    // A new About box, owned by this dialog, run until it ends.
    void OpenAboutBox();
    // Starts the system's regsvr32 with the command line `command` (with administrator
    // rights) or `userCommand` (without), does not wait for it, and reports `started` or
    // `failed`. True when it started.
    bool StartRegistration(UINT command, UINT userCommand, UINT started, UINT failed);
    // Runs PowerShell with `commandLine` to its end; true when it succeeded, else false
    // with what went wrong in `failure`.
    bool RunPackageCommand(const Windows11PackageCommands& commands, const std::string& commandLine,
                           std::string* failure);
    // Registers the package for the current user and says whether Windows 11's menu now
    // has the commands.
    void AddWindows11Menu(const Windows11PackageCommands& commands);
    // Removes the package; says so only when that failed.
    void RemoveWindows11Menu(const Windows11PackageCommands& commands);
    // String resource `textId`, a blank line and `detail`, in a message box.
    void ShowMessageWithDetail(UINT textId, const std::string& detail, UINT style) const;

    // The program icon, loaded once and never destroyed.
    HICON icon_;
};
