#include "common/emulated_code_page.h"

#include <iconv.h>

#include <cstring>
#include <stdexcept>

namespace {

const char* iconvName(unsigned codePage) { return codePage == 932 ? "CP932" : "CP1252"; }

// Converts one character's bytes with iconv; false when iconv cannot.
bool convert(const char* from, const char* to, const char* in, std::size_t inLength, char* out,
             std::size_t& outLength) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char* source = const_cast<char*>(in);
    std::size_t left = inLength;
    char* target = out;
    std::size_t room = outLength;
    const bool ok =
        iconv(cd, &source, &left, &target, &room) != static_cast<std::size_t>(-1) && left == 0;
    iconv_close(cd);
    outLength -= room;
    return ok;
}

unsigned char foldCase(unsigned codePage, unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
    if (codePage == 1252 && c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
    return c;
}

}  // namespace

EmulatedCodePage::EmulatedCodePage(unsigned codePage) : codePage_(codePage) {
    if (codePage != 1252 && codePage != 932) throw std::invalid_argument("code page");
}

bool EmulatedCodePage::IsLeadByte(unsigned char byte) const {
    return codePage_ == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

const char* EmulatedCodePage::Next(const char* p) const {
    if (*p == '\0') return p;
    if (IsLeadByte(static_cast<unsigned char>(p[0])) && p[1] != '\0') return p + 2;
    return p + 1;
}

int EmulatedCodePage::CompareNoCase(const char* a, const char* b) const {
    for (;;) {
        const auto ca = static_cast<unsigned char>(*a);
        const auto cb = static_cast<unsigned char>(*b);
        if (IsLeadByte(ca) || IsLeadByte(cb)) {
            // Both bytes of a double-byte character compare exactly.
            const std::size_t na = Next(a) - a, nb = Next(b) - b;
            const int order = std::memcmp(a, b, na < nb ? na : nb);
            if (order != 0) return order < 0 ? -1 : 1;
            if (na != nb) return na < nb ? -1 : 1;
            a += na;
            b += nb;
            continue;
        }
        const unsigned char fa = foldCase(codePage_, ca), fb = foldCase(codePage_, cb);
        if (fa != fb) return fa < fb ? -1 : 1;
        if (ca == 0) return 0;
        ++a;
        ++b;
    }
}

bool EmulatedCodePage::ToWide(const char* text, std::size_t length, std::u16string& out) const {
    out.clear();
    std::size_t i = 0;
    while (i < length) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = (IsLeadByte(c) && i + 1 < length) ? 2 : 1;
        if (c < 0x80) {
            out.push_back(c);
        } else {
            char buffer[8];
            std::size_t size = sizeof buffer;
            if (convert(iconvName(codePage_), "UTF-16LE", text + i, n, buffer, size) && size == 2) {
                out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer[0]) |
                                                    static_cast<unsigned char>(buffer[1]) << 8));
            } else {
                out.push_back(codePage_ == 1252 ? static_cast<char16_t>(c) : u'?');
            }
        }
        i += n;
    }
    return true;
}

bool EmulatedCodePage::FromWide(const char16_t* text, std::size_t length, std::string& out) const {
    out.clear();
    for (std::size_t i = 0; i < length; ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            // A surrogate pair is one character the code pages cannot represent.
            if (c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
                ++i;
            out.push_back('?');
            continue;
        }
        const char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        char buffer[8];
        std::size_t size = sizeof buffer;
        if (convert("UTF-16LE", iconvName(codePage_), in, 2, buffer, size) && size >= 1) {
            out.append(buffer, size);
        } else {
            out.push_back('?');
        }
    }
    return true;
}
