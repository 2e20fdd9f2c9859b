// VarUI4FromStr on Linux, for the forms a registry script uses: optional blanks, an
// optional '+', decimal digits, optional blanks. Anything else is a type mismatch; a
// number above 0xFFFFFFFF an overflow, as the platform reports them.
#include "registry_script/unsigned_from_text.h"

namespace {

constexpr HRESULT kTypeMismatch = static_cast<HRESULT>(0x80020005u);  // DISP_E_TYPEMISMATCH
constexpr HRESULT kOverflow = static_cast<HRESULT>(0x8002000Au);      // DISP_E_OVERFLOW

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

HRESULT unsignedFromText(const char16_t* text, std::uint32_t* value) {
    if (!text || !value) return E_POINTER;
    const char16_t* p = text;
    while (isBlank(*p)) ++p;
    if (*p == u'+') ++p;
    if (*p < u'0' || *p > u'9') return kTypeMismatch;
    std::uint64_t number = 0;
    bool overflow = false;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        number = number * 10 + static_cast<std::uint64_t>(*p - u'0');
        if (number > 0xFFFFFFFFu) {
            overflow = true;
            number = 0xFFFFFFFFu;
        }
    }
    while (isBlank(*p)) ++p;
    if (*p != 0) return kTypeMismatch;
    if (overflow) return kOverflow;
    *value = static_cast<std::uint32_t>(number);
    return S_OK;
}
