// The picture in front of a menu item: the icon file beside the module, loaded at the
// size it is drawn at, so each size comes from its own image in the file. Everything
// obtained is released when this goes out of scope.
#pragma once

#include <windows.h>

#include "extension/item_layout.h"

class ItemIcon {
public:
    // `path` is zero-terminated; `size` is the width and height wanted.
    ItemIcon(const char16_t* path, int size);
    ~ItemIcon();
    ItemIcon(const ItemIcon&) = delete;
    ItemIcon& operator=(const ItemIcon&) = delete;

    // True when an icon with a colour bitmap was loaded.
    bool usable() const { return usable_; }
    HICON handle() const { return icon_; }
    // The size of its colour bitmap.
    LayoutSize size() const { return size_; }

private:
    HICON icon_ = nullptr;
    ICONINFO iconInfo_{};
    LayoutSize size_{0, 0};
    bool usable_ = false;
};
