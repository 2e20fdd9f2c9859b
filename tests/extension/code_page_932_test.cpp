// The handler in the Japanese ANSI code page: double-byte help texts, and a file name
// whose second byte is 0x5C.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "common/code_page.h"
#include "extension/clipboard_text.h"
#include "extension/command_help.h"
#include "extension/copy_commands.h"
#include "extension/handler_state.h"
#include "extension/selection_capture.h"
#include "tests/common/drop_block.h"
#include "tests/common/fake_data_object.h"
#include "tests/extension/clipboard_probe.h"

namespace {

using clipboard_probe::bytesOf;

std::string inCodePage(const wchar_t* text) {
    char buffer[256] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

TEST(CodePage932, AnsiHelpTextIsSixtyBytesAndATerminator) {
    char buffer[80];
    std::memset(buffer, 0x55, sizeof buffer);
    EXPECT_EQ(S_OK, writeCommandString(0, GCS_HELPTEXTA, buffer, sizeof buffer));
    EXPECT_EQ(60u, std::strlen(buffer));
    EXPECT_EQ(inCodePage(L"選択したファイルのファイル名をクリップボードにコピーします。"),
              std::string(buffer));
    EXPECT_EQ(0x55, buffer[61]);
}

TEST(CodePage932, AShortAnsiBufferNeverSplitsACharacter) {
    char buffer[16];
    std::memset(buffer, 0x55, sizeof buffer);
    EXPECT_EQ(S_OK, writeCommandString(0, GCS_HELPTEXTA, buffer, 6));
    EXPECT_EQ(inCodePage(L"選択"), std::string(buffer)) << "two characters fit in five bytes";
    EXPECT_EQ(0x55, buffer[5]);
}

TEST(CodePage932, FileNamePartKeepsATrailByteThatLooksLikeABackslash) {
    EXPECT_STREQ("\x95\x5c", fileNamePart("C:\\dir\\\x95\x5c", ansiCodePage()));
}

TEST(CodePage932, CopyNamesKeepsACharacterWhoseSecondByteIs5C) {
    FakeDataObject data(drop_block::ansi({"C:\\dir\\\x95\x5c", "C:\\\x95\x5c\\a.txt"}));
    HandlerState state{nullptr};
    ASSERT_EQ(S_OK, captureSelection(nullptr, &data, state.dataObject, state.selection));
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(CopyNames);
    EXPECT_EQ(S_OK, invokeCopyCommand(&info, state.selection));
    EXPECT_EQ(bytesOf("\x95\x5c\r\na.txt\0\0\0"), clipboard_probe::read(CF_TEXT));
    EXPECT_EQ(L"表\r\na.txt", clipboard_probe::readUnicodeText());
    info.lpVerb = MAKEINTRESOURCEA(CopyPaths);
    EXPECT_EQ(S_OK, invokeCopyCommand(&info, state.selection));
    EXPECT_EQ(bytesOf("C:\\dir\\\x95\x5c\r\nC:\\\x95\x5c\\a.txt\0\0\0"),
              clipboard_probe::read(CF_TEXT));
}

}  // namespace
