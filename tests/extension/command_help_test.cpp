// The commands' help texts, as GetCommandString gives them.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "extension/command_help.h"

namespace {

TEST(CommandString, GivesTheWideHelpTextWithItsTerminator) {
    wchar_t buffer[64];
    std::memset(buffer, 0xCC, sizeof buffer);
    const HRESULT hr = writeCommandString(1, GCS_HELPTEXTW, reinterpret_cast<char*>(buffer), 64);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(std::wstring(L"選択したファイルのフルパスをクリップボードにコピーします。"),
              std::wstring(buffer));
    EXPECT_EQ(29u, wcslen(buffer));
    EXPECT_EQ(0xCCCC, buffer[30]) << "nothing is written past the terminator";
}

TEST(CommandString, NeverWritesMoreThanTheBufferHolds) {
    wchar_t wide[16];
    std::memset(wide, 0xCC, sizeof wide);
    EXPECT_EQ(S_OK, writeCommandString(0, GCS_HELPTEXTW, reinterpret_cast<char*>(wide), 5));
    EXPECT_EQ(std::wstring(L"選択した"), std::wstring(wide)) << "four units and the terminator";
    EXPECT_EQ(0xCCCC, wide[5]);

    char ansi[16];
    std::memset(ansi, 0x55, sizeof ansi);
    EXPECT_EQ(S_OK, writeCommandString(0, GCS_HELPTEXTA, ansi, 1));
    EXPECT_EQ('\0', ansi[0]);
    EXPECT_EQ(0x55, ansi[1]);
    std::memset(ansi, 0x55, sizeof ansi);
    EXPECT_EQ(S_OK, writeCommandString(0, GCS_HELPTEXTA, ansi, 0));
    EXPECT_EQ(0x55, ansi[0]) << "a zero-sized buffer receives nothing";
}

// The handler has no verb names; only its two commands exist and have help texts.
TEST(CommandString, AnswersOnlyForItsTwoCommandsAndNamesNoVerb) {
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
        const HRESULT hr = writeCommandString(c.command, c.flags, buffer, 32);
        EXPECT_EQ(c.result, hr) << "command " << c.command << " flags " << c.flags << std::hex
                                << " hr " << hr;
        EXPECT_EQ(0x55, buffer[0]) << "command " << c.command << " flags " << c.flags;
    }
    EXPECT_EQ(S_OK, writeCommandString(0, GCS_HELPTEXTA, nullptr, 32));
}

}  // namespace
