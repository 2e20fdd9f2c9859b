// Reading the shell's drop list: both forms, and blocks that lie about their contents.
#include "extension/drop_list.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "common/emulated_code_page.h"
#include "tests/common/drop_block.h"

namespace {

using namespace drop_block;

Bytes ansiBlock(const std::vector<std::string>& items, bool closed = true) {
    return ansi(items, closed);
}
Bytes wideBlock(const std::vector<std::u16string>& items) { return wide(items); }

struct Parsed {
    DropListStatus status;
    std::vector<std::u16string> items;
};

Parsed parse(const unsigned char* block, std::size_t size, const CodePage& codePage) {
    WideStringList items;
    Parsed parsed{parseDropList(block, size, codePage, items), {}};
    for (int i = 0; i < items.Count(); ++i) parsed.items.emplace_back(items[i]);
    return parsed;
}

const EmulatedCodePage cp1252(1252), cp932(932);

TEST(DropList, ReadsWideItemsInOrderAtAnyLength) {
    const std::u16string longPath = u"C:\\" + std::u16string(400, u'd') + u"\\f.txt";
    const Bytes block = wideBlock({u"C:\\x\\a.txt", u"C:\\表\\ŵ.txt", longPath, u"C:\\"});
    const Parsed list = parse(block.data(), block.size(), cp1252);
    EXPECT_EQ(DropListStatus::Complete, list.status);
    EXPECT_EQ((std::vector<std::u16string>{u"C:\\x\\a.txt", u"C:\\表\\ŵ.txt", longPath, u"C:\\"}),
              list.items);
}

TEST(DropList, ConvertsAnsiItemsWithTheCodePage) {
    const Bytes block = ansiBlock({"C:\\dir\\\x95\x5c", "D:\\work\\src"});
    const Parsed list = parse(block.data(), block.size(), cp932);
    EXPECT_EQ(DropListStatus::Complete, list.status);
    EXPECT_EQ((std::vector<std::u16string>{u"C:\\dir\\表", u"D:\\work\\src"}), list.items);
}

TEST(DropList, AnEmptyListIsCompleteWithNoItems) {
    for (const Bytes& block : {ansiBlock({}), wideBlock({}), header(false)}) {
        const Parsed list = parse(block.data(), block.size(), cp1252);
        EXPECT_EQ(DropListStatus::Complete, list.status);
        EXPECT_TRUE(list.items.empty());
    }
}

TEST(DropList, RefusesHeadersThatPointOutsideTheBlock) {
    const Bytes shortBlock(kDropFilesHeaderSize - 1, 0);
    EXPECT_EQ(DropListStatus::BadHeader,
              parse(shortBlock.data(), shortBlock.size(), cp1252).status);
    EXPECT_EQ(DropListStatus::BadHeader, parse(nullptr, 100, cp1252).status);
    for (std::uint32_t offset : {0u, 19u, 1000u, 0xFFFFFFFFu}) {
        Bytes block = ansiBlock({"C:\\a"});
        putUint32(block, 0, offset);
        const Parsed list = parse(block.data(), block.size(), cp1252);
        EXPECT_EQ(DropListStatus::BadHeader, list.status) << "offset " << offset;
        EXPECT_TRUE(list.items.empty());
    }
}

TEST(DropList, AnItemWithoutTerminatorEndsTheListAfterTheCompleteItems) {
    Bytes ansi = ansiBlock({"C:\\a", "C:\\b"}, false);
    ansi.insert(ansi.end(), {'C', ':', '\\', 'c'});  // runs to the end of the block
    Parsed list = parse(ansi.data(), ansi.size(), cp1252);
    EXPECT_EQ(DropListStatus::Truncated, list.status);
    EXPECT_EQ((std::vector<std::u16string>{u"C:\\a", u"C:\\b"}), list.items);

    Bytes wide = header(true);
    wide.insert(wide.end(), {'a', 0, 'b', 0, 'c'});  // odd trailing byte, no terminator
    list = parse(wide.data(), wide.size(), cp1252);
    EXPECT_EQ(DropListStatus::Truncated, list.status);
    EXPECT_TRUE(list.items.empty());
}

TEST(DropList, AListThatEndsWithTheBlockAfterAWholeItemIsComplete) {
    const Bytes block = ansiBlock({"C:\\a"}, false);  // no closing empty item
    const Parsed list = parse(block.data(), block.size(), cp1252);
    EXPECT_EQ(DropListStatus::Complete, list.status);
    EXPECT_EQ(std::vector<std::u16string>{u"C:\\a"}, list.items);
}

}  // namespace
