#include "extension/item_layout.h"

int scaleForDpi(int value, int dpi) {
    if (dpi <= 0) return value;
    const long long product = static_cast<long long>(value) * dpi;
    const long long half = kBaseDpi / 2;
    const long long scaled =
        product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi);
    return static_cast<int>(scaled);
}

int smallIconSize(int dpi) { return scaleForDpi(kIconCellSize, dpi); }

LayoutSize itemSizeForDpi(int dpi, int captionWidth, int frameWidth) {
    if (dpi == kBaseDpi) return {kItemWidth, kItemHeight};
    const int needed = scaleForDpi(kIconIndent, dpi) + scaleForDpi(kIconCellSize, dpi) +
                       frameWidth + 1 + captionWidth + scaleForDpi(kCaptionRightMargin, dpi);
    const int width = scaleForDpi(kItemWidth, dpi);
    return {needed > width ? needed : width, scaleForDpi(kItemHeight, dpi)};
}

ItemLayout computeItemLayout(const LayoutRect& item, const LayoutSize& icon, const LayoutSize& text,
                             int frameWidth, int dpi) {
    const int height = item.bottom - item.top;
    const int cellSize = scaleForDpi(kIconCellSize, dpi);
    ItemLayout layout{};
    layout.iconCell.left = item.left + scaleForDpi(kIconIndent, dpi);
    layout.iconCell.top = item.top + (height - icon.height) / 2;
    layout.iconCell.right = layout.iconCell.left + cellSize;
    layout.iconCell.bottom = layout.iconCell.top + cellSize;

    const int textOffset = (height - text.height) / 2;
    layout.textX = layout.iconCell.right + frameWidth;
    layout.textY = item.top + (textOffset > 0 ? textOffset : 0);
    layout.textRect = {layout.textX + 1, layout.textY, item.right, item.bottom};
    return layout;
}
