// Register mode: keys opened or created, values of the three types, ForceRemove and
// Delete with the protected names, and the unregister walk that undoes a root block
// that failed.
#include <string>
#include <vector>

#include "tests/registry_script/script_test_fixture.h"

namespace {

using Bytes = std::vector<unsigned char>;
using RegisterTest = ScriptTest;

TEST_P(RegisterTest, EmptyScriptSucceedsAndChangesNothing) {
    const std::string before = registry_.dump();
    EXPECT_HR(S_OK, registerText(""));
    EXPECT_HR(S_OK, registerText("HKCU { }"));
    EXPECT_EQ(before, registry_.dump());
}

TEST_P(RegisterTest, WhitespaceOnlyScriptFails) {
    EXPECT_HR(DISP_E_EXCEPTION, registerText(" \t\r\n"));
    EXPECT_HR(DISP_E_EXCEPTION, unregisterText(" "));
}

TEST_P(RegisterTest, WritesTheTreeItDescribes) {
    EXPECT_HR(S_OK, registerText("HKCR {\n"
                                 "  NoRemove CLSID {\n"
                                 "    ForceRemove {73616E24} = s 'GotoList' {\n"
                                 "      InprocServer32 = s 'tovak.dll' { val ThreadingModel = s "
                                 "Apartment }\n"
                                 "    }\n"
                                 "  }\n"
                                 "}\n"));
    EXPECT_EQ("GotoList", text("HKCR\\CLSID\\{73616E24}"));
    EXPECT_EQ("tovak.dll", text("HKCR\\CLSID\\{73616E24}\\InprocServer32"));
    EXPECT_EQ("Apartment", text("HKCR\\CLSID\\{73616E24}\\InprocServer32", "ThreadingModel"));
    EXPECT_EQ(0u, registry_.value("HKCR\\CLSID", "").has_value());
}

TEST_P(RegisterTest, RootKeysAreKnownByBothNamesWithoutRegardToCase) {
    const std::vector<std::pair<const char*, const char*>> roots = {
        {"HKCR", "HKCR"},
        {"hkcu", "HKCU"},
        {"HKLM", "HKLM"},
        {"HKU", "HKU"},
        {"HKPD", "HKPD"},
        {"HKDD", "HKDD"},
        {"HKCC", "HKCC"},
        {"HKEY_CLASSES_ROOT", "HKCR"},
        {"hkey_current_user", "HKCU"},
        {"HKEY_LOCAL_MACHINE", "HKLM"},
        {"HKEY_USERS", "HKU"},
        {"HKEY_PERFORMANCE_DATA", "HKPD"},
        {"HKEY_DYN_DATA", "HKDD"},
        {"HKEY_CURRENT_CONFIG", "HKCC"}};
    for (const auto& root : roots) {
        const std::string key = std::string("K") + root.first;
        EXPECT_HR(S_OK, registerText(std::string(root.first) + " { " + key + " }")) << root.first;
        EXPECT_TRUE(registry_.hasKey(std::string(root.second) + "\\" + key)) << root.first;
    }
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKEY_CLASSES { K }"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCR K { }"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCR }"));
}

TEST_P(RegisterTest, StringTypeIsSInEitherCase) {
    EXPECT_HR(S_OK, registerText("HKCU { A = s 'lower' B = S 'upper' }"));
    EXPECT_EQ("lower", text("HKCU\\A"));
    EXPECT_EQ("upper", text("HKCU\\B"));
    const auto value = registry_.value("HKCU\\A", "");
    ASSERT_TRUE(value);
    EXPECT_EQ((Bytes{'l', 'o', 'w', 'e', 'r', 0}), value->data);
}

TEST_P(RegisterTest, UnknownTypesFail) {
    for (const char* type : {"sz", "SZ", "dword", "x", "''", "=", "bb"}) {
        EXPECT_HR(DISP_E_EXCEPTION, registerText(std::string("HKCU { K = ") + type + " 'v' }"))
            << type;
        EXPECT_FALSE(registry_.hasKey("HKCU\\K")) << type << " was not undone";
    }
}

