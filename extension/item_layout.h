// Geometry of one owner-drawn menu item, as plain arithmetic: how large the item is and
// where the icon and the caption go inside it, at the DPI the menu is shown at. No
// platform calls, so it builds and is tested natively as well.
#pragma once

struct LayoutRect {
    int left;
    int top;
    int right;
    int bottom;
};

struct LayoutSize {
    int width;
    int height;
};

// Lengths below are given at this DPI and scaled to the menu's.
constexpr int kBaseDpi = 96;

// The answer to WM_MEASUREITEM.
constexpr int kItemWidth = 150;
constexpr int kItemHeight = 20;

// The icon column: the cell starts this far right of the item's left edge and is this
// wide; its top centres the icon vertically.
constexpr int kIconIndent = 6;
constexpr int kIconCellSize = 16;

// Room kept right of the caption when the item is widened to hold it.
constexpr int kCaptionRightMargin = 6;

// `value` * `dpi` / 96, rounded half away from zero as MulDiv rounds.
int scaleForDpi(int value, int dpi);

// The small-icon size at `dpi`: 16 at 96 DPI, 24 at 144.
int smallIconSize(int dpi);

// The answer to WM_MEASUREITEM at `dpi`. At 96 DPI always 150 x 20; at any other DPI the
// scaled 150 x 20, widened where the icon column, `frameWidth` (SM_CXFRAME at that DPI),
// the caption's width `captionWidth` and the right margin need more.
LayoutSize itemSizeForDpi(int dpi, int captionWidth, int frameWidth);

struct ItemLayout {
    LayoutRect iconCell;  // the icon is drawn at its left and top, at its own size
    int textX;            // origin of the background fill behind the caption
    int textY;
    LayoutRect textRect;  // where the caption is drawn
};

// `item` is the item rectangle, `icon` the icon's size (only its height counts),
// `text` the caption's extent (only its height counts), `frameWidth` SM_CXFRAME, `dpi`
// the menu's DPI, which scales the icon cell and its indent.
// The halvings drop the fraction toward zero; the icon may stick out above the item,
// the caption never starts above it.
ItemLayout computeItemLayout(const LayoutRect& item, const LayoutSize& icon, const LayoutSize& text,
                             int frameWidth, int dpi = kBaseDpi);
