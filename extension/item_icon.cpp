#include "extension/item_icon.h"

ItemIcon::ItemIcon(const char16_t* path, int size) {
    icon_ = static_cast<HICON>(LoadImageW(nullptr, reinterpret_cast<LPCWSTR>(path), IMAGE_ICON,
                                          size, size, LR_LOADFROMFILE));
    if (!icon_ || !GetIconInfo(icon_, &iconInfo_)) return;
    BITMAP bitmap{};
    if (iconInfo_.hbmColor &&
        GetObjectW(iconInfo_.hbmColor, sizeof(bitmap), &bitmap) == sizeof(bitmap)) {
        size_ = {bitmap.bmWidth, bitmap.bmHeight};
        usable_ = true;
    }
}

ItemIcon::~ItemIcon() {
    if (iconInfo_.hbmMask) DeleteObject(iconInfo_.hbmMask);
    if (iconInfo_.hbmColor) DeleteObject(iconInfo_.hbmColor);
    if (icon_) DestroyIcon(icon_);
}