TEST_P(RegisterTest, BinaryValuesArePairsOfHexDigits) {
    EXPECT_HR(S_OK, registerText("HKCU { K { val A = b '0aFf' val Z = B 'zz' val E = b '' "
                                 "val G = b 'g1A0' } }"));
    EXPECT_EQ((Bytes{0x0A, 0xFF}), registry_.value("HKCU\\K", "A")->data);
    EXPECT_EQ(registry_type::kBinary, registry_.value("HKCU\\K", "A")->type);
    EXPECT_EQ((Bytes{0x00}), registry_.value("HKCU\\K", "Z")->data);
    EXPECT_EQ(Bytes{}, registry_.value("HKCU\\K", "E")->data);
    EXPECT_EQ((Bytes{0x01, 0xA0}), registry_.value("HKCU\\K", "G")->data);
}

TEST_P(RegisterTest, BinaryValueOfOddLengthFails) {
    EXPECT_HR(E_FAIL, registerText("HKCU { K { val A = b 'abc' } }"));
    EXPECT_FALSE(registry_.hasKey("HKCU\\K"));
}

TEST_P(RegisterTest, LongestBinaryValueFits) {
    const std::string digits(4094, 'f');
    EXPECT_HR(S_OK, registerText("HKCU { K = b '" + digits + "' }"));
    EXPECT_EQ(Bytes(2047, 0xFF), registry_.value("HKCU\\K", "")->data);
}

TEST_P(RegisterTest, DwordValuesAreUnsignedNumbers) {
    EXPECT_HR(S_OK, registerText("HKCU { K { val Ten = d '10' val Max = D 4294967295 } }"));
    EXPECT_EQ(registry_type::kDword, registry_.value("HKCU\\K", "Ten")->type);
    EXPECT_EQ((Bytes{10, 0, 0, 0}), registry_.value("HKCU\\K", "Ten")->data);
    EXPECT_EQ((Bytes{0xFF, 0xFF, 0xFF, 0xFF}), registry_.value("HKCU\\K", "Max")->data);
}

TEST_P(RegisterTest, DwordTextThatIsNoNumberIsRefused) {
    // Not written as some number: refused, and the root block undone.
    for (const char* number : {"'ten'", "''", "4294967296", "'1 2'"}) {
        EXPECT_HR(DISP_E_EXCEPTION, registerText(std::string("HKCU { K = d ") + number + " }"))
            << number;
        EXPECT_FALSE(registry_.hasKey("HKCU\\K")) << number;
    }
}

TEST_P(RegisterTest, ValueItemsNeedTheirEqualSign) {
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { K { val N s 'x' } }"));
    EXPECT_FALSE(registry_.hasKey("HKCU\\K"));
    // Only the first character is tested, so "=s" is the sign and the type is lost.
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { K { val N =s 'x' } }"));
    EXPECT_FALSE(registry_.hasKey("HKCU\\K"));
}

TEST_P(RegisterTest, ValueItemsWriteBeneathTheParent) {
    EXPECT_HR(S_OK, registerText("HKCU { val Top = s 'root' K { val N = s 'x' } }"));
    EXPECT_EQ("root", text("HKCU", "Top"));
    EXPECT_EQ("x", text("HKCU\\K", "N"));
}

TEST_P(RegisterTest, ExistingKeysAreKeptAndUpdated) {
    registry_.addString("HKCU\\K", "", "old");
    registry_.addString("HKCU\\K", "Other", "kept");
    registry_.addKey("HKCU\\K\\Child");
    EXPECT_HR(S_OK, registerText("HKCU { K = s 'new' }"));
    EXPECT_EQ("new", text("HKCU\\K"));
    EXPECT_EQ("kept", text("HKCU\\K", "Other"));
    EXPECT_TRUE(registry_.hasKey("HKCU\\K\\Child"));
}

TEST_P(RegisterTest, ReadOnlyExistingKeyIsOpenedForReading) {
    registry_.makeReadOnly("HKCU\\K");
    EXPECT_HR(S_OK, registerText("HKCU { K = s 'not written' }"));
    EXPECT_FALSE(registry_.value("HKCU\\K", ""));
}

