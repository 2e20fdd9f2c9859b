#include "setup/package_signature.h"

#include <cstdint>

namespace {

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::size_t kEndOfDirectorySize = 22;
constexpr std::size_t kEntrySize = 46;
constexpr std::size_t kLongestComment = 0xFFFF;
constexpr std::string_view kSignatureEntry = "AppxSignature.p7x";

std::uint32_t little16(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

std::uint32_t little32(std::string_view bytes, std::size_t at) {
    return little16(bytes, at) | little16(bytes, at + 2) << 16;
}

// The offset of the end-of-central-directory record: the last one whose comment ends the
// file. npos when there is none.
std::size_t endOfDirectory(std::string_view zip) {
    if (zip.size() < kEndOfDirectorySize) return std::string_view::npos;
    const std::size_t last = zip.size() - kEndOfDirectorySize;
    const std::size_t first = last > kLongestComment ? last - kLongestComment : 0;
    for (std::size_t at = last + 1; at-- > first;) {
        if (little32(zip, at) == kEndOfDirectory &&
            at + kEndOfDirectorySize + little16(zip, at + 20) == zip.size()) {
            return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace

bool packageIsSigned(std::string_view zip) {
    const std::size_t end = endOfDirectory(zip);
    if (end == std::string_view::npos) return false;
    const std::size_t entries = little16(zip, end + 10);
    const std::size_t size = little32(zip, end + 12);
    const std::size_t offset = little32(zip, end + 16);
    if (offset > end || size > end - offset) return false;
    const std::string_view directory = zip.substr(offset, size);
    std::size_t at = 0;
    for (std::size_t i = 0; i < entries; ++i) {
        if (directory.size() - at < kEntrySize || little32(directory, at) != kDirectoryEntry) {
            return false;
        }
        const std::size_t nameLength = little16(directory, at + 28);
        const std::size_t rest =
            nameLength + little16(directory, at + 30) + little16(directory, at + 32);
        if (directory.size() - at - kEntrySize < rest) return false;
        if (directory.substr(at + kEntrySize, nameLength) == kSignatureEntry) return true;
        at += kEntrySize + rest;
    }
    return false;
}
