// Code pages 1252 and 932 on Linux, for the portable code built there (the installer
// rows lister, the native tests and the fuzzers): the lead-byte ranges and CharNextA
// stepping of Windows, case folding of ASCII (and of Latin-1 letters in 1252), and
// conversion through glibc's iconv with '?' for what a code page cannot represent.
#pragma once

#include "common/code_page.h"

class EmulatedCodePage final : public CodePage {
public:
    explicit EmulatedCodePage(unsigned codePage);  // 1252 or 932

    unsigned Id() const override { return codePage_; }
    bool IsLeadByte(unsigned char byte) const override;
    const char* Next(const char* p) const override;
    int CompareNoCase(const char* a, const char* b) const override;
    bool ToWide(const char* text, std::size_t length, std::u16string& out) const override;
    bool FromWide(const char16_t* text, std::size_t length, std::string& out) const override;
    using CodePage::FromWide;
    using CodePage::ToWide;

private:
    unsigned codePage_;
};
