#include "setup/framework/dialog.h"

#include "common/exception_boundary.h"
#include "setup/framework/application.h"

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

INT_PTR Dialog::doModal() {
    Application* application = currentApplication();
    HWND owner = parent_;
    if (!owner && application) {
        Dialog* main = application->mainWindow();
        if (main && main != this) owner = main->hwnd();
    }
    HINSTANCE instance = application ? application->resourceInstance() : GetModuleHandleA(nullptr);
    const INT_PTR result = platform().dialogBox(instance, MAKEINTRESOURCEA(templateId_), owner,
                                                dialogProcedure, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    return result;
}

PlatformCalls& Dialog::platform() const {
    Application* application = currentApplication();
    return application ? application->platform() : systemPlatformCalls();
}

const MessageTable& Dialog::messageTable() const {
    static const MessageTable empty;
    return empty;
}

bool Dialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const MessageEntry* entry = messageTable().find(message, wParam);
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

INT_PTR CALLBACK Dialog::dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
        return dialog ? dialog->onMessage(message, wParam, lParam) : FALSE;
    });
}

INT_PTR Dialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();

    LRESULT result = 0;
    if (dispatch(message, wParam, lParam, result)) {
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
