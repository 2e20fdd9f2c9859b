// Geometry of one owner-drawn menu item, as plain arithmetic: where the icon and the
// caption go inside the item rectangle. No platform calls, so it builds and is tested
// natively as well.
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

// The answer to WM_MEASUREITEM.
constexpr int kItemWidth = 150;
constexpr int kItemHeight = 20;

// The icon column: the cell starts this far right of the item's left edge and is this
// wide; its top centres the icon vertically.
constexpr int kIconIndent = 6;
constexpr int kIconCellSize = 16;

struct ItemLayout {
    LayoutRect iconCell;  // the icon is drawn at its left and top, at its own size
    int textX;            // origin of the background fill behind the caption
    int textY;
    LayoutRect textRect;  // where the caption is drawn
    LayoutRect textFill;  // from the icon cell's right edge to the item's right edge
};

// `item` is the item rectangle, `icon` the icon's size (only its height counts),
// `text` the caption's extent (only its height counts), `frameWidth` SM_CXFRAME.
// The halvings drop the fraction toward zero; the icon may stick out above the item,
// the caption never starts above it.
ItemLayout computeItemLayout(const LayoutRect& item, const LayoutSize& icon, const LayoutSize& text,
                             int frameWidth);
