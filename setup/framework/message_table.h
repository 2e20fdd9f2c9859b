// A dialog's message table: the messages it handles itself, consulted in order.
#pragma once

#include <windows.h>

#include <cstddef>

#include "setup/framework/message_entry.h"

class MessageTable {
public:
    constexpr MessageTable() : entries_(nullptr), count_(0) {}
    template <std::size_t N>
    constexpr explicit MessageTable(const MessageEntry (&entries)[N])
        : entries_(entries), count_(N) {}

    // The first entry that matches the message, or null.
    const MessageEntry* Find(UINT message, WPARAM wParam) const {
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
