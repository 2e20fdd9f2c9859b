// Measuring and drawing the two owner-drawn menu items: a small icon taken from the
// icon file beside the module, then the caption, in the normal, selected or grayed
// look, sized for the DPI the menu is shown at. The geometry lives in item_layout.cpp.
#include <windows.h>

#include <new>
#include <string>
#include <string_view>

#include "common/module_path.h"
#include "extension/handler_state.h"
#include "extension/item_icon.h"
#include "extension/item_layout.h"
#include "extension/menu_dpi.h"

namespace {

constexpr COLORREF kGrayText = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kShadow = RGB(0xFF, 0xFF, 0xFF);
constexpr int kCaptionBufferSize = 40;

using CaptionBuffer = char[kCaptionBufferSize];

// The caption in the ANSI code page, as the menu shows it; empty if it does not convert.
void toAnsiCaption(std::u16string_view wideCaption, CaptionBuffer& caption) {
    caption[0] = '\0';
    // List items are zero-terminated.
    if (!WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(wideCaption.data()), -1, caption,
                             kCaptionBufferSize, nullptr, nullptr)) {
        caption[0] = '\0';
    }
}

RECT toRect(const LayoutRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

LayoutRect toLayout(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// Paints `rect` in the device context's background colour: ExtTextOut with no text
// draws only its opaque rectangle.
void fillWithBackground(HDC dc, int x, int y, const RECT& rect) {
    ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &rect, nullptr, 0, nullptr);
}

// Draws the item's look, icon and caption; `icon` may be null (no icon).
void paintItem(const DRAWITEMSTRUCT& item, const char* caption, const ItemIcon* icon, int dpi) {
    HDC dc = item.hDC;
    if (item.itemState & ODS_SELECTED) {
        SetTextColor(dc,
                     (item.itemState & ODS_GRAYED) ? kGrayText : GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    }

    RECT fill = item.rcItem;
    const LayoutRect itemRect = toLayout(item.rcItem);
    if (icon && icon->usable()) {
        const LayoutRect cell = computeItemLayout(itemRect, icon->size(), {0, 0}, 0, dpi).iconCell;
        fillWithBackground(dc, 0, 0, fill);
        fill.left = cell.right;
        DrawIconEx(dc, cell.left, cell.top, icon->handle(), icon->size().width, icon->size().height,
                   0, nullptr, DI_NORMAL);
    }

    const int length = lstrlenA(caption);
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc, caption, length, &extent);
    const int cellSize = smallIconSize(dpi);
    const ItemLayout layout = computeItemLayout(itemRect, {cellSize, cellSize},
                                                {extent.cx, extent.cy}, frameWidthForDpi(dpi), dpi);
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

}  // namespace

HRESULT HandlerState::handleMenuMsg2(UINT message, WPARAM, LPARAM lParam, LRESULT*,
                                     IUnknown* site) {
    switch (message) {
        case WM_MEASUREITEM:
            if (auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)) {
                measureItem(*measure, site);
            }
            break;
        case WM_DRAWITEM:
            if (auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) {
                drawItem(*draw, site);
            }
            break;
        default:
            break;
    }
    return S_OK;
}

void HandlerState::measureItem(MEASUREITEMSTRUCT& measure, IUnknown* site) const {
    const int dpi = menuDpi(site);
    LayoutSize size{kItemWidth, kItemHeight};
    if (dpi != kBaseDpi) size = itemSizeForDpi(dpi, widestCaption(dpi), frameWidthForDpi(dpi));
    measure.itemWidth = static_cast<UINT>(size.width);
    measure.itemHeight = static_cast<UINT>(size.height);
}

int HandlerState::widestCaption(int dpi) const {
    LOGFONTW logFont{};
    if (!menuFontForDpi(dpi, &logFont)) return 0;
    HFONT font = CreateFontIndirectW(&logFont);
    if (!font) return 0;
    int widest = 0;
    if (HDC dc = CreateCompatibleDC(nullptr)) {
        const HGDIOBJ oldFont = SelectObject(dc, font);
        for (int offset = 0; offset < captions_.count(); ++offset) {
            CaptionBuffer caption;
            toAnsiCaption(captions_[offset], caption);
            SIZE extent{0, 0};
            if (GetTextExtentPoint32A(dc, caption, lstrlenA(caption), &extent) &&
                extent.cx > widest) {
                widest = extent.cx;
            }
        }
        SelectObject(dc, oldFont);
        DeleteDC(dc);
    }
    DeleteObject(font);
    return widest;
}

void HandlerState::fillIconPaths() {
    if (!module_) return;
    try {
        std::u16string path;
        if (FAILED(modulePath(module_, path)) || path.size() < 3) return;
        path.replace(path.size() - 3, 3, u"ico");
        // Both paths or none: a list with one would never be filled again.
        WideStringList paths;
        if (paths.append(path) && paths.append(path)) iconPaths_.swap(paths);
    } catch (const std::bad_alloc&) {
        // No icon path yet: the items are drawn with an empty icon column until a later
        // draw finds memory for it.
    }
}

void HandlerState::drawItem(const DRAWITEMSTRUCT& item, IUnknown* site) {
    if (item.CtlType != ODT_MENU) return;
    const UINT offset = item.itemID - firstCommandId_;
    if (offset >= CommandCount || offset >= static_cast<UINT>(captions_.count())) return;

    CaptionBuffer caption;
    toAnsiCaption(captions_[static_cast<int>(offset)], caption);

    if (iconPaths_.empty()) fillIconPaths();
    if (!(item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return;

    const int dpi = menuDpi(site);
    const ItemIcon* icon = nullptr;
    if (static_cast<UINT>(iconPaths_.count()) > offset) {
        icon_.load(iconPaths_[static_cast<int>(offset)], smallIconSize(dpi));
        icon = &icon_;
    }
    // The menu draws its other items on the same device context: leave it as found.
    const int saved = SaveDC(item.hDC);
    paintItem(item, caption, icon, dpi);
    if (saved) RestoreDC(item.hDC, saved);
}
