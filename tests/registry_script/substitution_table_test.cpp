// The substitution table: lookup without regard to case in the ANSI code page, first
// match in insertion order, growth past its first ten pairs, and running out of memory.
#include <string>

#include <gtest/gtest.h>

#include "common/emulated_code_page.h"
#include "registry_script/substitution_table.h"
#include "tests/registry_script/counting_task_memory.h"
#include "tests/registry_script/script_test_fixture.h"

namespace {

class SubstitutionTableTest : public ::testing::TestWithParam<unsigned> {
protected:
    SubstitutionTableTest() : codePage_(GetParam()), table_(memory_, codePage_) {}
    void TearDown() override {
        table_.clear();
        EXPECT_EQ(0, memory_.outstanding());
    }

    EmulatedCodePage codePage_;
    CountingTaskMemory memory_;
    SubstitutionTable table_;
};

TEST_P(SubstitutionTableTest, FindsNamesWithoutRegardToCaseFirstMatchWinning) {
    EXPECT_HR(S_OK, table_.add(u"Module", u"first"));
    EXPECT_HR(S_OK, table_.add(u"MODULE", u"second"));
    EXPECT_HR(S_OK, table_.add(u"Other", u""));
    ASSERT_NE(nullptr, table_.find("module"));
    EXPECT_EQ(u"first", std::u16string(table_.find("mOdUlE")));
    EXPECT_EQ(u"", std::u16string(table_.find("OTHER")));
    EXPECT_EQ(nullptr, table_.find("Modul"));
    EXPECT_EQ(nullptr, table_.find(""));
    EXPECT_EQ(nullptr, table_.find(nullptr));
}

TEST_P(SubstitutionTableTest, KeepsEveryPairPastItsFirstCapacity) {
    for (int i = 0; i < 45; ++i) {
        std::u16string name = u"N";
        for (char c : std::to_string(i)) name += static_cast<char16_t>(c);
        const std::u16string value(static_cast<std::size_t>(i), u'v');
        ASSERT_HR(S_OK, table_.add(name.c_str(), value.c_str()));
    }
    EXPECT_EQ(45u, table_.size());
    for (int i = 0; i < 45; ++i) {
        const std::string name = "n" + std::to_string(i);
        const char16_t* value = table_.find(name.c_str());
        ASSERT_NE(nullptr, value) << name;
        EXPECT_EQ(std::u16string(static_cast<std::size_t>(i), u'v'), value) << name;
    }
}

TEST_P(SubstitutionTableTest, OutOfMemoryLeavesTheTableAsItWas) {
    // The pair array, the name copy, the value copy: each failure in turn.
    for (std::size_t failing = 0; failing < 3; ++failing) {
        SubstitutionTable table(memory_, codePage_);
        memory_.failFrom(failing);
        EXPECT_HR(E_OUTOFMEMORY, table.add(u"Name", u"Value")) << "request " << failing;
        EXPECT_EQ(0u, table.size());
        EXPECT_EQ(nullptr, table.find("Name"));
        memory_.failFrom(static_cast<std::size_t>(-1));
        EXPECT_HR(S_OK, table.add(u"Name", u"Value"));
        EXPECT_EQ(u"Value", std::u16string(table.find("name")));
    }
    // Growing the array past ten pairs fails: the ten stay.
    for (int i = 0; i < 10; ++i) {
        const std::u16string name(1, static_cast<char16_t>(u'a' + i));
        ASSERT_HR(S_OK, table_.add(name.c_str(), u"x"));
    }
    memory_.failFrom(0);
    EXPECT_HR(E_OUTOFMEMORY, table_.add(u"k", u"x"));
    memory_.failFrom(static_cast<std::size_t>(-1));
    EXPECT_EQ(10u, table_.size());
    EXPECT_NE(nullptr, table_.find("J"));
    EXPECT_EQ(nullptr, table_.find("k"));
}

TEST_P(SubstitutionTableTest, RefusesNullNamesAndValues) {
    EXPECT_HR(E_INVALIDARG, table_.add(nullptr, u"x"));
    EXPECT_HR(E_INVALIDARG, table_.add(u"x", nullptr));
    EXPECT_EQ(0u, table_.size());
}

TEST_P(SubstitutionTableTest, ComparesDoubleByteNamesInTheCodePage) {
    // U+8868 is 0x95 0x5C in code page 932; 1252 cannot represent it.
    EXPECT_HR(S_OK, table_.add(u"\u8868a", u"dbcs"));
    if (GetParam() == 932) {
        EXPECT_EQ(u"dbcs", std::u16string(table_.find("\x95\x5C"
                                                      "A")));
        EXPECT_EQ(nullptr, table_.find("\x95\x5D"
                                       "A"));
    } else {
        EXPECT_EQ(u"dbcs", std::u16string(table_.find("?A")));
    }
}

TOVAK_SCRIPT_TEST_SUITE(SubstitutionTableTest);

}  // namespace
