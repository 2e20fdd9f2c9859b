// The fuzzer's seed corpus holds valid scripts: each one registers and unregisters
// cleanly in both code pages (those named cp932_ in code page 932 only).
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/registry_script/script_test_fixture.h"

namespace {

using SeedCorpusTest = ScriptTest;

TEST_P(SeedCorpusTest, EverySeedIsAValidScript) {
    addVariable(u"Module", u"C:\\it''s\\tovak.dll");
    addVariable(u"V", u"%%");
    registry_.addKey("HKCR\\CLSID\\{other}");
    registry_.addKey("HKCR\\TypeLib\\{other}");
    const std::string before = registry_.dump();
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TOVAK_FUZZ_CORPUS)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string script{std::istreambuf_iterator<char>(file),
                                 std::istreambuf_iterator<char>()};
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        if (name.rfind("cp932_", 0) == 0 && GetParam() != 932) {
            // Key names with a trail byte 0x5C: a backslash in any other code page.
            EXPECT_HR(DISP_E_EXCEPTION, registerText(script));
            continue;
        }
        EXPECT_HR(S_OK, registerText(script));
        EXPECT_NE(before, registry_.dump()) << "registering changed nothing";
        EXPECT_HR(S_OK, unregisterText(script));
        ++seeds;
    }
    EXPECT_GE(seeds, 8);
}

TOVAK_SCRIPT_TEST_SUITE(SeedCorpusTest);

}  // namespace
