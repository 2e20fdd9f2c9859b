// Where the ".tlb" fall-back is looked for and which help directory goes with a
// registration, in code pages 1252 and 932.
#include "server/type_library_path.h"

#include <gtest/gtest.h>

#include "tests/common/emulated_code_page.h"

namespace {

const EmulatedCodePage westernCodePage(1252);
const EmulatedCodePage japaneseCodePage(932);

TEST(TypeLibFallbackPath, ReplacesFromTheLastDot) {
    EXPECT_EQ("C:\\Tools\\tovak.tlb", typeLibFallbackPath("C:\\Tools\\tovak.dll", westernCodePage));
    EXPECT_EQ("C:\\Tools\\tovak.x.tlb",
              typeLibFallbackPath("C:\\Tools\\tovak.x.dll", westernCodePage));
}

TEST(TypeLibFallbackPath, LastDotMayLieInADirectoryName) {
    EXPECT_EQ("C:\\a.tlb", typeLibFallbackPath("C:\\a.b\\tovak", westernCodePage));
    EXPECT_EQ("C:\\x.y\\a.tlb", typeLibFallbackPath("C:\\x.y\\a.b\\tovak", westernCodePage));
}

TEST(TypeLibFallbackPath, PathWithoutDotGetsTheEndingAppended) {
    EXPECT_EQ("C:\\Tools\\tovak.tlb", typeLibFallbackPath("C:\\Tools\\tovak", westernCodePage));
    EXPECT_EQ(".tlb", typeLibFallbackPath("", westernCodePage));
    EXPECT_EQ(".tlb", typeLibFallbackPath(nullptr, westernCodePage));
    EXPECT_EQ("C:\\Tools\\.tlb", typeLibFallbackPath("C:\\Tools\\.", westernCodePage));
}

TEST(TypeLibFallbackPath, DoubleByteCharactersAreSteppedWhole) {
    // "表" is 0x95 0x5C and "ア" 0x83 0x41 in code page 932; in 1252 the same bytes are
    // single characters.
    EXPECT_EQ("C:\\\x95\x5C.tlb", typeLibFallbackPath("C:\\\x95\x5C.dll", japaneseCodePage));
    EXPECT_EQ("C:\\\x83\x41\\tovak.tlb",
              typeLibFallbackPath("C:\\\x83\x41\\tovak.dll", japaneseCodePage));
    // A lead byte cut off by the end of the string is stepped as one character.
    EXPECT_EQ("C:\\x.tlb", typeLibFallbackPath("C:\\x.\x95", japaneseCodePage));
    EXPECT_EQ("C:\\x\x95.tlb", typeLibFallbackPath("C:\\x\x95", japaneseCodePage));
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
