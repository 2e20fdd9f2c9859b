// Where the ".tlb" fall-back is looked for and which help directory goes with a
// registration.
#include "server/type_library_path.h"

#include <gtest/gtest.h>

namespace {

TEST(TypeLibFallbackPath, ReplacesFromTheLastDot) {
    EXPECT_EQ(u"C:\\Tools\\tovak.tlb", typeLibFallbackPath(u"C:\\Tools\\tovak.dll"));
    EXPECT_EQ(u"C:\\Tools\\tovak.x.tlb", typeLibFallbackPath(u"C:\\Tools\\tovak.x.dll"));
}

TEST(TypeLibFallbackPath, LastDotMayLieInADirectoryName) {
    EXPECT_EQ(u"C:\\a.tlb", typeLibFallbackPath(u"C:\\a.b\\tovak"));
    EXPECT_EQ(u"C:\\x.y\\a.tlb", typeLibFallbackPath(u"C:\\x.y\\a.b\\tovak"));
}

TEST(TypeLibFallbackPath, PathWithoutDotGetsTheEndingAppended) {
    EXPECT_EQ(u"C:\\Tools\\tovak.tlb", typeLibFallbackPath(u"C:\\Tools\\tovak"));
    EXPECT_EQ(u".tlb", typeLibFallbackPath(u""));
    EXPECT_EQ(u"C:\\Tools\\.tlb", typeLibFallbackPath(u"C:\\Tools\\."));
}

TEST(TypeLibFallbackPath, NonAsciiCharactersStayWhole) {
    // "表" is 0x95 0x5C in code page 932, whose second byte is a backslash there.
    EXPECT_EQ(u"C:\\表.tlb", typeLibFallbackPath(u"C:\\表.dll"));
    EXPECT_EQ(u"C:\\ア☃\\tovak.tlb", typeLibFallbackPath(u"C:\\ア☃\\tovak.dll"));
}

TEST(TypeLibHelpDirectory, CutsAfterTheLastSeparatorOfAnyKind) {
    EXPECT_EQ(u"C:\\Tools\\", typeLibHelpDirectory(u"C:\\Tools\\tovak.dll"));
    EXPECT_EQ(u"C:\\Tools\\", typeLibHelpDirectory(u"C:\\Tools\\tovak.tlb"));
    EXPECT_EQ(u"C:/Tools/", typeLibHelpDirectory(u"C:/Tools/tovak.dll"));
    EXPECT_EQ(u"C:\\a/b\\", typeLibHelpDirectory(u"C:\\a/b\\tovak.dll"));
    EXPECT_EQ(u"C:", typeLibHelpDirectory(u"C:tovak.dll"));
    EXPECT_EQ(u"\\\\server\\share\\", typeLibHelpDirectory(u"\\\\server\\share\\tovak.dll"));
    EXPECT_EQ(u"C:\\表\\", typeLibHelpDirectory(u"C:\\表\\tovak.dll"));
}

TEST(TypeLibHelpDirectory, PathWithoutSeparatorGivesEmptyDirectory) {
    EXPECT_EQ(u"", typeLibHelpDirectory(u"tovak.dll"));
    EXPECT_EQ(u"", typeLibHelpDirectory(u""));
}

}  // namespace
