#include "common/code_page.h"

#include <windows.h>

#include <new>

namespace {

class AnsiCodePage final : public CodePage {
public:
    unsigned id() const override { return GetACP(); }

    bool isLeadByte(unsigned char byte) const override { return IsDBCSLeadByte(byte) != FALSE; }

    const char* next(const char* p) const override { return CharNextA(p); }

    int compareNoCase(const char* a, const char* b) const override { return lstrcmpiA(a, b); }

    bool toWide(const char* text, std::size_t length, std::u16string& out) const override {
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

    bool fromWide(const char16_t* text, std::size_t length, std::string& out) const override {
        out.clear();
        if (length == 0) return true;
        if (length > 0x3FFFFFFF) return false;
        const auto* wide = reinterpret_cast<const wchar_t*>(text);
        const int units = static_cast<int>(length);
        // One pass into room for two bytes a unit, enough for every double-byte code
        // page; a code page that needs more is measured first.
        int room = 2 * units + 2;
        try {
            out.resize(static_cast<std::size_t>(room));
            int n = WideCharToMultiByte(CP_ACP, 0, wide, units, &out[0], room, nullptr, nullptr);
            if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
                room = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
                if (room <= 0) return false;
                out.resize(static_cast<std::size_t>(room));
                n = WideCharToMultiByte(CP_ACP, 0, wide, units, &out[0], room, nullptr, nullptr);
            }
            if (n <= 0) return false;
            out.resize(static_cast<std::size_t>(n));
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
};

}  // namespace

const CodePage& ansiCodePage() {
    static const AnsiCodePage codePage;
    return codePage;
}
