// Inserting the two commands into a real menu, and their help texts.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "extension/handler_state.h"
#include "tests/extension/menu_probe.h"

namespace {

TEST(MenuInsertion, InsertsBothItemsAtTheGivenPosition) {
    for (UINT flags : {0x0u, 0x2u, 0x4u, 0x5u, 0x10u, 0x4006u}) {
        MenuProbe menu;
        HandlerState state;
        const HRESULT hr = state.queryContextMenu(menu.handle(), 1, 100, 200, flags);
        EXPECT_EQ(2, hr) << "flags 0x" << std::hex << flags;
        ASSERT_EQ(4, menu.count()) << "flags 0x" << std::hex << flags;
        EXPECT_EQ(MenuProbe::kFirstId, menu.id(0));
        EXPECT_EQ(100u, menu.id(1));
        EXPECT_EQ(101u, menu.id(2));
        EXPECT_EQ(MenuProbe::kLastId, menu.id(3));
        EXPECT_EQ(100u, state.firstCommandId());
    }
}

TEST(MenuInsertion, DefaultOnlyAndNoVerbsInsertNothing) {
    HandlerState state;
    MenuProbe first;
    ASSERT_EQ(2, state.queryContextMenu(first.handle(), 0, 100, 200, 0));
    for (UINT flags : {0x1u, 0x8u, 0x9u, 0x10001u}) {
        MenuProbe menu;
        const HRESULT hr = state.queryContextMenu(menu.handle(), 0, 300, 400, flags);
        EXPECT_EQ(S_OK, hr) << "flags 0x" << std::hex << flags;
        EXPECT_EQ(2, menu.count()) << "flags 0x" << std::hex << flags;
        EXPECT_EQ(100u, state.firstCommandId()) << "firstCommandId must not move";
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
        HandlerState state;
        const HRESULT hr = state.queryContextMenu(menu.handle(), 1, c.first, c.last, 0);
        EXPECT_EQ(c.result, hr) << std::hex << hr;
        EXPECT_EQ(2 + c.result, menu.count());
        EXPECT_EQ(c.result == 0 ? 0u : c.first, state.firstCommandId());
    }
}

TEST(MenuInsertion, ItemsAreOwnerDrawnOnCurrentWindows) {
    MenuProbe menu;
    HandlerState state;
    ASSERT_EQ(2, state.queryContextMenu(menu.handle(), 0, 7, 20, 0));
    EXPECT_TRUE(menu.type(0) & MFT_OWNERDRAW);
    EXPECT_TRUE(menu.type(1) & MFT_OWNERDRAW);
}

TEST(CommandString, GivesTheWideHelpTextWithItsTerminator) {
    HandlerState state;
    wchar_t buffer[64];
    std::memset(buffer, 0xCC, sizeof buffer);
    const HRESULT hr =
        state.getCommandString(1, GCS_HELPTEXTW, reinterpret_cast<char*>(buffer), 64);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(std::wstring(L"選択したファイルのフルパスをクリップボードにコピーします。"),
              std::wstring(buffer));
    EXPECT_EQ(29u, wcslen(buffer));
    EXPECT_EQ(0xCCCC, buffer[30]) << "nothing is written past the terminator";
}

TEST(CommandString, NeverWritesMoreThanTheBufferHolds) {
    HandlerState state;
    wchar_t wide[16];
    std::memset(wide, 0xCC, sizeof wide);
    EXPECT_EQ(S_OK, state.getCommandString(0, GCS_HELPTEXTW, reinterpret_cast<char*>(wide), 5));
    EXPECT_EQ(std::wstring(L"選択した"), std::wstring(wide)) << "four units and the terminator";
    EXPECT_EQ(0xCCCC, wide[5]);

    char ansi[16];
    std::memset(ansi, 0x55, sizeof ansi);
    EXPECT_EQ(S_OK, state.getCommandString(0, GCS_HELPTEXTA, ansi, 1));
    EXPECT_EQ('\0', ansi[0]);
    EXPECT_EQ(0x55, ansi[1]);
    std::memset(ansi, 0x55, sizeof ansi);
    EXPECT_EQ(S_OK, state.getCommandString(0, GCS_HELPTEXTA, ansi, 0));
    EXPECT_EQ(0x55, ansi[0]) << "a zero-sized buffer receives nothing";
}

// The handler has no verb names; only its two commands exist and have help texts.
TEST(CommandString, AnswersOnlyForItsTwoCommandsAndNamesNoVerb) {
    HandlerState state;
    const struct {
        UINT_PTR command;
        UINT flags;
        HRESULT result;
    } cases[] = {
        {0, GCS_VERBA, E_NOTIMPL},
        {1, GCS_VERBW, E_NOTIMPL},
        {0, GCS_VALIDATEA, S_OK},
        {1, GCS_VALIDATEW, S_OK},
        {2, GCS_VALIDATEA, S_FALSE},
        {0xFFFF, GCS_VALIDATEW, S_FALSE},
        {2, GCS_HELPTEXTW, E_INVALIDARG},
        {0xFFFF, GCS_HELPTEXTA, E_INVALIDARG},
        {0, 0x1234, S_OK},
    };
    for (const auto& c : cases) {
        char buffer[64];
        std::memset(buffer, 0x55, sizeof buffer);
        const HRESULT hr = state.getCommandString(c.command, c.flags, buffer, 32);
        EXPECT_EQ(c.result, hr) << "command " << c.command << " flags " << c.flags << std::hex
                                << " hr " << hr;
        EXPECT_EQ(0x55, buffer[0]) << "command " << c.command << " flags " << c.flags;
    }
    EXPECT_EQ(S_OK, state.getCommandString(0, GCS_HELPTEXTA, nullptr, 32));
}

}  // namespace
