// A real popup menu with two items of its own (ids kFirstId and kLastId), to see where
// the handler puts its items and what they look like.
#pragma once

#include <windows.h>

#include <string>

class MenuProbe {
public:
    static constexpr UINT kFirstId = 9001;
    static constexpr UINT kLastId = 9002;

    MenuProbe() : menu_(CreatePopupMenu()) {
        AppendMenuA(menu_, MF_STRING, kFirstId, "first");
        AppendMenuA(menu_, MF_STRING, kLastId, "last");
    }
    ~MenuProbe() { DestroyMenu(menu_); }
    MenuProbe(const MenuProbe&) = delete;
    MenuProbe& operator=(const MenuProbe&) = delete;

    HMENU handle() const { return menu_; }
    int count() const { return GetMenuItemCount(menu_); }
    UINT id(int position) const { return GetMenuItemID(menu_, position); }
    UINT type(int position) const {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu_, position, TRUE, &info);
        return info.fType;
    }
    std::wstring text(int position) const {
        wchar_t buffer[128] = {};
        GetMenuStringW(menu_, position, buffer, 128, MF_BYPOSITION);
        return buffer;
    }

private:
    HMENU menu_;
};
