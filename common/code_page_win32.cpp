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
        const int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
        if (n <= 0) return false;
        try {
            out.resize(static_cast<std::size_t>(n));
        } catch (const std::bad_alloc&) {
            return false;
        }
        return MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length),
                                   reinterpret_cast<wchar_t*>(&out[0]), n) == n;
    }

    bool fromWide(const char16_t* text, std::size_t length, std::string& out) const override {
        out.clear();
        if (length == 0) return true;
        if (length > 0x3FFFFFFF) return false;
        const auto* wide = reinterpret_cast<const wchar_t*>(text);
        const int n = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), nullptr, 0,
                                          nullptr, nullptr);
        if (n <= 0) return false;
        try {
            out.resize(static_cast<std::size_t>(n));
        } catch (const std::bad_alloc&) {
            return false;
        }
        return WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), &out[0], n, nullptr,
                                   nullptr) == n;
    }
};

}  // namespace

const CodePage& ansiCodePage() {
    static const AnsiCodePage codePage;
    return codePage;
}
