#include "extension/drop_list.h"

#include <cstdint>
#include <cstring>

namespace {

std::uint32_t readUint32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void readWide(const unsigned char* list, std::size_t size, DropList& result) {
    const std::size_t units = size / 2;
    std::size_t i = 0;
    while (i < units) {
        const std::size_t start = i;
        while (i < units && (list[2 * i] | list[2 * i + 1]) != 0) ++i;
        if (i == units) {
            // Either the list ends without its closing empty item (harmless at the very
            // end of the block) or an item has no terminator.
            if (i != start) result.status = DropList::Status::Truncated;
            return;
        }
        if (i == start) return;  // the empty item ends the list
        std::u16string item(i - start, u'\0');
        for (std::size_t k = 0; k < item.size(); ++k) {
            const unsigned char* unit = list + 2 * (start + k);
            item[k] = static_cast<char16_t>(unit[0] | unit[1] << 8);
        }
        result.items.push_back(std::move(item));
        ++i;
    }
}

void readAnsi(const unsigned char* list, std::size_t size, const CodePage& codePage,
              DropList& result) {
    std::size_t i = 0;
    while (i < size) {
        const std::size_t start = i;
        const void* end = std::memchr(list + start, 0, size - start);
        if (!end) {
            result.status = DropList::Status::Truncated;
            return;
        }
        i = static_cast<const unsigned char*>(end) - list;
        if (i == start) return;
        std::u16string item;
        if (!codePage.toWide(reinterpret_cast<const char*>(list + start), i - start, item)) {
            item.clear();  // stored empty, as an item whose text could not be converted
        }
        result.items.push_back(std::move(item));
        ++i;
    }
}

}  // namespace

DropList parseDropList(const unsigned char* block, std::size_t size, const CodePage& codePage) {
    DropList result;
    if (!block || size < kDropFilesHeaderSize) {
        result.status = DropList::Status::BadHeader;
        return result;
    }
    const std::uint32_t offset = readUint32(block);
    const bool wide = readUint32(block + 16) != 0;
    if (offset < kDropFilesHeaderSize || offset > size) {
        result.status = DropList::Status::BadHeader;
        return result;
    }
    if (wide) {
        readWide(block + offset, size - offset, result);
    } else {
        readAnsi(block + offset, size - offset, codePage, result);
    }
    return result;
}
