// Every registry operation failing on every key a registration touches, and every
// allocation failing in turn: the walk reports DISP_E_EXCEPTION or E_OUTOFMEMORY or
// carries on, closes every key it opened, and a clean unregistration afterwards leaves
// the registry as it was.
#include <string>
#include <vector>

#include "tests/registry_script/script_test_fixture.h"

namespace {

using Operation = InstrumentedRegistry::Operation;
using FailureTest = ScriptTest;

const char kScript[] =
    "HKCR {\n"
    "  Tovak.GotoList.1 = s 'GotoList Class' { CLSID = s '{73616E24}' }\n"
    "  NoRemove CLSID {\n"
    "    ForceRemove {73616E24} = s 'GotoList Class' {\n"
    "      InprocServer32 = s '%MODULE%' { val ThreadingModel = s 'Apartment' }\n"
    "      Flags = d '5' { val Bits = b '0aff' }\n"
    "    }\n"
    "  }\n"
    "  NoRemove * { NoRemove shellex { NoRemove ContextMenuHandlers {\n"
    "    ForceRemove Tovak = s '{73616E24}' } } }\n"
    "}\n"
    "HKCU { NoRemove Software { Tovak { Delete Old val Name = s 'x' } } }\n";

const char* const kPaths[] = {
    "HKCR",
    "HKCR\\Tovak.GotoList.1",
    "HKCR\\Tovak.GotoList.1\\CLSID",
    "HKCR\\CLSID",
    "HKCR\\CLSID\\{73616E24}",
    "HKCR\\CLSID\\{73616E24}\\InprocServer32",
    "HKCR\\CLSID\\{73616E24}\\Flags",
    "HKCR\\*",
    "HKCR\\*\\shellex",
    "HKCR\\*\\shellex\\ContextMenuHandlers",
    "HKCR\\*\\shellex\\ContextMenuHandlers\\Tovak",
    "HKCU",
    "HKCU\\Software",
    "HKCU\\Software\\Tovak",
    "HKCU\\Software\\Tovak\\Old",
};

const Operation kOperations[] = {
    Operation::kOpen,      Operation::kCreate,      Operation::kClose,     Operation::kSetValue,
    Operation::kDeleteKey, Operation::kDeleteValue, Operation::kEnumerate, Operation::kQueryInfo,
};

class FailureSweep : public FailureTest {
protected:
    void SetUp() override {
        addVariable(u"Module", u"C:\\it''s\\tovak.dll");
        registry_.addKey("HKCR\\CLSID\\{other}");
        registry_.addKey("HKCR\\*\\shellex\\ContextMenuHandlers\\Other");
        registry_.addKey("HKCU\\Software\\Vendor");
    }
};

TEST_P(FailureSweep, EveryOperationFailingOnEveryKey) {
    const std::string original = registry_.dump();
    int refused = 0;
    for (const Operation operation : kOperations) {
        for (const char* path : kPaths) {
            for (const bool registering : {true, false}) {
                SCOPED_TRACE(std::string(operationName(operation)) + " fails on " + path +
                             (registering ? " registering" : " unregistering"));
                if (!registering) {
                    ASSERT_HR(S_OK, registerText(kScript));
                }
                registry_.fail(operation, path);
                const HRESULT hr = interpreter_.applyText(kScript, registering);
                registry_.clearFailures();
                EXPECT_TRUE(hr == S_OK || hr == DISP_E_EXCEPTION) << hex(hr);
                if (hr == DISP_E_EXCEPTION) ++refused;
                EXPECT_EQ(0u, registry_.openHandles());
                EXPECT_EQ(0u, registry_.invalidHandleUses());
                // A clean unregistration removes whatever is left.
                EXPECT_HR(S_OK, unregisterText(kScript));
                EXPECT_EQ(original, registry_.dump());
            }
        }
    }
    // Opening, creating and closing failures stop the walk.
    EXPECT_GE(refused, 10);
}

TEST_P(FailureSweep, EveryAllocationFailingInTurn) {
    const std::string original = registry_.dump();
    for (const bool registering : {true, false}) {
        for (std::size_t failing = 0;; ++failing) {
            SCOPED_TRACE("request " + std::to_string(failing));
            memory_.failFrom(failing);
            const HRESULT hr = interpreter_.applyText(kScript, registering);
            const std::size_t requests = memory_.requests();
            memory_.failFrom(static_cast<std::size_t>(-1));
            EXPECT_EQ(0u, registry_.openHandles());
            if (hr == E_OUTOFMEMORY) {
                EXPECT_EQ(original, registry_.dump()) << "changed before running out";
                continue;
            }
            EXPECT_HR(S_OK, hr);
            EXPECT_LE(requests, failing) << "succeeded although an allocation failed";
            break;
        }
        EXPECT_HR(S_OK, unregisterText(kScript));
    }
    EXPECT_EQ(original, registry_.dump());
}

INSTANTIATE_TEST_SUITE_P(CodePages, FailureSweep, ::testing::Values(1252u, 932u), codePageName);

}  // namespace
