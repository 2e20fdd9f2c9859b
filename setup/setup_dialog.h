// The setup tool's main dialog: install and uninstall through regsvr32, the help page on
// F1, the About box from its button and the system menu, and the icon while minimized.
#pragma once

#include "setup/framework/dialog.h"

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
    // Asks `question`; unless the answer is No, starts the system's regsvr32 with the
    // command line `command` (with administrator rights) or `userCommand` (without), and
    // reports `started` or `failed`.
    void RunRegistrationCommand(UINT question, UINT command, UINT userCommand, UINT started,
                                UINT failed);

    // The program icon, loaded once and never destroyed.
    HICON icon_;
};
