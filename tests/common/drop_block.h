// Builds DROPFILES blocks (the CF_HDROP format) byte by byte, for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drop_block {

using Bytes = std::vector<unsigned char>;
constexpr std::size_t kHeaderSize = 20;

inline void putUint32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

inline Bytes header(bool wide, std::uint32_t offset = kHeaderSize) {
    Bytes bytes(kHeaderSize, 0);
    putUint32(bytes, 0, offset);
    putUint32(bytes, 16, wide ? 1 : 0);
    return bytes;
}

// ANSI items, each with its terminator, then the closing empty item unless `closed` is false.
inline Bytes ansi(const std::vector<std::string>& items, bool closed = true) {
    Bytes bytes = header(false);
    for (const auto& item : items) {
        bytes.insert(bytes.end(), item.begin(), item.end());
        bytes.push_back(0);
    }
    if (closed) bytes.push_back(0);
    return bytes;
}

inline Bytes wide(const std::vector<std::u16string>& items) {
    Bytes bytes = header(true);
    for (const auto& item : items) {
        for (char16_t c : item) {
            bytes.push_back(static_cast<unsigned char>(c & 0xFF));
            bytes.push_back(static_cast<unsigned char>(c >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(0);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

}  // namespace drop_block
