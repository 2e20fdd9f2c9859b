// Measuring and drawing the two owner-drawn menu items: a small icon taken from the
// icon file beside the module, then the caption, in the normal, selected or grayed
// look. The geometry lives in item_layout.cpp.
#include <windows.h>
#include <shellapi.h>

#include <new>
#include <string>
#include <string_view>

#include "common/module_path.h"
#include "extension/handler_state.h"
#include "extension/item_layout.h"

namespace {

constexpr COLORREF kGrayText = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kShadow = RGB(0xFF, 0xFF, 0xFF);
constexpr int kCaptionBufferSize = 40;

// The icon the shell gives for a file, with the two bitmaps of its icon information;
// everything is released when this goes out of scope.
class ShellIcon {
public:
    // `path` is zero-terminated.
    explicit ShellIcon(const char16_t* path) {
        SHFILEINFOW info{};
        if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(path), 0, &info, sizeof(info),
                            SHGFI_ICON | SHGFI_SMALLICON)) {
            return;
        }
        icon_ = info.hIcon;
        if (!icon_ || !GetIconInfo(icon_, &iconInfo_)) return;
        BITMAP bitmap{};
        if (iconInfo_.hbmColor &&
            GetObjectW(iconInfo_.hbmColor, sizeof(bitmap), &bitmap) == sizeof(bitmap)) {
            size_ = {bitmap.bmWidth, bitmap.bmHeight};
            usable_ = true;
        }
    }
    ~ShellIcon() {
        if (iconInfo_.hbmMask) DeleteObject(iconInfo_.hbmMask);
        if (iconInfo_.hbmColor) DeleteObject(iconInfo_.hbmColor);
        if (icon_) DestroyIcon(icon_);
    }
    ShellIcon(const ShellIcon&) = delete;
    ShellIcon& operator=(const ShellIcon&) = delete;

    bool usable() const { return usable_; }
    HICON handle() const { return icon_; }
    LayoutSize size() const { return size_; }

private:
    HICON icon_ = nullptr;
    ICONINFO iconInfo_{};
    LayoutSize size_{0, 0};
    bool usable_ = false;
};

RECT toRect(const LayoutRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

LayoutRect toLayout(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// Paints `rect` in the device context's background colour: ExtTextOut with no text
// draws only its opaque rectangle.
void fillWithBackground(HDC dc, int x, int y, const RECT& rect) {
    ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &rect, nullptr, 0, nullptr);
}

}  // namespace

HRESULT HandlerState::handleMenuMsg2(UINT message, WPARAM, LPARAM lParam, LRESULT*) {
    switch (message) {
        case WM_MEASUREITEM:
            if (auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)) {
                measure->itemWidth = kItemWidth;
                measure->itemHeight = kItemHeight;
            }
            break;
        case WM_DRAWITEM:
            if (auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) drawItem(*draw);
            break;
        default:
            break;
    }
    return S_OK;
}

void HandlerState::fillIconPaths() {
    if (!module_) return;
    try {
        std::u16string path;
        if (FAILED(modulePath(module_, path)) || path.size() < 3) return;
        path.replace(path.size() - 3, 3, u"ico");
        iconPaths_.append(path);
        iconPaths_.append(path);
    } catch (const std::bad_alloc&) {
        // No icon path: the items are drawn with an empty icon column.
    }
}

void HandlerState::drawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU) return;
    const UINT offset = item.itemID - firstCommandId_;
    if (offset >= CommandCount || offset >= static_cast<UINT>(captions_.count())) return;

    char caption[kCaptionBufferSize];
    caption[0] = '\0';
    // List items are zero-terminated.
    const std::u16string_view wideCaption = captions_[static_cast<int>(offset)];
    if (!WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(wideCaption.data()), -1, caption,
                             sizeof(caption), nullptr, nullptr)) {
        caption[0] = '\0';
    }

    if (iconPaths_.empty()) fillIconPaths();
    if (!(item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return;

    HDC dc = item.hDC;
    if (item.itemState & ODS_SELECTED) {
        SetTextColor(dc,
                     (item.itemState & ODS_GRAYED) ? kGrayText : GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    }

    RECT fill = item.rcItem;
    const LayoutRect itemRect = toLayout(item.rcItem);
    if (static_cast<UINT>(iconPaths_.count()) > offset) {
        ShellIcon icon(iconPaths_[static_cast<int>(offset)].data());
        if (icon.usable()) {
            const LayoutRect cell = computeItemLayout(itemRect, icon.size(), {0, 0}, 0).iconCell;
            fillWithBackground(dc, 0, 0, fill);
            fill.left = cell.right;
            DrawIconEx(dc, cell.left, cell.top, icon.handle(), icon.size().width,
                       icon.size().height, 0, nullptr, DI_NORMAL);
        }
    }

    const int length = lstrlenA(caption);
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc, caption, length, &extent);
    const ItemLayout layout =
        computeItemLayout(itemRect, {kIconCellSize, kIconCellSize}, {extent.cx, extent.cy},
                          GetSystemMetrics(SM_CXFRAME));
    fillWithBackground(dc, layout.textX, layout.textY, fill);

    RECT text = toRect(layout.textRect);
    if (item.itemState & ODS_GRAYED) {
        SetBkMode(dc, TRANSPARENT);
        OffsetRect(&text, 1, 1);
        SetTextColor(dc, kShadow);
        DrawTextA(dc, caption, length, &text, DT_EXPANDTABS);
        OffsetRect(&text, -1, -1);
        SetTextColor(dc, kGrayText);
    }
    DrawTextA(dc, caption, length, &text, DT_EXPANDTABS);
}
