// The setup tool's main dialog: install and uninstall through regsvr32, the help page on
// F1, the About box from its button and the system menu, and the icon while minimized.
#pragma once

#include "setup/framework/dialog.h"

class SetupDialog : public Dialog {
public:
    SetupDialog();

    HICON icon() const { return icon_; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    const MessageTable& messageTable() const override;

private:
    LRESULT onSysCommand(WPARAM command, LPARAM position);
    LRESULT onPaint(WPARAM, LPARAM);
    LRESULT onQueryDragIcon(WPARAM, LPARAM);
    LRESULT onAbout(WPARAM, LPARAM);
    LRESULT onInstall(WPARAM, LPARAM);
    LRESULT onUninstall(WPARAM, LPARAM);
    LRESULT onHelp(WPARAM, LPARAM);

    void addAboutMenuEntry();
    void openAboutBox();
    // Asks `question`; unless the answer is No, starts the system's regsvr32 with the
    // command line `command` (with administrator rights) or `userCommand` (without), and
    // reports `started` or `failed`.
    void registrationCommand(UINT question, UINT command, UINT userCommand, UINT started,
                             UINT failed);

    // The program icon, loaded once and never destroyed.
    HICON icon_;
};
