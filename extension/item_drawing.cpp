#include "extension/item_drawing.h"

#include <string>

#include "common/gdi_objects.h"
#include "extension/item_layout.h"
#include "extension/menu_dpi.h"
#include "extension/menu_texts.h"

namespace {

constexpr COLORREF kGrayText = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kShadow = RGB(0xFF, 0xFF, 0xFF);

RECT toRect(const LayoutRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

LayoutRect toLayout(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// Paints `rect` in the device context's background colour: ExtTextOut with no text
// draws only its opaque rectangle.
void fillWithBackground(HDC dc, int x, int y, const RECT& rect) {
    ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &rect, nullptr, 0, nullptr);
}

// Fills the whole item with the background colour and draws the icon in its cell; the
// cell's right edge, where the caption's fill starts.
LONG paintIcon(HDC dc, const RECT& item, const IconImage& icon, int dpi) {
    const LayoutRect cell = computeItemLayout(toLayout(item), icon.Size(), {0, 0}, 0, dpi).iconCell;
    fillWithBackground(dc, 0, 0, item);
    DrawIconEx(dc, cell.left, cell.top, icon.Handle(), icon.Size().width, icon.Size().height, 0,
               nullptr, DI_NORMAL);
    return cell.right;
}

// Fills `fill` with the background colour and draws the caption where the layout puts
// it, a grayed one over its white shadow.
void paintCaption(HDC dc, const DRAWITEMSTRUCT& item, const std::string& caption, const RECT& fill,
                  int dpi) {
    const int length = static_cast<int>(caption.size());
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc, caption.c_str(), length, &extent);
    const int cellSize = smallIconSize(dpi);
    const ItemLayout layout = computeItemLayout(toLayout(item.rcItem), {cellSize, cellSize},
                                                {extent.cx, extent.cy}, frameWidthForDpi(dpi), dpi);
    fillWithBackground(dc, layout.textX, layout.textY, fill);

    RECT text = toRect(layout.textRect);
    if (item.itemState & ODS_GRAYED) {
        SetBkMode(dc, TRANSPARENT);
        OffsetRect(&text, 1, 1);
        SetTextColor(dc, kShadow);
        DrawTextA(dc, caption.c_str(), length, &text, DT_EXPANDTABS);
        OffsetRect(&text, -1, -1);
        SetTextColor(dc, kGrayText);
    }
    DrawTextA(dc, caption.c_str(), length, &text, DT_EXPANDTABS);
}

// Draws the item's look, icon and caption; `icon` may be null (no icon).
void paintItem(const DRAWITEMSTRUCT& item, const std::string& caption, const IconImage* icon,
               int dpi) {
    HDC dc = item.hDC;
    if (item.itemState & ODS_SELECTED) {
        SetTextColor(dc,
                     (item.itemState & ODS_GRAYED) ? kGrayText : GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    }
    RECT fill = item.rcItem;
    if (icon) fill.left = paintIcon(dc, item.rcItem, *icon, dpi);
    paintCaption(dc, item, caption, fill, dpi);
}

}  // namespace

void drawMenuItem(const DRAWITEMSTRUCT& item, UINT firstCommandId, ItemIcon& icon, IUnknown* site) {
    if (item.CtlType != ODT_MENU) return;
    const UINT offset = item.itemID - firstCommandId;
    if (offset >= CommandCount) return;
    icon.FindFile();
    if (!(item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return;

    const std::string caption = ansiCaption(static_cast<CommandOffset>(offset));
    const int dpi = menuDpi(site);
    const IconImage* image = icon.AtSize(smallIconSize(dpi));
    // The menu draws its other items on the same device context: leave it as found.
    const SavedDcState saved(item.hDC);
    paintItem(item, caption, image, dpi);
}
