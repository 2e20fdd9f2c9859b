// GoogleTest main for the programs that run under Wine. A program registered to run
// in a given ANSI code page (TOVAK_CODEPAGE) fails at once if Wine gave it another one,
// so a misconfigured run can never pass silently. The check runs before the tests, not
// as a GoogleTest environment: a failed environment reports every test as skipped, and
// CTest counts a program that prints "SKIPPED" as skipped, not failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

namespace {

bool inExpectedCodePage() {
    const char* wanted = std::getenv("TOVAK_CODEPAGE");
    const unsigned expected = wanted ? static_cast<unsigned>(std::atoi(wanted)) : 1252u;
    if (GetACP() == expected) return true;
    std::printf("FAILED: the program runs in ANSI code page %u, not %u\n", GetACP(), expected);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!::testing::GTEST_FLAG(list_tests) && !inExpectedCodePage()) return 1;
    return RUN_ALL_TESTS();
}
