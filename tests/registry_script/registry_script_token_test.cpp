// Reading tokens: bare and quoted tokens, doubled quotes, the limits of the buffers that
// receive them, and double-byte characters whose second byte looks like a delimiter.
#include <string>
#include <vector>

#include "tests/registry_script/script_test_fixture.h"

namespace {

using TokenTest = ScriptTest;

TEST_P(TokenTest, DoubledQuotesYieldOneAndEmptyQuotesAnEmptyToken) {
    EXPECT_HR(S_OK, registerText("HKCU { 'it''s' = s '''quoted''' { Val E = s '' } }"));
    EXPECT_EQ("'quoted'", text("HKCU\\it's"));
    EXPECT_EQ("", text("HKCU\\it's", "E"));
}

TEST_P(TokenTest, QuotedTokensHoldWhitespaceBracesAndEqualSigns) {
    EXPECT_HR(S_OK, registerText("HKCU { 'a b{}=' = s ' x\ty\r\n' }"));
    EXPECT_EQ(" x\ty\r\n", text("HKCU\\a b{}="));
}

TEST_P(TokenTest, QuotedTokensEndAtTheirClosingQuote) {
    // The next token may start right after the quote; a quote inside a bare token is
    // part of it.
    EXPECT_HR(S_OK, registerText("HKCU { 'A'= s 'x'{ 'B'} }"));
    EXPECT_EQ("x", text("HKCU\\A"));
    EXPECT_TRUE(registry_.hasKey("HKCU\\A\\B"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU{ 'C' }"));
    EXPECT_HR(S_OK, registerText("HKCU '{' 'A' '=' 's' 'y' '{' ab'c '}' '}'"));
    EXPECT_EQ("y", text("HKCU\\A"));
    EXPECT_TRUE(registry_.hasKey("HKCU\\A\\ab'c"));
}

TEST_P(TokenTest, KeywordsAndDelimitersMayBeQuoted) {
    EXPECT_HR(S_OK, registerText("'hkcu' '{' 'K' '{' 'val' 'N' '=' 'S' 'v' '}' '}'"));
    EXPECT_EQ("v", text("HKCU\\K", "N"));
}

TEST_P(TokenTest, UnterminatedQuoteFails) {
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { K = s 'abc }"));
    EXPECT_FALSE(registry_.hasKey("HKCU\\K"));
    EXPECT_HR(DISP_E_EXCEPTION, unregisterText("HKCU { 'K }"));
}

TEST_P(TokenTest, RootNameWithItsBraceIsOneUnknownToken) {
    const std::string before = registry_.dump();
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCR{ K }"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCR\v{ K }"));  // \v is no whitespace
    EXPECT_HR(DISP_E_EXCEPTION, unregisterText("HKCR{ K }"));
    EXPECT_EQ(before, registry_.dump());
}

TEST_P(TokenTest, TabsLineBreaksAndSpacesSeparateTokens) {
    EXPECT_HR(S_OK, registerText("HKCU\t{\r\nK\n=\ts\r'v'\n}\r\n"));
    EXPECT_EQ("v", text("HKCU\\K"));
}

TEST_P(TokenTest, QuotedTokensOf4094BytesAreTheLongest) {
    const std::string fits(4094, 'v');
    EXPECT_HR(S_OK, registerText("HKCU { K = s '" + fits + "' }"));
    EXPECT_EQ(fits.size(), text("HKCU\\K").value_or("").size());
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { L = s '" + fits + "v' }"));
    EXPECT_FALSE(registry_.hasKey("HKCU\\L"));
    // Doubled quotes count once.
    std::string quotes;
    for (int i = 0; i < 4094; ++i) quotes += "''";
    EXPECT_HR(S_OK, registerText("HKCU { M = s '" + quotes + "' }"));
    EXPECT_EQ(std::string(4094, '\''), text("HKCU\\M"));
}

TEST_P(TokenTest, DoubleByteCharactersCountWithBothBytes) {
    if (GetParam() != 932) return;  // single bytes only in 1252
    // Before each character, the bytes so far plus 2 must stay below 4096: 4094 bytes
    // and a double-byte character are refused, 4093 bytes and one are taken (4095).
    std::string fits = "ab";
    for (int i = 0; i < 2046; ++i) fits += "\x95\x5C";
    EXPECT_HR(S_OK, registerText("HKCU { K = s '" + fits + "' }"));
    EXPECT_EQ(fits, text("HKCU\\K"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { L = s '" + fits + "\x95\x5C' }"));
    EXPECT_HR(S_OK, registerText("HKCU { M = s '" + fits.substr(1) + "\x95\x5C' }"));
    EXPECT_EQ(4095u, text("HKCU\\M").value_or("").size());
}

TEST_P(TokenTest, BareTokensLongerThanTheirBufferAreRefused) {
    // A bare token has no limit of its own; one that does not fit the 4096-byte token
    // buffer is refused rather than cut into another name.
    const std::string fits(4095, 'v');
    EXPECT_HR(S_OK, registerText("HKCU { K = s " + fits + " }"));
    EXPECT_EQ(fits, text("HKCU\\K"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { L = s " + fits + "v }"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { " + fits + "v }"));
    EXPECT_FALSE(registry_.hasKey("HKCU\\L"));
    EXPECT_EQ((std::vector<std::string>{"K"}), registry_.subKeyNames("HKCU"));
}

TEST_P(TokenTest, ValueNamesLongerThan259BytesAreRefused) {
    const std::string fits(259, 'n');
    EXPECT_HR(S_OK, registerText("HKCU { K { val '" + fits + "' = s x } }"));
    EXPECT_EQ("x", text("HKCU\\K", fits));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { L { val '" + fits + "n' = s x } }"));
    EXPECT_FALSE(registry_.value("HKCU\\L", fits.substr(0, 259)));
    EXPECT_HR(DISP_E_EXCEPTION, unregisterText("HKCU { val " + fits + "n = s x }"));
}

TEST_P(TokenTest, TrailByte5CIsNoBackslash) {
    // 0x95 0x5C is one character in 932; in 1252 the 0x5C is a backslash.
    const std::string name =
        "\x95\x5C"
        "A";
    if (GetParam() == 932) {
        EXPECT_HR(S_OK, registerText("HKCU { '" + name + "' { " + name + " } }"));
        EXPECT_TRUE(registry_.hasKey("HKCU\\" + name + "\\" + name));
        EXPECT_HR(S_OK, unregisterText("HKCU { " + name + " { '" + name + "' } }"));
        EXPECT_FALSE(registry_.hasKey("HKCU\\" + name));
    } else {
        EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { '" + name + "' }"));
        EXPECT_HR(DISP_E_EXCEPTION, unregisterText("HKCU { '" + name + "' }"));
    }
    EXPECT_TRUE(registry_.subKeyNames("HKCU").empty());
}

TEST_P(TokenTest, KeyNamesWithBackslashesOrEmptyAreRefused) {
    for (const char* item : {"'A\\B'", "A\\", "ForceRemove 'X\\Y'", "Delete \\", "''",
                             "ForceRemove ''", "Delete ''"}) {
        EXPECT_HR(DISP_E_EXCEPTION, registerText(std::string("HKCU { ") + item + " }")) << item;
        EXPECT_HR(DISP_E_EXCEPTION, unregisterText(std::string("HKCU { ") + item + " }")) << item;
    }
    EXPECT_TRUE(registry_.subKeyNames("HKCU").empty());
}

TEST_P(TokenTest, EndOfTextWhereATokenIsExpectedFails) {
    for (const char* script :
         {"HKCU", "HKCU {", "HKCU { K", "HKCU { K =", "HKCU { K = s", "HKCU { K = s v",
          "HKCU { K {", "HKCU { val", "HKCU { val N", "HKCU { val N =", "HKCU { Delete",
          "HKCU { NoRemove", "HKCU { ForceRemove", "HKCU { K = s v { } "}) {
        EXPECT_HR(DISP_E_EXCEPTION, registerText(script)) << script;
        EXPECT_HR(DISP_E_EXCEPTION, unregisterText(script)) << script;
    }
}

TOVAK_SCRIPT_TEST_SUITE(TokenTest);

}  // namespace
