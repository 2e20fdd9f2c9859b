// Variable expansion: %% and %NAME% anywhere in the text, names without regard to case
// and of at most 31 bytes, values converted to the code page and inserted once, and no
// registry change when expansion fails.
#include <string>
#include <vector>

#include "tests/registry_script/script_test_fixture.h"

namespace {

using ExpansionTest = ScriptTest;

TEST_P(ExpansionTest, DoublePercentYieldsOnePercent) {
    EXPECT_HR(S_OK, registerText("HKCU { K = s '100%% sure %%%%' { 'a%%b' } }"));
    EXPECT_EQ("100% sure %%", text("HKCU\\K"));
    EXPECT_TRUE(registry_.hasKey("HKCU\\K\\a%b"));
}

TEST_P(ExpansionTest, VariableNamesMatchWithoutRegardToCase) {
    addVariable(u"Module", u"C:\\TOVAK~1\\tovak.dll");
    EXPECT_HR(S_OK, registerText("HKCU { A = s '%MODULE%' B = s '%module%' }"));
    EXPECT_EQ("C:\\TOVAK~1\\tovak.dll", text("HKCU\\A"));
    EXPECT_EQ("C:\\TOVAK~1\\tovak.dll", text("HKCU\\B"));
    // Expansion comes before tokens are read: the backslashes inserted into a bare key
    // name make it one that is refused.
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { %Module%x }"));
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), registry_.subKeyNames("HKCU"));
}

TEST_P(ExpansionTest, InsertedTextIsNotExpandedAgain) {
    addVariable(u"A", u"%B%");
    addVariable(u"B", u"wrong");
    addVariable(u"P", u"%%");
    EXPECT_HR(S_OK, registerText("HKCU { K = s '%A%%P%' }"));
    EXPECT_EQ("%B%%%", text("HKCU\\K"));
}

TEST_P(ExpansionTest, PercentWithoutItsPartnerFailsBeforeAnythingChanges) {
    const std::string before = registry_.dump();
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { K }%"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { K = s '50%' }"));
    EXPECT_HR(DISP_E_EXCEPTION, unregisterText("HKCU { K } %"));
    EXPECT_EQ(before, registry_.dump());
}

TEST_P(ExpansionTest, NamesOf31BytesAreLookedUpLongerOnesFail) {
    const std::string name31(31, 'n'), name32(32, 'n');
    addVariable(std::u16string(31, u'n'), u"short");
    addVariable(std::u16string(32, u'n'), u"long");
    EXPECT_HR(S_OK, registerText("HKCU { K = s '%" + name31 + "%' }"));
    EXPECT_EQ("short", text("HKCU\\K"));
    const std::string before = registry_.dump();
    EXPECT_HR(E_FAIL, registerText("HKCU { L = s '%" + name32 + "%' }"));
    EXPECT_HR(E_FAIL, registerText("HKCU { L = s '%" + std::string(4000, 'n') + "%' }"));
    EXPECT_EQ(before, registry_.dump());
}

TEST_P(ExpansionTest, UnknownVariableFailsBeforeAnythingChanges) {
    addVariable(u"Module", u"x");
    const std::string before = registry_.dump();
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { A = s '%Module%' }\nHKCU { B = s '%Mod%' }"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { A = s '%%%Modul%' }"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { A = s '%%' } %"));
    EXPECT_EQ(before, registry_.dump());
}

TEST_P(ExpansionTest, ModulePathWithASingleQuoteIsWrittenWithOne) {
    // The value carries its quote doubled, as applyRegistrationResource makes it.
    addVariable(u"Module", u"C:\\it''s\\tovak.dll");
    EXPECT_HR(S_OK,
              registerText("HKCR { InprocServer32 = s '%Module%' { Val Path = s '%Module%' } }"));
    EXPECT_EQ("C:\\it's\\tovak.dll", text("HKCR\\InprocServer32"));
    EXPECT_EQ("C:\\it's\\tovak.dll", text("HKCR\\InprocServer32", "Path"));
}

TEST_P(ExpansionTest, DoubleByteCharactersAreInsertedOnce) {
    // U+8868 and U+30BD end in 0x5C in code page 932; 1252 writes '?' for them.
    addVariable(u"Module", u"C:\\\u8868\u30BD\\%x.dll");
    EXPECT_HR(S_OK, registerText("HKCU { K = s '%Module%' }"));
    const std::string expected =
        GetParam() == 932 ? "C:\\\x95\x5C\x83\x5C\\%x.dll" : "C:\\??\\%x.dll";
    EXPECT_EQ(expected, text("HKCU\\K"));
}

TEST_P(ExpansionTest, ScriptDoubleByteCharactersAreCopiedWhole) {
    // In 932, 0x95 0x25 would be one character; "%" is no trail byte, so the text
    // around it still expands as written.
    addVariable(u"V", u"v");
    EXPECT_HR(S_OK, registerText("HKCU { K = s '\x95\x5C%V%\x83\x5C' }"));
    EXPECT_EQ("\x95\x5Cv\x83\x5C", text("HKCU\\K"));
}

TEST_P(ExpansionTest, LongValuesGrowTheOutput) {
    addVariable(u"Long", std::u16string(2000, u'x'));
    EXPECT_HR(S_OK, registerText("HKCU { K = s '%Long%%Long%' }"));
    EXPECT_EQ(4000u, text("HKCU\\K").value_or("").size());
    EXPECT_EQ(std::string(4000, 'x'), text("HKCU\\K"));
}

TEST_P(ExpansionTest, OutOfMemoryFailsBeforeAnythingChanges) {
    addVariable(u"Long", std::u16string(100, u'x'));
    const std::string before = registry_.dump();
    memory_.failFrom(0);
    EXPECT_HR(E_OUTOFMEMORY, registerText("HKCU { K }"));
    memory_.failFrom(1);  // the first growth of the output
    EXPECT_HR(E_OUTOFMEMORY, registerText("HKCU { K = s '%Long%' }"));
    memory_.failFrom(static_cast<std::size_t>(-1));
    EXPECT_EQ(before, registry_.dump());
    EXPECT_EQ(
        0, memory_.outstanding() - static_cast<long>(2 * interpreter_.substitutions().size() + 1));
}

TEST_P(ExpansionTest, EmptyTextNeedsNoRoom) {
    EXPECT_HR(S_OK, registerText(""));
    EXPECT_HR(S_OK, unregisterText(""));
}

TOVAK_SCRIPT_TEST_SUITE(ExpansionTest);

}  // namespace
