// The path text rules every part shares: the separators and a path with another extension.
#include "common/path_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PathText, SeparatorsAreBackslashSlashAndColonOnly) {
    for (char16_t c : {u'\\', u'/', u':'}) EXPECT_TRUE(isPathSeparator(c)) << int(c);
    for (char16_t c : {u'.', u'a', u' ', u'\0', u'\u00A5', u'\uFF3C'}) {
        EXPECT_FALSE(isPathSeparator(c)) << int(c);
    }
    for (const char16_t* c = kPathSeparators; *c; ++c) EXPECT_TRUE(isPathSeparator(*c));
    EXPECT_EQ(3u, std::char_traits<char16_t>::length(kPathSeparators));
}

TEST(PathText, WithExtensionReplacesWhatFollowsTheLastDot) {
    const struct {
        const char16_t* path;
        const char16_t* replaced;
    } cases[] = {
        {u"C:\\x\\tovak.dll", u"C:\\x\\tovak.ico"},
        {u"C:\\x\\owner_draw_test.exe", u"C:\\x\\owner_draw_test.ico"},
        {u"C:\\x\\a.b.dll", u"C:\\x\\a.b.ico"},
        {u"C:\\x\\tovak.", u"C:\\x\\tovak.ico"},
        {u"C:\\dir.d\\tovak", u"C:\\dir.ico"},  // a dot in a folder's name counts too
        {u"C:\\x\\tovak", u"C:\\x\\tovak.ico"},
        {u"", u".ico"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::u16string(c.replaced), withExtension(c.path, u"ico"))
            << std::u16string(c.path).size();
    }
    EXPECT_EQ(u"C:\\x\\tovak.tlb", withExtension(u"C:\\x\\tovak.dll", u"tlb"));
}

}  // namespace
