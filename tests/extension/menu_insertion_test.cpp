// Inserting the two commands into a real menu.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "extension/menu_insertion.h"
#include "tests/extension/menu_probe.h"

namespace {

TEST(MenuInsertion, InsertsBothItemsAtTheGivenPosition) {
    for (UINT flags : {0x0u, 0x2u, 0x4u, 0x5u, 0x10u, 0x4006u}) {
        MenuProbe menu;
        UINT firstCommandId = 0;
        const HRESULT hr = insertMenuItems(menu.handle(), 1, 100, 200, flags, firstCommandId);
        EXPECT_EQ(2, hr) << "flags 0x" << std::hex << flags;
        ASSERT_EQ(4, menu.count()) << "flags 0x" << std::hex << flags;
        EXPECT_EQ(MenuProbe::kFirstId, menu.id(0));
        EXPECT_EQ(100u, menu.id(1));
        EXPECT_EQ(101u, menu.id(2));
        EXPECT_EQ(MenuProbe::kLastId, menu.id(3));
        EXPECT_EQ(100u, firstCommandId);
    }
}

TEST(MenuInsertion, DefaultOnlyAndNoVerbsInsertNothing) {
    UINT firstCommandId = 0;
    MenuProbe first;
    ASSERT_EQ(2, insertMenuItems(first.handle(), 0, 100, 200, 0, firstCommandId));
    for (UINT flags : {0x1u, 0x8u, 0x9u, 0x10001u}) {
        MenuProbe menu;
        const HRESULT hr = insertMenuItems(menu.handle(), 0, 300, 400, flags, firstCommandId);
        EXPECT_EQ(S_OK, hr) << "flags 0x" << std::hex << flags;
        EXPECT_EQ(2, menu.count()) << "flags 0x" << std::hex << flags;
        EXPECT_EQ(100u, firstCommandId) << "firstCommandId must not move";
    }
}

TEST(MenuInsertion, ARangeOfFewerThanTwoIdentifiersGetsNoItem) {
    const struct {
        UINT first, last;
        HRESULT result;
    } cases[] = {
        {100, 100, 0},
        {100, 99, 0},
        {100, 0, 0},
        {0xFFFFFFFF, 0xFFFFFFFF, 0},
        {100, 101, 2},
        {0, 1, 2},
        {0xFFFFFFFE, 0xFFFFFFFF, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "ids " << c.first << " to " << c.last);
        MenuProbe menu;
        UINT firstCommandId = 0;
        const HRESULT hr = insertMenuItems(menu.handle(), 1, c.first, c.last, 0, firstCommandId);
        EXPECT_EQ(c.result, hr) << std::hex << hr;
        EXPECT_EQ(2 + c.result, menu.count());
        EXPECT_EQ(c.result == 0 ? 0u : c.first, firstCommandId);
    }
}

TEST(MenuInsertion, ItemsAreOwnerDrawnOnCurrentWindows) {
    MenuProbe menu;
    UINT firstCommandId = 0;
    ASSERT_EQ(2, insertMenuItems(menu.handle(), 0, 7, 20, 0, firstCommandId));
    EXPECT_TRUE(menu.type(0) & MFT_OWNERDRAW);
    EXPECT_TRUE(menu.type(1) & MFT_OWNERDRAW);
}

}  // namespace
