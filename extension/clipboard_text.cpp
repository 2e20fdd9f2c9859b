#include "extension/clipboard_text.h"

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/' || c == u':'; }

}  // namespace

const char* fileNamePart(const char* path, const CodePage& codePage) {
    const char* result = path;
    for (const char* p = path; *p != '\0'; p = codePage.next(p)) {
        const auto byte = static_cast<unsigned char>(*p);
        if (!codePage.isLeadByte(byte) && isSeparator(static_cast<char16_t>(byte))) {
            result = p + 1;
        }
    }
    return result;
}

std::size_t wideFileNamePartOffset(std::u16string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isSeparator(path[i])) start = i + 1;
    }
    return start;
}

std::u16string buildClipboardText(const WideStringList& selection, CommandOffset command) {
    constexpr std::u16string_view kLineBreak = u"\r\n";
    const int count = selection.count();
    std::size_t length = 0;
    for (int i = 0; i < count; ++i) {
        const std::u16string_view path = selection[i];
        length += (i > 0 ? kLineBreak.size() : 0) + path.size() -
                  (command == CopyNames ? wideFileNamePartOffset(path) : 0);
    }
    std::u16string text;
    text.reserve(length);
    for (int i = 0; i < count; ++i) {
        const std::u16string_view path = selection[i];
        if (i > 0) text += kLineBreak;
        const std::size_t start = command == CopyNames ? wideFileNamePartOffset(path) : 0;
        text.append(path.substr(start));
    }
    return text;
}
