// A window's own, modifiable copy of its system menu (GetSystemMenu with FALSE).
#pragma once

#include <windows.h>

class SystemMenu {
public:
    explicit SystemMenu(HWND window) : menu_(window ? GetSystemMenu(window, FALSE) : nullptr) {}

    // False when the window has no system menu.
    bool Exists() const { return menu_ != nullptr; }

    bool AppendSeparator() { return AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr) != FALSE; }
    bool AppendString(UINT_PTR id, const char* text) {
        return AppendMenuA(menu_, MF_STRING, id, text) != FALSE;
    }

private:
    HMENU menu_;
};
