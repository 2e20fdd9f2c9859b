#include "extension/drop_list.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::uint32_t readUint32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

DropListStatus readWide(const unsigned char* list, std::size_t size, WideStringList& items,
                        std::u16string& item) {
    const std::size_t units = size / 2;
    std::size_t i = 0;
    while (i < units) {
        const std::size_t start = i;
        while (i < units && (list[2 * i] | list[2 * i + 1]) != 0) ++i;
        if (i == units) {
            // Either the block ends where the closing empty item would stand (harmless)
            // or an item has no terminator.
            return i == start ? DropListStatus::Complete : DropListStatus::Truncated;
        }
        if (i == start) break;  // the empty item ends the list
        item.resize(i - start);
        for (std::size_t k = 0; k < item.size(); ++k) {
            const unsigned char* unit = list + 2 * (start + k);
            item[k] = static_cast<char16_t>(unit[0] | unit[1] << 8);
        }
        if (!items.Append(item)) return DropListStatus::OutOfMemory;
        ++i;
    }
    return DropListStatus::Complete;
}

DropListStatus readAnsi(const unsigned char* list, std::size_t size, const CodePage& codePage,
                        WideStringList& items, std::u16string& item) {
    std::size_t i = 0;
    while (i < size) {
        const std::size_t start = i;
        const void* end = std::memchr(list + start, 0, size - start);
        if (!end) return DropListStatus::Truncated;
        i = static_cast<std::size_t>(static_cast<const unsigned char*>(end) - list);
        if (i == start) break;
        // Text in the code page converts whatever its bytes; the conversion fails only when
        // memory runs out.
        if (!codePage.ToWide(reinterpret_cast<const char*>(list + start), i - start, item) ||
            !items.Append(item)) {
            return DropListStatus::OutOfMemory;
        }
        ++i;
    }
    return DropListStatus::Complete;
}

}  // namespace

DropListStatus parseDropList(const unsigned char* block, std::size_t size, const CodePage& codePage,
                             WideStringList& items) {
    if (!block || size < kDropFilesHeaderSize) return DropListStatus::BadHeader;
    const std::uint32_t offset = readUint32(block);
    const bool wide = readUint32(block + 16) != 0;
    if (offset < kDropFilesHeaderSize || offset > size) return DropListStatus::BadHeader;
    // The text cannot take more units than the list has bytes (ANSI) or byte pairs (wide).
    items.Reserve(wide ? (size - offset) / 2 : size - offset);
    std::u16string item;  // one buffer, reused for every item
    return wide ? readWide(block + offset, size - offset, items, item)
                : readAnsi(block + offset, size - offset, codePage, items, item);
}