TEST_P(RegisterTest, ForceRemoveDeletesTheExistingSubtreeFirst) {
    registry_.addString("HKCU\\K", "Old", "x");
    registry_.addKey("HKCU\\K\\A\\B\\C");
    registry_.addKey("HKCU\\K\\D");
    registry_.addKey("HKCU\\Sibling");
    EXPECT_HR(S_OK, registerText("HKCU { ForceRemove K = s 'new' { E } }"));
    EXPECT_EQ((std::vector<std::string>{"E"}), registry_.subKeyNames("HKCU\\K"));
    EXPECT_FALSE(registry_.value("HKCU\\K", "Old"));
    EXPECT_EQ("new", text("HKCU\\K"));
    EXPECT_TRUE(registry_.hasKey("HKCU\\Sibling"));
    // Missing is no error.
    EXPECT_HR(S_OK, registerText("HKCU { ForceRemove Missing }"));
    EXPECT_TRUE(registry_.hasKey("HKCU\\Missing"));
}

TEST_P(RegisterTest, ForceRemoveAndDeleteNeverTouchProtectedNames) {
    registry_.addKey("HKCR\\CLSID\\{other}");
    registry_.addKey("HKCR\\TypeLib\\{lib}");
    registry_.addKey("HKCR\\K\\clsid\\x");
    const std::string before = registry_.dump();
    EXPECT_HR(S_OK, registerText("HKCR { ForceRemove CLSID Delete TYPELIB K { Delete clsid } }"));
    EXPECT_EQ(before, registry_.dump());
    // Not even tried.
    EXPECT_EQ(0u, registry_.calls(InstrumentedRegistry::Operation::kDeleteKey));
    EXPECT_EQ(0u, registry_.calls(InstrumentedRegistry::Operation::kEnumerate));
}

TEST_P(RegisterTest, DeleteRemovesASubtreeAndReadsOverItsClause) {
    registry_.addKey("HKCU\\K\\Old\\Deep");
    registry_.addKey("HKCU\\K\\Kept");
    EXPECT_HR(S_OK, registerText("HKCU { K { Delete Old = s 'ignored' Delete Missing New } }"));
    EXPECT_EQ((std::vector<std::string>{"Kept", "New"}), registry_.subKeyNames("HKCU\\K"));
}

TEST_P(RegisterTest, BlockAfterADeleteOrValueItemIsRefused) {
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { K { Delete Old { X } } }"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { K { val N = s v { X } } }"));
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { A B { } val N = s v { X } }"));
    EXPECT_TRUE(registry_.subKeyNames("HKCU").empty());
}

TEST_P(RegisterTest, OnlyABareBraceOpensAKeyBlock) {
    // When registering, "{x" after a key is the next key's name.
    EXPECT_HR(S_OK, registerText("HKCU { K {x }"));
    EXPECT_EQ((std::vector<std::string>{"K", "{x"}), registry_.subKeyNames("HKCU"));
}

TEST_P(RegisterTest, KeyThatCannotBeCreatedFailsAndTheRootBlockIsUndone) {
    registry_.addString("HKCU\\Software\\Other", "", "kept");
    registry_.makeReadOnly("HKCU\\Software\\Locked");
    const std::string before = registry_.dump();
    EXPECT_HR(DISP_E_EXCEPTION,
              registerText("HKCU { Software { Made = s 'x' { Deep } Locked { New } After } }"));
    EXPECT_EQ(before, registry_.dump());
    // Root blocks that succeeded before stay.
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKLM { Good } HKCU { Software { Locked { New } } }"));
    EXPECT_TRUE(registry_.hasKey("HKLM\\Good"));
    EXPECT_EQ((std::vector<std::string>{"Locked", "Other"}),
              registry_.subKeyNames("HKCU\\Software"));
}

