// The picture in front of a menu item: the icon file beside the module at the size it is
// drawn at, so each size comes from its own image in the file. A handler keeps the one it
// drew for its life, so the many redraws of an open menu ask for it once; it asks again
// only for another file or another size. The icons themselves are the module's
// (module_icons.h).
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "extension/module_icons.h"

class ItemIcon {
public:
    // Makes this the icon of `path` (zero-terminated) at `size` pixels square, unless
    // that is what it already holds (or already failed to get). `path` must outlive this
    // object or the next call, whichever comes first.
    void load(std::u16string_view path, int size);

    // True when an icon with a colour bitmap was loaded.
    bool usable() const { return image_ != nullptr; }
    HICON handle() const { return image_->handle(); }
    // The size of its colour bitmap.
    LayoutSize size() const { return image_->size(); }

private:
    std::u16string_view path_;  // what was asked for last
    int requestedSize_ = 0;
    std::shared_ptr<const IconImage> image_;
};
