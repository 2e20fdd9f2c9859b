// Unregister mode: which keys go (a key that is empty after its block), which stay
// (keys with other subkeys, keys after NoRemove), skip mode after a key that cannot be
// opened, the deletion of named values, and the failures that stop the walk.
#include <string>
#include <vector>

#include "tests/registry_script/script_test_fixture.h"

namespace {

using Names = std::vector<std::string>;
using Operation = InstrumentedRegistry::Operation;
using UnregisterTest = ScriptTest;

TEST_P(UnregisterTest, KeyHoldingOnlyItsDefaultValueIsRemoved) {
    registry_.addString("HKCR\\A", "", "default");
    registry_.addString("HKCR\\B", "", "default");
    EXPECT_HR(S_OK, unregisterText("HKCR { A = s 'anything' B }"));
    EXPECT_TRUE(registry_.subKeyNames("HKCR").empty());
}

TEST_P(UnregisterTest, KeyWithNamedValuesIsRemovedAfterItsBlock) {
    registry_.addString("HKCR\\A", "Named", "x");
    registry_.addString("HKCR\\A\\B", "", "x");
    registry_.addString("HKCR\\C", "", "x");
    registry_.addString("HKCR\\C", "Other", "x");
    EXPECT_HR(S_OK, unregisterText("HKCR { A { B } C D }"));
    EXPECT_TRUE(registry_.subKeyNames("HKCR").empty());
}

TEST_P(UnregisterTest, KeyKeepingSubkeysTheScriptDoesNotNameRemains) {
    registry_.addKey("HKCR\\A\\Mine");
    registry_.addKey("HKCR\\A\\Theirs\\Deep");
    registry_.addKey("HKCR\\B");
    EXPECT_HR(S_OK, unregisterText("HKCR { A { Mine } B }"));
    EXPECT_EQ(Names{"A"}, registry_.subKeyNames("HKCR"));
    EXPECT_EQ(Names{"Theirs"}, registry_.subKeyNames("HKCR\\A"));
}

TEST_P(UnregisterTest, KeyWithOtherSubkeysAndNoBlockLeavesTheNextItemInPlace) {
    // The token after such a key already is the next item: B is still deleted, and C's
    // block closes where it should, so D is looked for beneath HKCR, not beneath C.
    registry_.addKey("HKCR\\A\\Theirs");
    registry_.addKey("HKCR\\B");
    registry_.addKey("HKCR\\C\\X\\Theirs");
    registry_.addKey("HKCR\\C\\D");
    registry_.addKey("HKCR\\D");
    registry_.addString("HKCR\\E", "Named", "v");
    registry_.addKey("HKCR\\F");
    EXPECT_HR(S_OK, unregisterText("HKCR { A B C { X } D E F }"));
    EXPECT_EQ((Names{"A", "C"}), registry_.subKeyNames("HKCR"));
    EXPECT_EQ((Names{"D", "X"}), registry_.subKeyNames("HKCR\\C"));
}

TEST_P(UnregisterTest, NoRemoveKeepsEveryLaterKeyOfItsBlock) {
    for (const char* path : {"HKCR\\First", "HKCR\\A\\Inner", "HKCR\\B", "HKCR\\C"}) {
        registry_.addKey(path);
    }
    EXPECT_HR(S_OK, unregisterText("HKCR { First NoRemove A { Inner } B C }"));
    EXPECT_EQ((Names{"A", "B", "C"}), registry_.subKeyNames("HKCR"));
    // The flag belongs to the block: a nested block starts with it set.
    EXPECT_TRUE(registry_.subKeyNames("HKCR\\A").empty());
}

TEST_P(UnregisterTest, ScriptWhoseKeysAreAllMissingChangesNothing) {
    registry_.addKey("HKCR\\Unrelated");
    const std::string before = registry_.dump();
    EXPECT_HR(S_OK, unregisterText("HKCR { A = s 'x' { B { val N = s 'y' C } } ForceRemove D "
                                   "Delete E { F } NoRemove G val H = s 'z' } HKCU { I }"));
    EXPECT_EQ(before, registry_.dump());
}

TEST_P(UnregisterTest, SkipModeLastsUntilOneBlockHasBeenRead) {
    // Missing has no block: Skipped and its block are read over unchanged; Removed
    // comes after that block and is deleted again.
    registry_.addKey("HKCR\\Skipped\\Child");
    registry_.addKey("HKCR\\Also");
    registry_.addKey("HKCR\\Removed");
    EXPECT_HR(S_OK, unregisterText("HKCR { Missing Also Skipped { Child } Removed }"));
    EXPECT_EQ((Names{"Also", "Skipped"}), registry_.subKeyNames("HKCR"));
    EXPECT_EQ(Names{"Child"}, registry_.subKeyNames("HKCR\\Skipped"));
}

TEST_P(UnregisterTest, MissingKeyWithABlockEndsSkipModeThere) {
    registry_.addKey("HKCR\\Next");
    EXPECT_HR(S_OK, unregisterText("HKCR { Missing { Next { X } } Next }"));
    EXPECT_TRUE(registry_.subKeyNames("HKCR").empty());
}

TEST_P(UnregisterTest, KeyThatLostItsSubkeysIsDeletedAndItsBlockReadOver) {
    registry_.addKey("HKCR\\A");
    registry_.addKey("HKCR\\Next");
    EXPECT_HR(S_OK, unregisterText("HKCR { A = s 'x' { B { C } val N = s 'y' } Next }"));
    EXPECT_TRUE(registry_.subKeyNames("HKCR").empty());
}

TEST_P(UnregisterTest, AnyTokenBeginningWithABraceOpensTheBlock) {
    registry_.addKey("HKCR\\A\\B");
    EXPECT_HR(S_OK, unregisterText("HKCR { A {x B } }"));
    EXPECT_TRUE(registry_.subKeyNames("HKCR").empty());
}

TEST_P(UnregisterTest, ForceRemoveAndDeleteItemsAreKeyItems) {
    registry_.addKey("HKCR\\A\\Theirs");
    registry_.addKey("HKCR\\B");
    registry_.addKey("HKCR\\CLSID");
    EXPECT_HR(S_OK, unregisterText("HKCR { ForceRemove A Delete B = s 'x' Delete CLSID }"));
    // A keeps the subkey the script does not name; CLSID is empty and goes.
    EXPECT_EQ(Names{"A"}, registry_.subKeyNames("HKCR"));
}

TEST_P(UnregisterTest, ValueItemsDeleteTheirValue) {
    registry_.addString("HKCU", "Mine", "x");
    registry_.addString("HKCU", "Theirs", "x");
    EXPECT_HR(S_OK, unregisterText("HKCU { val Mine = s 'x' val Missing = d 1 }"));
    EXPECT_TRUE(registry_.value("HKCU", "Theirs"));
    EXPECT_FALSE(registry_.value("HKCU", "Mine"));
    EXPECT_HR(DISP_E_EXCEPTION, unregisterText("HKCU { val Theirs s 'x' }"));
    EXPECT_TRUE(registry_.value("HKCU", "Theirs"));
}

TEST_P(UnregisterTest, ValuesOfAKeptKeyStayWhenItIsOpenedForReading) {
    // A key opened for reading cannot lose a value; the value goes with its key, or
    // stays when the key stays.
    registry_.addString("HKCR\\A", "Mine", "x");
    registry_.addKey("HKCR\\A\\Theirs");
    EXPECT_HR(S_OK, unregisterText("HKCR { A { val Mine = s 'x' } }"));
    EXPECT_TRUE(registry_.value("HKCR\\A", "Mine"));
}

TEST_P(UnregisterTest, KeyThatCannotBeClosedFails) {
    registry_.addKey("HKCR\\A");
    registry_.addKey("HKCR\\B");
    registry_.fail(Operation::kClose, "HKCR\\A");
    EXPECT_HR(DISP_E_EXCEPTION, unregisterText("HKCR { A B }"));
    EXPECT_TRUE(registry_.hasKey("HKCR\\A"));
    EXPECT_TRUE(registry_.hasKey("HKCR\\B"));
}

TEST_P(UnregisterTest, KeyThatCannotBeOpenedTurnsSkipModeOn) {
    registry_.addKey("HKCR\\A\\B");
    registry_.addKey("HKCR\\C");
    registry_.addKey("HKCR\\D");
    registry_.fail(Operation::kOpen, "HKCR\\A");
    // A's own block is read in skip mode; C after it and D are deleted again.
    EXPECT_HR(S_OK, unregisterText("HKCR { A { B } C } HKCR { D }"));
    EXPECT_EQ(Names{"A"}, registry_.subKeyNames("HKCR"));
    EXPECT_EQ(Names{"B"}, registry_.subKeyNames("HKCR\\A"));
}

TEST_P(UnregisterTest, FailedQueryCountsAsNoSubkeysAndDeletionFailuresAreIgnored) {
    registry_.addKey("HKCR\\A\\B");
    registry_.addKey("HKCR\\C");
    registry_.fail(Operation::kQueryInfo, "HKCR\\A");
    registry_.fail(Operation::kDeleteKey, "HKCR\\C");
    registry_.addKey("HKCR\\D");
    EXPECT_HR(S_OK, unregisterText("HKCR { A { B } C D }"));
    // A looked empty: deleting it failed, and its block was read over.
    EXPECT_EQ((Names{"A", "C"}), registry_.subKeyNames("HKCR"));
    EXPECT_EQ(Names{"B"}, registry_.subKeyNames("HKCR\\A"));
}

TEST_P(UnregisterTest, UnreadableValueNameCountsAsNamed) {
    registry_.addString("HKCR\\A", "", "x");
    registry_.addKey("HKCR\\A\\B");
    registry_.fail(Operation::kEnumerate, "HKCR\\A");
    EXPECT_HR(S_OK, unregisterText("HKCR { A { B } }"));
    EXPECT_TRUE(registry_.subKeyNames("HKCR").empty());
}

// Both walks take a key name as long as the token buffer holds (4095 bytes), so what
// registering made, unregistering removes; a missing key's block is read over alike.
TEST_P(UnregisterTest, KeyNamesOfAnyTokenLengthAreUnregisteredWhole) {
    for (const std::size_t length : {259u, 260u, 600u, 4095u}) {
        const std::string name(length, 'k');
        SCOPED_TRACE(length);
        const std::string script = "HKCR { A " + name + " { C } B }";
        registry_.addKey("HKCR\\" + name.substr(0, 258));
        const std::string before = registry_.dump();
        EXPECT_HR(S_OK, registerText(script));
        EXPECT_TRUE(registry_.hasKey("HKCR\\" + name + "\\C"));
        EXPECT_HR(S_OK, unregisterText(script));
        EXPECT_EQ(before, registry_.dump()) << "the cut name is not the script's";
        EXPECT_HR(S_OK, unregisterText("HKCR { Missing { " + name + " { C } } B }"));
    }
    EXPECT_HR(DISP_E_EXCEPTION, unregisterText("HKCR { " + std::string(4096, 'k') + " }"));
}

// A double-byte key name of 150 characters, 300 bytes, some with trail byte 0x5C,
// beside siblings: registering and then unregistering leaves nothing behind, and a
// second unregistering (every key missing, read in skip mode) changes nothing.
class DoubleByteKeyNameTest : public ScriptTest {};

TEST_P(DoubleByteKeyNameTest, ThreeHundredByteKeyNameIsRegisteredThenUnregistered) {
    std::string name;
    for (int i = 0; i < 75; ++i) name += "\x95\x5C\x82\xA0";  // U+8868 U+3042
    ASSERT_EQ(300u, name.size());
    const std::string script = "HKCR { NoRemove Software { Tovak { A = s 'a' '" + name +
                               "' = s 'long' { val V = s 'v' Sub { C } } B { D } } } }";
    registry_.addKey("HKCR\\Software\\Other");
    const std::string before = registry_.dump();
    ASSERT_HR(S_OK, registerText(script));
    EXPECT_TRUE(registry_.hasKey("HKCR\\Software\\Tovak\\" + name + "\\Sub\\C"));
    EXPECT_TRUE(registry_.hasKey("HKCR\\Software\\Tovak\\B\\D"));
    EXPECT_HR(S_OK, unregisterText(script));
    EXPECT_EQ(before, registry_.dump());
    EXPECT_HR(S_OK, unregisterText(script));
    EXPECT_EQ(before, registry_.dump());
}

INSTANTIATE_TEST_SUITE_P(CodePage932, DoubleByteKeyNameTest, ::testing::Values(932u), codePageName);

TEST_P(UnregisterTest, TrailingJunkAfterARootBlockFails) {
    registry_.addKey("HKCR\\A");
    EXPECT_HR(DISP_E_EXCEPTION, unregisterText("HKCR { A } junk"));
    // Unregistering does not roll back what it did before the failure.
    EXPECT_FALSE(registry_.hasKey("HKCR\\A"));
}

TOVAK_SCRIPT_TEST_SUITE(UnregisterTest);

}  // namespace
