#include "extension/owner_draw.h"

#include <string>

#include "common/gdi_objects.h"
#include "extension/item_drawing.h"
#include "extension/item_layout.h"
#include "extension/menu_dpi.h"
#include "extension/menu_texts.h"

namespace {

// The width of the wider caption in the menu font at `dpi`, 0 if it cannot be told.
int widestCaption(int dpi) {
    LOGFONTW logFont{};
    if (!menuFontForDpi(dpi, &logFont)) return 0;
    const GdiObject font(CreateFontIndirectW(&logFont));
    if (!font.Get()) return 0;
    const MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc.Get()) return 0;
    const SelectedObject selected(dc.Get(), font.Get());
    int widest = 0;
    for (const CommandOffset offset : {CopyNames, CopyPaths}) {
        const std::string caption = ansiCaption(offset);
        SIZE extent{0, 0};
        if (GetTextExtentPoint32A(dc.Get(), caption.c_str(), static_cast<int>(caption.size()),
                                  &extent) &&
            extent.cx > widest) {
            widest = extent.cx;
        }
    }
    return widest;
}

void measureMenuItem(MEASUREITEMSTRUCT& measure, IUnknown* site) {
    const int dpi = menuDpi(site);
    LayoutSize size{kItemWidth, kItemHeight};
    if (dpi != kBaseDpi) size = itemSizeForDpi(dpi, widestCaption(dpi), frameWidthForDpi(dpi));
    measure.itemWidth = static_cast<UINT>(size.width);
    measure.itemHeight = static_cast<UINT>(size.height);
}

}  // namespace

HRESULT handleOwnerDrawMessage(UINT message, LPARAM lParam, UINT firstCommandId, ItemIcon& icon,
                               IUnknown* site) {
    switch (message) {
        case WM_MEASUREITEM:
            if (auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)) {
                measureMenuItem(*measure, site);
            }
            break;
        case WM_DRAWITEM:
            if (auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) {
                drawMenuItem(*draw, firstCommandId, icon, site);
            }
            break;
        default:
            break;
    }
    return S_OK;
}
