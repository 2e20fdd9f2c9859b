// The rules of path text that every part shares: the characters after which a path's
// file name starts, and a path with its extension replaced. Plain text work, so it builds
// and is tested natively as well.
#pragma once

#include <string>
#include <string_view>

// '\', '/' and ':': a path's file name starts after the last of them.
inline constexpr char16_t kPathSeparators[] = u"\\/:";

constexpr bool isPathSeparator(char16_t c) { return c == u'\\' || c == u'/' || c == u':'; }

// `path` with everything after its last '.' replaced by `extension` ("ico" makes
// tovak.dll tovak.ico). The '.' may lie anywhere in the path, a directory name included;
// a path without '.' gets '.' and `extension` appended.
inline std::u16string withExtension(std::u16string_view path, std::u16string_view extension) {
    const std::size_t dot = path.rfind(u'.');
    std::u16string result(path.substr(0, dot));
    result += u'.';
    result += extension;
    return result;
}
