// Reading and seeding the real clipboard in tests.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace clipboard_probe {

// The bytes of `format` (the whole block, GlobalSize of it), or nothing.
inline std::vector<unsigned char> read(UINT format) {
    std::vector<unsigned char> bytes;
    if (!OpenClipboard(nullptr)) return bytes;
    if (HANDLE data = GetClipboardData(format)) {
        const SIZE_T size = GlobalSize(data);
        if (const void* p = GlobalLock(data)) {
            bytes.assign(static_cast<const unsigned char*>(p),
                         static_cast<const unsigned char*>(p) + size);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return bytes;
}

inline std::wstring readUnicodeText() {
    const std::vector<unsigned char> bytes = read(CF_UNICODETEXT);
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty()) std::memcpy(&text[0], bytes.data(), text.size() * 2);
    return text.substr(0, text.find(L'\0'));
}

// Replaces the clipboard with one CF_TEXT text.
inline bool seed(const char* text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    const std::size_t size = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    const bool ok = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    return ok;
}

// The bytes of a string literal, embedded zeros included, its own terminator excluded.
template <std::size_t N>
std::vector<unsigned char> bytesOf(const char (&literal)[N]) {
    return std::vector<unsigned char>(literal, literal + N - 1);
}

}  // namespace clipboard_probe
