// A modal dialog built from a dialog template. The dialog manager runs it; messages
// reach OnInitDialog, the derived class's message table, then OnOK / OnCancel for
// IDOK / IDCANCEL. Whatever nobody handles gets the dialog manager's default
// processing.
#pragma once

#include <windows.h>

#include <string>

#include "setup/framework/dialog_context.h"
#include "setup/framework/message_table.h"
#include "setup/framework/platform_calls.h"

class Dialog {
public:
    Dialog(UINT templateId, const DialogContext& context)
        : templateId_(templateId), context_(context) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the dialog from its template, owned by the context's owner, and runs it
    // until it ends; returns the end code.
    INT_PTR DoModal();

    // The dialog's window while it runs, else null.
    HWND Window() const { return hwnd_; }

    // Looks the message up in the message table and runs its handler. True, with the
    // handler's result, when the message was handled; false when it goes on to default
    // processing.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // Called when the dialog is created. TRUE lets the dialog manager give the focus to
    // the first tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    // The dialog exchanges no data with its controls; both only end the dialog.
    virtual void OnOK() { EndDialog(hwnd_, IDOK); }
    virtual void OnCancel() { EndDialog(hwnd_, IDCANCEL); }

    virtual const MessageTable& GetMessageTable() const;

    // From a handler: the message the handler runs for goes on to the dialog manager's
    // default processing once the handler returns.
    void Default() { defaultProcessing_ = true; }

    HINSTANCE Instance() const { return context_.instance; }
    PlatformCalls& Platform() const { return *context_.platform; }
    // String resource `id` of the dialog's module; empty when there is none.
    std::string ResourceString(UINT id) const;
    // Shows string resource `textId` in a message box modal to this dialog, captioned as
    // the context says; returns the button pressed.
    int ShowMessage(UINT textId, UINT style) const;
    // The same for a text made by the program.
    int ShowMessageText(const std::string& text, UINT style) const;
    // The context of a dialog that this one owns.
    DialogContext OwnedContext() const {
        return DialogContext{context_.instance, context_.platform, hwnd_, context_.caption};
    }

private:
    static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    DialogContext context_;
    HWND hwnd_ = nullptr;
    bool defaultProcessing_ = false;
};
