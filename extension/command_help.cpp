#include "extension/command_help.h"

#include <cstring>
#include <string>
#include <string_view>

#include "common/code_page.h"
#include "extension/menu_texts.h"

namespace {

// Copies at most `room` - 1 bytes of whole characters and a terminator.
void copyAnsi(const std::string& text, char* target, UINT room) {
    const CodePage& codePage = ansiCodePage();
    const char* p = text.c_str();
    while (*p != '\0') {
        const char* next = codePage.Next(p);
        if (static_cast<std::size_t>(next - text.c_str()) > room - 1) break;
        p = next;
    }
    const std::size_t length = static_cast<std::size_t>(p - text.c_str());
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

// Copies at most `room` - 1 UTF-16 units, never half of a surrogate pair, and a terminator.
void copyWide(std::u16string_view text, wchar_t* target, UINT room) {
    std::size_t length = text.size() < room - 1 ? text.size() : room - 1;
    if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 &&
        text[length - 1] <= 0xDBFF) {
        --length;
    }
    std::memcpy(target, text.data(), length * sizeof(wchar_t));
    target[length] = L'\0';
}

}  // namespace

HRESULT writeCommandString(UINT_PTR idCmd, UINT flags, char* name, UINT cchMax) {
    const bool known = idCmd < CommandCount;
    switch (flags) {
        case GCS_VERBA:
        case GCS_VERBW:
            return E_NOTIMPL;  // the commands have no verb names
        case GCS_VALIDATEA:
        case GCS_VALIDATEW:
            return known ? S_OK : S_FALSE;
        case GCS_HELPTEXTA:
        case GCS_HELPTEXTW:
            break;
        default:
            return S_OK;  // nothing is written for a request the handler does not know
    }
    if (!known) return E_INVALIDARG;
    if (!name || cchMax == 0) return S_OK;
    const std::u16string_view help = kHelpTexts[idCmd];
    if (flags == GCS_HELPTEXTA) {
        copyAnsi(ansiMenuText(help), name, cchMax);
    } else {
        copyWide(help, reinterpret_cast<wchar_t*>(name), cchMax);
    }
    return S_OK;
}
