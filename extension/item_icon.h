// The picture in front of a menu item: the icon file beside the module, loaded at the
// size it is drawn at, so each size comes from its own image in the file. A handler keeps
// one for its life, so that the many redraws of an open menu read the file once; it is
// loaded again only when another file or another size is asked for. Everything obtained
// is released when it is replaced or goes out of scope.
#pragma once

#include <windows.h>

#include <string_view>

#include "extension/item_layout.h"

class ItemIcon {
public:
    ItemIcon() = default;
    ~ItemIcon();
    ItemIcon(const ItemIcon&) = delete;
    ItemIcon& operator=(const ItemIcon&) = delete;

    // Makes this the icon of `path` (zero-terminated) at `size` pixels square, loading it
    // unless that is what it already holds (or already failed to load). `path` must
    // outlive this object or the next call, whichever comes first.
    void load(std::u16string_view path, int size);

    // True when an icon with a colour bitmap was loaded.
    bool usable() const { return icon_ != nullptr; }
    HICON handle() const { return icon_; }
    // The size of its colour bitmap.
    LayoutSize size() const { return size_; }

private:
    void release();

    std::u16string_view path_;  // what was asked for last
    int requestedSize_ = 0;
    HICON icon_ = nullptr;  // null unless it has a colour bitmap
    LayoutSize size_{0, 0};
};
