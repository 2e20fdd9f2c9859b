// A modal dialog built from a dialog template. The dialog manager runs it; messages
// reach OnInitDialog, the derived class's message table, then OnOK / OnCancel for
// IDOK / IDCANCEL. Whatever nobody handles gets the dialog manager's default
// processing.
#pragma once

#include <windows.h>

#include "setup/framework/message_table.h"
#include "setup/framework/platform_calls.h"

class Dialog {
public:
    // With no parent the dialog is owned by the application's main window.
    explicit Dialog(UINT templateId, HWND parent = nullptr)
        : templateId_(templateId), parent_(parent) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the dialog from its template and runs it until it ends; returns the end code.
    INT_PTR doModal();

    // The dialog's window while it runs, else null.
    HWND hwnd() const { return hwnd_; }

    // Looks the message up in the message table and runs its handler. True, with the
    // handler's result, when the message was handled; false when it goes on to default
    // processing.
    bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // Called when the dialog is created. TRUE lets the dialog manager give the focus to
    // the first tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    // The dialog exchanges no data with its controls; both only end the dialog.
    virtual void OnOK() { EndDialog(hwnd_, IDOK); }
    virtual void OnCancel() { EndDialog(hwnd_, IDCANCEL); }

    virtual const MessageTable& messageTable() const;

    // From a handler: the message the handler runs for goes on to the dialog manager's
    // default processing once the handler returns.
    void Default() { defaultProcessing_ = true; }

    PlatformCalls& platform() const;

private:
    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    bool defaultProcessing_ = false;
};
