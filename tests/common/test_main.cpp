// GoogleTest main for the programs that run under Wine. A program registered to run
// in a given ANSI code page (TOVAK_CODEPAGE) fails every test if Wine gave it another
// one, so a misconfigured run can never pass silently.
#include <windows.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

class CodePageCheck : public ::testing::Environment {
public:
    void SetUp() override {
        const char* wanted = std::getenv("TOVAK_CODEPAGE");
        const unsigned expected = wanted ? static_cast<unsigned>(std::atoi(wanted)) : 1252u;
        ASSERT_EQ(expected, GetACP()) << "the program runs in the wrong ANSI code page";
    }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new CodePageCheck);
    return RUN_ALL_TESTS();
}
