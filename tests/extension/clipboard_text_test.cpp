// The text of the copy commands and the file-name part of a path.
#include "extension/clipboard_text.h"

#include <gtest/gtest.h>

#include "common/emulated_code_page.h"

namespace {

WideStringList listOf(std::initializer_list<std::u16string> items) {
    WideStringList list;
    for (const auto& item : items) EXPECT_TRUE(list.Append(item));
    return list;
}

// The whole text, written where its measured length says.
std::u16string textOf(const WideStringList& selection, CommandOffset offset) {
    std::u16string text(clipboardTextLength(selection, offset) + 1, u'#');
    writeClipboardText(selection, offset, &text[0]);
    EXPECT_EQ(u'#', text.back()) << "written past its length";
    text.pop_back();
    return text;
}

const EmulatedCodePage cp1252(1252), cp932(932);

TEST(FileNamePart, TakesThePartAfterTheLastSeparator) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\dir\\a.txt", "a.txt"},
        {"D:\\work\\src", "src"},
        {"C:\\", ""},
        {"\\\\server\\share\\f.txt", "f.txt"},
        {"C:/x/y.txt", "y.txt"},
        {"C:f.txt", "f.txt"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.name, fileNamePart(c.path, cp1252)) << c.path;
        EXPECT_STREQ(c.name, fileNamePart(c.path, cp932)) << c.path;
    }
}

TEST(FileNamePart, NeverTakesATrailByteForABackslash) {
    // 表 is 0x95 0x5C in code page 932: its second byte looks like a backslash.
    const char path[] = "C:\\dir\\\x95\x5c";
    EXPECT_STREQ("\x95\x5c", fileNamePart(path, cp932));
    EXPECT_STREQ("", fileNamePart(path, cp1252)) << "in 1252 the same byte is a backslash";
    const char twice[] = "C:\\\x95\x5c\x95\x5c.txt";
    EXPECT_STREQ("\x95\x5c\x95\x5c.txt", fileNamePart(twice, cp932));
}

TEST(FileNamePart, WideAndAnsiAgreeForPathsTheCodePageRepresents) {
    for (const std::u16string path :
         {u"C:\\dir\\表", u"C:\\表\\ソース.txt", u"\\\\srv\\s\\f", u"C:f.txt", u"C:\\", u"a/b:c"}) {
        std::string ansi;
        ASSERT_TRUE(cp932.FromWide(path, ansi));
        std::u16string fromAnsi;
        ASSERT_TRUE(cp932.ToWide(std::string(fileNamePart(ansi.c_str(), cp932)), fromAnsi));
        EXPECT_EQ(path.substr(wideFileNamePartOffset(path)), fromAnsi);
    }
}

TEST(ClipboardText, JoinsLinesWithCrLfAndNothingAfterTheLast) {
    const WideStringList two = listOf({u"C:\\x\\a.txt", u"C:\\x\\b.txt"});
    EXPECT_EQ(u"a.txt\r\nb.txt", textOf(two, CopyNames));
    EXPECT_EQ(u"C:\\x\\a.txt\r\nC:\\x\\b.txt", textOf(two, CopyPaths));
    EXPECT_EQ(u"a.txt", textOf(listOf({u"C:\\dir\\a.txt"}), CopyNames));
    EXPECT_EQ(u"", textOf(WideStringList(), CopyPaths));
}

TEST(ClipboardText, ADriveRootGivesAnEmptyNameLine) {
    const WideStringList three = listOf({u"C:\\x\\a", u"C:\\", u"D:\\b"});
    EXPECT_EQ(u"a\r\n\r\nb", textOf(three, CopyNames));
    EXPECT_EQ(u"C:\\x\\a\r\nC:\\\r\nD:\\b", textOf(three, CopyPaths));
}

}  // namespace
