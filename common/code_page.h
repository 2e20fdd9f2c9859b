// The ANSI code page as the portable code sees it: character stepping, the lead-byte
// test, comparison without regard to case and conversion to and from UTF-16. On
// Windows it is the process's CP_ACP through the platform calls; on Linux an emulation
// of code pages 1252 and 932 (common/emulated_code_page.h).
#pragma once

#include <cstddef>
#include <string>

class CodePage {
public:
    virtual ~CodePage() = default;

    // The code page number (1252, 932, ...).
    virtual unsigned Id() const = 0;

    // IsDBCSLeadByte.
    virtual bool IsLeadByte(unsigned char byte) const = 0;

    // CharNextA: the next character after p; at the terminating NUL it stays put.
    virtual const char* Next(const char* p) const = 0;

    // lstrcmpiA: 0 when the two strings are equal without regard to case.
    virtual int CompareNoCase(const char* a, const char* b) const = 0;

    // MultiByteToWideChar(CP_ACP) of `length` bytes (no terminator). False when the
    // conversion fails or memory runs out; `out` is then unspecified.
    virtual bool ToWide(const char* text, std::size_t length, std::u16string& out) const = 0;

    // WideCharToMultiByte(CP_ACP, 0, ..., no default character of our own): characters
    // the code page cannot represent become its default character.
    virtual bool FromWide(const char16_t* text, std::size_t length, std::string& out) const = 0;

    bool ToWide(const std::string& text, std::u16string& out) const {
        return ToWide(text.data(), text.size(), out);
    }
    bool FromWide(const std::u16string& text, std::string& out) const {
        return FromWide(text.data(), text.size(), out);
    }
};

#ifdef _WIN32
// The process's ANSI code page (CP_ACP), through the platform calls.
const CodePage& ansiCodePage();

// The one conversion of wide text to the ANSI code page, which every other goes through:
// WideCharToMultiByte(CP_ACP, 0, ..., no default character of our own) of `length` units
// into the `room` bytes at `out`, giving the bytes written; with no `out`, the bytes the
// text needs. 0 for an empty text, a text too long for the platform call, or one that
// does not fit (GetLastError then tells ERROR_INSUFFICIENT_BUFFER).
std::size_t ansiFromWide(const char16_t* text, std::size_t length, char* out, std::size_t room);
#endif
