#include "extension/item_icon.h"

void ItemIcon::load(std::u16string_view path, int size) {
    if (requestedSize_ == size && path_ == path) return;
    release();
    path_ = path;
    requestedSize_ = size;
    HICON icon = static_cast<HICON>(LoadImageW(nullptr, reinterpret_cast<LPCWSTR>(path.data()),
                                               IMAGE_ICON, size, size, LR_LOADFROMFILE));
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) {
        if (icon) DestroyIcon(icon);
        return;
    }
    // GetIconInfo hands out copies of the bitmaps: only the colour one's size is kept.
    BITMAP bitmap{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap) == sizeof(bitmap)) {
        size_ = {bitmap.bmWidth, bitmap.bmHeight};
        icon_ = icon;
    } else {
        DestroyIcon(icon);
    }
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

void ItemIcon::release() {
    if (icon_) DestroyIcon(icon_);
    icon_ = nullptr;
    size_ = {0, 0};
}

ItemIcon::~ItemIcon() { release(); }
