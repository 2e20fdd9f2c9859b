#include "common/code_page.h"

#include <windows.h>

#include <new>

namespace {

class AnsiCodePage final : public CodePage {
public:
    unsigned Id() const override { return GetACP(); }

    bool IsLeadByte(unsigned char byte) const override { return IsDBCSLeadByte(byte) != FALSE; }

    const char* Next(const char* p) const override { return CharNextA(p); }

    int CompareNoCase(const char* a, const char* b) const override { return lstrcmpiA(a, b); }

    bool ToWide(const char* text, std::size_t length, std::u16string& out) const override {
        out.clear();
        if (length == 0) return true;
        if (length > 0x7FFFFFFF) return false;
        // A byte never makes more than one UTF-16 unit in an ANSI code page.
        const int bytes = static_cast<int>(length);
        try {
            out.resize(length);
        } catch (const std::bad_alloc&) {
            return false;
        }
        const int n =
            MultiByteToWideChar(CP_ACP, 0, text, bytes, reinterpret_cast<wchar_t*>(&out[0]), bytes);
        if (n <= 0) return false;
        out.resize(static_cast<std::size_t>(n));
        return true;
    }

    bool FromWide(const char16_t* text, std::size_t length, std::string& out) const override {
        out.clear();
        if (length == 0) return true;
        if (length > 0x3FFFFFFF) return false;
        // One pass into room for two bytes a unit, enough for every double-byte code
        // page; a code page that needs more is measured first.
        std::size_t room = 2 * length + 2;
        try {
            out.resize(room);
            std::size_t n = ansiFromWide(text, length, &out[0], room);
            if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
                room = ansiFromWide(text, length, nullptr, 0);
                if (room == 0) return false;
                out.resize(room);
                n = ansiFromWide(text, length, &out[0], room);
            }
            if (n == 0) return false;
            out.resize(n);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
};

}  // namespace

std::size_t ansiFromWide(const char16_t* text, std::size_t length, char* out, std::size_t room) {
    // WideCharToMultiByte given no room measures instead of writing.
    if (length == 0 || length > 0x3FFFFFFF || (out && room == 0)) return 0;
    const int bytes = room < 0x7FFFFFFF ? static_cast<int>(room) : 0x7FFFFFFF;
    const int n =
        WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text),
                            static_cast<int>(length), out, out ? bytes : 0, nullptr, nullptr);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

const CodePage& ansiCodePage() {
    static const AnsiCodePage codePage;
    return codePage;
}
