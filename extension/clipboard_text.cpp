#include "extension/clipboard_text.h"

#include <algorithm>

#include "common/path_text.h"

const char* fileNamePart(const char* path, const CodePage& codePage) {
    const char* result = path;
    for (const char* p = path; *p != '\0'; p = codePage.Next(p)) {
        const auto byte = static_cast<unsigned char>(*p);
        if (!codePage.IsLeadByte(byte) && isPathSeparator(static_cast<char16_t>(byte))) {
            result = p + 1;
        }
    }
    return result;
}

std::size_t wideFileNamePartOffset(std::u16string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isPathSeparator(path[i])) start = i + 1;
    }
    return start;
}

namespace {

constexpr std::u16string_view kLineBreak = u"\r\n";

// The part of a path that its line shows.
std::u16string_view lineOf(std::u16string_view path, CommandOffset offset) {
    return offset == CopyNames ? path.substr(wideFileNamePartOffset(path)) : path;
}

}  // namespace

std::size_t clipboardTextLength(const WideStringList& selection, CommandOffset offset) {
    std::size_t length = 0;
    for (int i = 0; i < selection.Count(); ++i) {
        length += (i > 0 ? kLineBreak.size() : 0) + lineOf(selection[i], offset).size();
    }
    return length;
}

void writeClipboardText(const WideStringList& selection, CommandOffset offset, char16_t* out) {
    for (int i = 0; i < selection.Count(); ++i) {
        if (i > 0) out = std::copy(kLineBreak.begin(), kLineBreak.end(), out);
        const std::u16string_view line = lineOf(selection[i], offset);
        out = std::copy(line.begin(), line.end(), out);
    }
}
