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
    expectRect({22, 40, 150, 60}, layout.textFill);
}

TEST(ItemLayout, FollowsTheItemRectangleAndTheFrameWidth) {
    const ItemLayout layout = computeItemLayout({10, 0, 200, 20}, {16, 16}, {90, 13}, 8);
    expectRect({16, 2, 32, 18}, layout.iconCell);
    EXPECT_EQ(40, layout.textX);
    EXPECT_EQ(3, layout.textY);  // 7 / 2 drops the fraction
    expectRect({41, 3, 200, 20}, layout.textRect);
    expectRect({32, 0, 200, 20}, layout.textFill);
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
