#include "setup/framework/dialog.h"

#include "common/exception_boundary.h"
#include "setup/framework/resource_string.h"

namespace {

// Messages whose result a dialog procedure returns itself instead of through
// DWLP_MSGRESULT.
bool returnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
    }
}

}  // namespace

INT_PTR Dialog::DoModal() {
    const INT_PTR result =
        Platform().DialogBoxParamA(Instance(), MAKEINTRESOURCEA(templateId_), context_.owner,
                                   DialogProcedure, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    return result;
}

const MessageTable& Dialog::GetMessageTable() const {
    static const MessageTable empty;
    return empty;
}

std::string Dialog::ResourceString(UINT id) const { return loadResourceString(Instance(), id); }

int Dialog::ShowMessage(UINT textId, UINT style) const {
    return ShowMessageText(ResourceString(textId), style);
}

int Dialog::ShowMessageText(const std::string& text, UINT style) const {
    return Platform().MessageBoxA(hwnd_, text.c_str(), context_.caption, style);
}

bool Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const MessageEntry* entry = GetMessageTable().Find(message, wParam);
    if (!entry) return false;
    // A handler may run a modal loop that dispatches other messages meanwhile; each
    // message keeps its own request for default processing.
    const bool outer = defaultProcessing_;
    defaultProcessing_ = false;
    result = (this->*(entry->handler))(wParam, lParam);
    const bool handled = !defaultProcessing_;
    defaultProcessing_ = outer;
    return handled;
}

INT_PTR CALLBACK Dialog::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A message whose handler throws counts as not handled.
    return entryBoundary(INT_PTR{FALSE}, [&]() -> INT_PTR {
        Dialog* dialog;
        if (message == WM_INITDIALOG) {
            dialog = reinterpret_cast<Dialog*>(lParam);
            SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
            if (dialog) dialog->hwnd_ = window;
        } else {
            dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
        }
        return dialog ? dialog->OnMessage(message, wParam, lParam) : FALSE;
    });
}

INT_PTR Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();

    LRESULT result = 0;
    if (Dispatch(message, wParam, lParam, result)) {
        if (returnsResultDirectly(message)) return static_cast<INT_PTR>(result);
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
            case IDOK:
                OnOK();
                return TRUE;
            case IDCANCEL:
                OnCancel();
                return TRUE;
        }
    }
    return FALSE;
}
