// Layout of an owner-drawn item: the worked example and the limits of the halvings.
#include <gtest/gtest.h>

#include "extension/item_layout.h"

namespace {

void expectRect(const LayoutRect& expected, const LayoutRect& actual) {
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

TEST(ItemLayout, SecondItemOfTheMenu) {
    const ItemLayout layout = computeItemLayout({0, 40, 150, 60}, {16, 16}, {90, 18}, 4);
    expectRect({6, 42, 22, 58}, layout.iconCell);
    EXPECT_EQ(26, layout.textX);
    EXPECT_EQ(41, layout.textY);
    expectRect({27, 41, 150, 60}, layout.textRect);
}

TEST(ItemLayout, FollowsTheItemRectangleAndTheFrameWidth) {
    const ItemLayout layout = computeItemLayout({10, 0, 200, 20}, {16, 16}, {90, 13}, 8);
    expectRect({16, 2, 32, 18}, layout.iconCell);
    EXPECT_EQ(40, layout.textX);
    EXPECT_EQ(3, layout.textY);  // 7 / 2 drops the fraction
    expectRect({41, 3, 200, 20}, layout.textRect);
}

TEST(ItemLayout, TextTallerThanTheItemStartsAtItsTop) {
    const ItemLayout layout = computeItemLayout({0, 40, 150, 60}, {16, 16}, {90, 24}, 4);
    EXPECT_EQ(40, layout.textY);
    expectRect({27, 40, 150, 60}, layout.textRect);
}

TEST(ItemLayout, IconTallerThanTheItemSticksOutAboveIt) {
    const ItemLayout layout = computeItemLayout({0, 40, 150, 60}, {32, 32}, {90, 18}, 4);
    EXPECT_EQ(34, layout.iconCell.top);  // (20 - 32) / 2 = -6
    EXPECT_EQ(6, layout.iconCell.left);
    EXPECT_EQ(26, layout.textX);  // the icon's size never moves the caption
}

TEST(ItemLayout, OddNegativeDifferenceRoundsTowardZero) {
    const ItemLayout layout = computeItemLayout({0, 0, 150, 20}, {16, 23}, {90, 18}, 4);
    EXPECT_EQ(-1, layout.iconCell.top);  // -3 / 2 is -1, not -2
}

}  // namespace

namespace {

// MulDiv's rounding: the nearest integer, halves away from zero; no DPI leaves the
// value as it is.
TEST(ItemLayout, ScalingRoundsAsMulDiv) {
    struct Row {
        int value;
        int dpi;
        int scaled;
    } rows[] = {{150, 96, 150}, {150, 120, 188}, {6, 120, 8},   {20, 144, 30}, {150, 192, 300},
                {16, 288, 48},  {-3, 120, -4},   {-6, 120, -8}, {7, 72, 5},    {16, 0, 16}};
    for (const Row& row : rows) {
        EXPECT_EQ(row.scaled, scaleForDpi(row.value, row.dpi))
            << row.value << " at " << row.dpi << " DPI";
    }
}

// At each DPI: the small-icon size, the measure answer for a narrow and a wide caption,
// and where icon and caption go in an item of that size (the icon at the small-icon
// size, a text of the menu font's height).
TEST(ItemLayout, ScalesWithTheDpi) {
    struct Row {
        int dpi;
        int frame;       // SM_CXFRAME at that DPI
        int textHeight;  // of the menu font at that DPI
        int iconSize;
        LayoutSize narrow;  // for a caption of 100 pixels
        int wideCaption;
        LayoutSize wide;
        LayoutRect iconCell;  // in the item (0, 0, narrow width, narrow height)
        int textX;
        int textY;
    } rows[] = {
        // At 96 DPI nothing changes, however wide the caption.
        {96, 4, 13, 16, {150, 20}, 400, {150, 20}, {6, 2, 22, 18}, 26, 3},
        // 28 + 4 + 1 + 200 + 8
        {120, 4, 15, 20, {188, 25}, 200, {241, 25}, {8, 2, 28, 22}, 32, 5},
        // 33 + 5 + 1 + 243 + 9: the caption of "ファイル名をコピー" as Wine draws it
        {144, 5, 18, 24, {225, 30}, 243, {291, 30}, {9, 3, 33, 27}, 38, 6},
        // 44 + 5 + 1 + 250 + 12
        {192, 5, 24, 32, {300, 40}, 250, {312, 40}, {12, 4, 44, 36}, 49, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.dpi << " DPI");
        EXPECT_EQ(row.iconSize, smallIconSize(row.dpi));
        const LayoutSize narrow = itemSizeForDpi(row.dpi, 100, row.frame);
        EXPECT_EQ(row.narrow.width, narrow.width);
        EXPECT_EQ(row.narrow.height, narrow.height);
        const LayoutSize wide = itemSizeForDpi(row.dpi, row.wideCaption, row.frame);
        EXPECT_EQ(row.wide.width, wide.width);
        EXPECT_EQ(row.wide.height, wide.height);
        if (row.dpi != 96) {
            // One pixel less caption and the item is one pixel narrower, down to the floor.
            const LayoutSize less = itemSizeForDpi(row.dpi, row.wideCaption - 1, row.frame);
            EXPECT_EQ(row.wide.width - 1, less.width);
        }

        const LayoutRect item = {0, 0, narrow.width, narrow.height};
        const ItemLayout layout = computeItemLayout(item, {row.iconSize, row.iconSize},
                                                    {100, row.textHeight}, row.frame, row.dpi);
        expectRect(row.iconCell, layout.iconCell);
        EXPECT_EQ(row.textX, layout.textX);
        EXPECT_EQ(row.textY, layout.textY);
        expectRect({row.textX + 1, row.textY, narrow.width, narrow.height}, layout.textRect);
    }
}

}  // namespace
