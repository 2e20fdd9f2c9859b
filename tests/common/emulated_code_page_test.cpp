// The emulated code pages must behave like Windows where the portable logic relies on
// them, or native tests would prove nothing.
#include "common/emulated_code_page.h"

#include <gtest/gtest.h>

TEST(EmulatedCodePage, StepsOverDoubleByteCharactersIn932Only) {
    const EmulatedCodePage cp932(932), cp1252(1252);
    const char text[] =
        "\x95\x5c"
        "a";  // U+8868 then 'a'; 0x5C is a trail byte in 932
    EXPECT_EQ(text + 2, cp932.Next(text));
    EXPECT_EQ(text + 1, cp1252.Next(text));
    EXPECT_EQ(text + 3, cp932.Next(text + 3)) << "CharNextA stays put at the terminator";
    const char lone[] = "\x95";
    EXPECT_EQ(lone + 1, cp932.Next(lone)) << "a lead byte before the terminator is one step";
}

TEST(EmulatedCodePage, ConvertsBothWaysWithDefaultCharacter) {
    const EmulatedCodePage cp932(932), cp1252(1252);
    std::u16string wide;
    ASSERT_TRUE(cp932.ToWide(std::string("C:\\\x95\x5c"), wide));
    EXPECT_EQ(u"C:\\\u8868", wide);
    std::string narrow;
    ASSERT_TRUE(cp932.FromWide(std::u16string(u"\u8868\u00e9\U0001F600"), narrow));
    EXPECT_EQ(std::string("\x95\x5c??"), narrow);
    ASSERT_TRUE(cp1252.FromWide(std::u16string(u"\u00e9\u8868"), narrow));
    EXPECT_EQ(std::string("\xe9?"), narrow);
}

TEST(EmulatedCodePage, ComparesWithoutRegardToCase) {
    const EmulatedCodePage cp932(932);
    EXPECT_EQ(0, cp932.CompareNoCase("HKCR", "hkcr"));
    EXPECT_NE(0, cp932.CompareNoCase("HKCR", "HKCU"));
    EXPECT_NE(0, cp932.CompareNoCase("a", "ab"));
    // A trail byte is never case-folded: 0x81 0x61 and 0x81 0x41 are different characters.
    EXPECT_NE(0, cp932.CompareNoCase("\x81\x61", "\x81\x41"));
}
