// The icons drawn in front of the menu items, read from the icon file once for the life
// of the module: Explorer keeps a loaded extension for minutes and makes a new handler
// for every right-click, so a right-click on the loaded DLL reads nothing from disk. An
// icon is read again when the file's size or last-write time has changed since it was
// read. Safe to use from several threads at once.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

#include "common/icon_handle.h"
#include "extension/item_layout.h"

// One icon read from a file at one size, with a colour bitmap; destroyed when its last
// holder lets it go.
class IconImage {
public:
    // Reads the icon of `path` (zero-terminated) at `size` pixels square; false, holding
    // nothing, when the file is missing or holds no icon with a colour bitmap.
    bool Read(const wchar_t* path, int size);

    HICON Handle() const { return icon_.Get(); }
    // The size of its colour bitmap.
    LayoutSize Size() const { return size_; }

private:
    IconHandle icon_;
    LayoutSize size_{0, 0};
};

// The icon of `path` (zero-terminated) at `size` pixels square: the one kept from an
// earlier read while the file has kept its size and last-write time, else read now and
// kept. Null when the file is missing or holds no usable icon.
std::shared_ptr<const IconImage> moduleIcon(std::u16string_view path, int size);

// Lets go of every kept icon; those still held are destroyed with their last holder.
void releaseModuleIcons();
