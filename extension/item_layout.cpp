#include "extension/item_layout.h"

ItemLayout computeItemLayout(const LayoutRect& item, const LayoutSize& icon, const LayoutSize& text,
                             int frameWidth) {
    const int height = item.bottom - item.top;
    ItemLayout layout{};
    layout.iconCell.left = item.left + kIconIndent;
    layout.iconCell.top = item.top + (height - icon.height) / 2;
    layout.iconCell.right = layout.iconCell.left + kIconCellSize;
    layout.iconCell.bottom = layout.iconCell.top + kIconCellSize;

    const int textOffset = (height - text.height) / 2;
    layout.textX = layout.iconCell.right + frameWidth;
    layout.textY = item.top + (textOffset > 0 ? textOffset : 0);
    layout.textRect = {layout.textX + 1, layout.textY, item.right, item.bottom};
    layout.textFill = {layout.iconCell.right, item.top, item.right, item.bottom};
    return layout;
}
