// A dialog's message table: the messages it handles itself, consulted in order. An
// entry for WM_COMMAND names the notification code and the control id as well; any
// other entry matches on the message alone.
#pragma once

#include <windows.h>

#include <cstddef>

class Dialog;

struct MessageEntry {
    using Handler = LRESULT (Dialog::*)(WPARAM wParam, LPARAM lParam);

    UINT message;
    UINT notifyCode;
    UINT controlId;
    Handler handler;
};

class MessageTable {
public:
    constexpr MessageTable() : entries_(nullptr), count_(0) {}
    template <std::size_t N>
    constexpr explicit MessageTable(const MessageEntry (&entries)[N])
        : entries_(entries), count_(N) {}

    // The first entry that matches the message, or null.
    const MessageEntry* find(UINT message, WPARAM wParam) const {
        for (std::size_t i = 0; i < count_; ++i) {
            const MessageEntry& entry = entries_[i];
            if (entry.message != message) continue;
            if (message == WM_COMMAND &&
                (entry.notifyCode != HIWORD(wParam) || entry.controlId != LOWORD(wParam))) {
                continue;
            }
            return &entry;
        }
        return nullptr;
    }

private:
    const MessageEntry* entries_;
    std::size_t count_;
};

// A handler of a class derived from Dialog, as a message table holds it.
template <class Derived>
constexpr MessageEntry::Handler messageHandler(LRESULT (Derived::*handler)(WPARAM, LPARAM)) {
    return static_cast<MessageEntry::Handler>(handler);
}
