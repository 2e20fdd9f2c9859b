// libFuzzer target for parseDropList, which reads a block another process wrote. The
// input's first byte chooses the code page (1252 or 932) and the form (ANSI or wide,
// written into the header's fWide field); the next two give the block's size, which
// may be less than the bytes that follow (a block is often larger than its text, never
// smaller here). The block is a heap copy of exactly that size, so AddressSanitizer
// reports any read past its end. Beyond that, the result must match a plain reading of
// the same bytes: the status, and every item in order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/emulated_code_page.h"
#include "extension/drop_list.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

std::uint32_t readUint32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Reading {
    DropListStatus status;
    std::vector<std::u16string> items;
};

// The list read the plain way: items up to the first empty one or the block's end.
Reading expectedReading(const unsigned char* block, std::size_t size, const CodePage& codePage) {
    Reading reading{DropListStatus::Complete, {}};
    if (size < kDropFilesHeaderSize) return {DropListStatus::BadHeader, {}};
    const std::size_t offset = readUint32(block);
    if (offset < kDropFilesHeaderSize || offset > size) return {DropListStatus::BadHeader, {}};
    const bool wide = readUint32(block + 16) != 0;
    const unsigned char* list = block + offset;
    const std::size_t unitSize = wide ? 2 : 1;
    const std::size_t units = (size - offset) / unitSize;
    std::u16string item;
    std::string bytes;
    for (std::size_t i = 0; i < units; ++i) {
        const unsigned value = wide ? (list[2 * i] | list[2 * i + 1] << 8) : list[i];
        if (value != 0) {
            if (wide) item += static_cast<char16_t>(value);
            bytes += static_cast<char>(value);
            continue;
        }
        if (bytes.empty()) return reading;  // the empty item ends the list
        if (!wide && !codePage.ToWide(bytes, item)) item.clear();
        reading.items.push_back(item);
        item.clear();
        bytes.clear();
    }
    if (!bytes.empty()) reading.status = DropListStatus::Truncated;
    return reading;
}

void run(const CodePage& codePage, const unsigned char* block, std::size_t size) {
    WideStringList items;
    const DropListStatus status = parseDropList(block, size, codePage, items);
    const Reading expected = expectedReading(block, size, codePage);
    check(status == expected.status);
    check(items.Count() == static_cast<int>(expected.items.size()));
    for (int i = 0; i < items.Count(); ++i) {
        check(items[i] == expected.items[static_cast<std::size_t>(i)]);
        check(items[i].data()[items[i].size()] == u'\0');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const EmulatedCodePage westernEurope(1252), japanese(932);
    if (size < 3) return 0;
    const CodePage& codePage = (data[0] & 1) ? static_cast<const CodePage&>(japanese)
                                             : static_cast<const CodePage&>(westernEurope);
    const bool wide = (data[0] & 2) != 0;
    const std::size_t declared = static_cast<std::size_t>(data[1] | data[2] << 8);
    const std::size_t available = size - 3;
    const std::size_t blockSize = declared < available ? declared : available;

    // Exactly blockSize bytes on the heap: one byte more read is a finding.
    std::unique_ptr<unsigned char[]> block(new unsigned char[blockSize]);
    std::memcpy(block.get(), data + 3, blockSize);
    if (blockSize >= kDropFilesHeaderSize) {
        std::memset(block.get() + 16, 0, 4);
        block[16] = wide ? 1 : 0;
    }
    run(codePage, block.get(), blockSize);
    return 0;
}