TEST_P(RegisterTest, UndoingKeepsWhatNoRemoveProtects) {
    registry_.makeReadOnly("HKCU\\Locked");
    EXPECT_HR(DISP_E_EXCEPTION,
              registerText("HKCU { A { B } NoRemove Kept { C } D Locked { New } }"));
    EXPECT_FALSE(registry_.hasKey("HKCU\\A"));
    EXPECT_TRUE(registry_.hasKey("HKCU\\Kept"));  // and so is every later sibling
    EXPECT_TRUE(registry_.hasKey("HKCU\\D"));
    EXPECT_FALSE(registry_.hasKey("HKCU\\Kept\\C"));
}

TEST_P(RegisterTest, ClosingThePreviousKeyFailingAfterACreationFails) {
    registry_.fail(InstrumentedRegistry::Operation::kClose, "HKCU\\A");
    EXPECT_HR(DISP_E_EXCEPTION, registerText("HKCU { A B }"));
    // After an open, the failed close does not matter.
    registry_.addKey("HKCU\\B");
    EXPECT_HR(S_OK, registerText("HKCU { A B }"));
}

TEST_P(RegisterTest, SetValueFailuresDoNotStopTheScript) {
    registry_.fail(InstrumentedRegistry::Operation::kSetValue, "HKCU\\A");
    EXPECT_HR(S_OK, registerText("HKCU { A = s 'x' { val N = s y } B = s 'z' }"));
    EXPECT_FALSE(registry_.value("HKCU\\A", ""));
    EXPECT_EQ("z", text("HKCU\\B"));
}

TEST_P(RegisterTest, BlocksNestAsDeepAsTheRegistry) {
    auto nested = [](int blocks) {
        std::string script = "HKCU {";
        for (int i = 1; i < blocks; ++i) script += " k {";
        for (int i = 0; i < blocks; ++i) script += " }";
        return script;
    };
    EXPECT_HR(S_OK, registerText(nested(RegistryScriptInterpreter::kMaxBlockDepth)));
    EXPECT_HR(S_OK, unregisterText(nested(RegistryScriptInterpreter::kMaxBlockDepth)));
    EXPECT_TRUE(registry_.subKeyNames("HKCU").empty());
    // Deeper is refused, and what was made is undone; read in skip mode, any depth is
    // read to its end.
    EXPECT_HR(DISP_E_EXCEPTION,
              registerText(nested(RegistryScriptInterpreter::kMaxBlockDepth + 1)));
    EXPECT_TRUE(registry_.subKeyNames("HKCU").empty());
    EXPECT_HR(DISP_E_EXCEPTION, registerText(nested(100000)));
    EXPECT_TRUE(registry_.subKeyNames("HKCU").empty());
    EXPECT_HR(S_OK, unregisterText(nested(100000)));
}

TEST_P(RegisterTest, RegisterThenUnregisterRestoresTheRegistry) {
    registry_.addKey("HKCR\\CLSID\\{existing}");
    registry_.addKey("HKCR\\*\\shellex\\ContextMenuHandlers\\Other");
    const std::string before = registry_.dump();
    const std::string script =
        "HKCR {\n"
        "  Tovak.GotoList.1 = s 'GotoList Class' { CLSID = s '{73616E24}' }\n"
        "  NoRemove CLSID {\n"
        "    ForceRemove {73616E24} = s 'GotoList Class' {\n"
        "      InprocServer32 = s 'C:\\x\\tovak.dll' { val ThreadingModel = s 'Apartment' }\n"
        "      'TypeLib' = s '{lib}'\n"
        "    }\n"
        "  }\n"
        "  NoRemove * { NoRemove shellex { NoRemove ContextMenuHandlers {\n"
        "    ForceRemove Tovak = s '{73616E24}' } } }\n"
        "}\n";
    EXPECT_HR(S_OK, registerText(script));
    EXPECT_EQ("C:\\x\\tovak.dll", text("HKCR\\CLSID\\{73616E24}\\InprocServer32"));
    EXPECT_EQ("{73616E24}", text("HKCR\\*\\shellex\\ContextMenuHandlers\\Tovak"));
    EXPECT_HR(S_OK, unregisterText(script));
    EXPECT_EQ(before, registry_.dump());
}

TOVAK_SCRIPT_TEST_SUITE(RegisterTest);

}  // namespace
