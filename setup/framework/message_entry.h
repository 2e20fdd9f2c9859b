// One entry of a dialog's message table. An entry for WM_COMMAND names the notification
// code and the control id as well; any other entry matches on the message alone.
#pragma once

#include <windows.h>

class Dialog;

struct MessageEntry {
    using Handler = LRESULT (Dialog::*)(WPARAM wParam, LPARAM lParam);

    UINT message;
    UINT notifyCode;
    UINT controlId;
    Handler handler;
};

// A handler of a class derived from Dialog, as a message table holds it.
template <class Derived>
constexpr MessageEntry::Handler messageHandler(LRESULT (Derived::*handler)(WPARAM, LPARAM)) {
    return static_cast<MessageEntry::Handler>(handler);
}
