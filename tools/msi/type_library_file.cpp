#include "tools/msi/type_library_file.h"

#include <cstdio>

namespace {

// The file's fixed header: "MSFT", then 32-bit fields (byte offsets below).
constexpr std::size_t kHeaderSize = 0x54;
constexpr std::size_t kPositionOfLibraryGuid = 0x08;
constexpr std::size_t kLibraryLocale = 0x10;  // the library's own locale ("lcid2")
constexpr std::size_t kVariousFlags = 0x14;   // low nibble: SYSKIND
constexpr std::size_t kVersion = 0x18;        // low word major, high word minor
constexpr std::size_t kLibraryFlags = 0x1C;
constexpr std::size_t kTypeCount = 0x20;
constexpr std::size_t kHelpString = 0x24;
constexpr std::size_t kLibraryName = 0x38;
constexpr std::uint32_t kHasHelpStringDll = 0x100;  // one more field after the header

// The segment directory after the type offsets: 15 entries of (offset, length, 2 more).
constexpr std::size_t kSegmentEntrySize = 16;
constexpr std::size_t kSegmentCount = 15;
enum Segment { kTypeInfos = 0, kGuids = 5, kNames = 7, kStrings = 8 };

// One type description of the type-info segment (byte offsets below).
constexpr std::size_t kTypeInfoSize = 0x64;
constexpr std::size_t kTypeKind = 0x00;  // low nibble: TYPEKIND
constexpr std::size_t kTypeGuid = 0x2C;
constexpr std::size_t kTypeFlags = 0x30;
constexpr std::size_t kTypeName = 0x34;

class Reader {
public:
    explicit Reader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

    bool fits(std::size_t offset, std::size_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    std::uint32_t u32(std::size_t offset) const {
        if (!fits(offset, 4)) return fail();
        return static_cast<std::uint32_t>(bytes_[offset]) | bytes_[offset + 1] << 8 |
               bytes_[offset + 2] << 16 | static_cast<std::uint32_t>(bytes_[offset + 3]) << 24;
    }
    std::uint16_t u16(std::size_t offset) const {
        if (!fits(offset, 2)) return fail();
        return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
    }
    std::string text(std::size_t offset, std::size_t length) const {
        if (!fits(offset, length)) {
            fail();
            return std::string();
        }
        return std::string(bytes_.begin() + static_cast<std::ptrdiff_t>(offset),
                           bytes_.begin() + static_cast<std::ptrdiff_t>(offset + length));
    }
    // A GUID as StringFromGUID2 writes it.
    std::string guid(std::size_t offset) const {
        if (!fits(offset, 16)) {
            fail();
            return std::string();
        }
        char text[39];
        const unsigned char* g = &bytes_[offset];
        std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                      u32(offset), u16(offset + 4), u16(offset + 6), g[8], g[9], g[10], g[11],
                      g[12], g[13], g[14], g[15]);
        return text;
    }
    bool failed() const { return failed_; }

private:
    std::uint32_t fail() const {
        failed_ = true;
        return 0;
    }

    const std::vector<unsigned char>& bytes_;
    mutable bool failed_ = false;
};

}  // namespace

bool readTypeLibraryFile(const std::vector<unsigned char>& bytes, TypeLibraryFile& library,
                         std::string& error) {
    Reader file(bytes);
    if (!file.fits(0, kHeaderSize) || file.text(0, 4) != "MSFT") {
        error = "not a type library in the MSFT format";
        return false;
    }
    const std::uint32_t typeCount = file.u32(kTypeCount);
    const std::uint32_t various = file.u32(kVariousFlags);
    std::size_t directory = kHeaderSize + (various & kHasHelpStringDll ? 4 : 0);
    if (typeCount > bytes.size() / kTypeInfoSize) {
        error = "more type descriptions than the file can hold";
        return false;
    }
    directory += 4u * typeCount;  // the offsets of the type descriptions
    if (!file.fits(directory, kSegmentCount * kSegmentEntrySize)) {
        error = "the segment directory lies outside the file";
        return false;
    }
    auto segment = [&](Segment which) { return file.u32(directory + which * kSegmentEntrySize); };
    // A name: (type reference, hash link, length in the low byte), then its characters.
    auto name = [&](std::uint32_t offset) {
        const std::size_t at = segment(kNames) + std::size_t{offset};
        return file.text(at + 12, file.u32(at + 8) & 0xFF);
    };
    // A string: its 16-bit length, then its characters; -1 stands for none.
    auto string = [&](std::uint32_t offset) {
        if (offset == 0xFFFFFFFFu) return std::string();
        const std::size_t at = segment(kStrings) + std::size_t{offset};
        return file.text(at + 2, file.u16(at));
    };

    library.guid = file.guid(segment(kGuids) + std::size_t{file.u32(kPositionOfLibraryGuid)});
    library.lcid = file.u32(kLibraryLocale);
    library.syskind = static_cast<int>(various & 0x0F);
    const std::uint32_t version = file.u32(kVersion);
    library.majorVersion = static_cast<std::uint16_t>(version & 0xFFFF);
    library.minorVersion = static_cast<std::uint16_t>(version >> 16);
    library.flags = static_cast<std::uint16_t>(file.u32(kLibraryFlags) & 0xFFFF);
    library.name = name(file.u32(kLibraryName));
    library.helpString = string(file.u32(kHelpString));
    library.types.clear();
    for (std::uint32_t i = 0; i < typeCount && !file.failed(); ++i) {
        const std::size_t at = segment(kTypeInfos) + std::size_t{i} * kTypeInfoSize;
        TypeLibraryFile::Type type;
        type.kind = static_cast<int>(file.u32(at + kTypeKind) & 0x0F);
        type.flags = file.u32(at + kTypeFlags);
        type.guid = file.guid(segment(kGuids) + std::size_t{file.u32(at + kTypeGuid)});
        type.name = name(file.u32(at + kTypeName));
        library.types.push_back(type);
    }
    if (file.failed()) {
        error = "a table of the type library points outside the file";
        return false;
    }
    return true;
}
