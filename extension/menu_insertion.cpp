// IContextMenu::QueryContextMenu and GetCommandString: the two commands in the menu and
// their status-bar help texts.
#include <cstring>
#include <new>

#include "common/code_page.h"
#include "extension/handler_state.h"
#include "extension/windows_version.h"

namespace {

// Flags that ask for the default verb only, or for no verbs, unless verbs or the
// explorer tree are asked for as well.
constexpr UINT kRestrictingFlags = 0x000F;
constexpr UINT kVerbFlags = CMF_VERBSONLY | CMF_EXPLORE;

// One of the handler's own texts in the ANSI code page. Text converts whatever its
// characters, so a failure means that memory ran out: std::bad_alloc.
std::string toAnsi(std::u16string_view text) {
    std::string ansi;
    if (!ansiCodePage().fromWide(text.data(), text.size(), ansi)) throw std::bad_alloc();
    return ansi;
}

// Copies at most `room` - 1 bytes of whole characters and a terminator.
void copyAnsi(const std::string& text, char* target, UINT room) {
    const CodePage& codePage = ansiCodePage();
    const char* p = text.c_str();
    while (*p != '\0') {
        const char* next = codePage.next(p);
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

HRESULT HandlerState::queryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                       UINT flags) {
    if ((flags & kRestrictingFlags) != 0 && (flags & kVerbFlags) == 0) {
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    }
    // The range idCmdFirst..idCmdLast must hold an identifier for each command; a
    // smaller one gets no item at all.
    if (idCmdLast < idCmdFirst || idCmdLast - idCmdFirst < CommandCount - 1) {
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    }
    const bool plainText = isWindowsNT4();
    const UINT itemFlags = MF_BYPOSITION | (plainText ? MF_STRING : MF_OWNERDRAW);
    // Plain items carry their captions in the ANSI code page, converted before the first
    // item goes in: a failure leaves the menu as it was.
    std::string ansiCaptions[CommandCount];
    for (UINT offset = CopyNames; plainText && offset < CommandCount; ++offset) {
        ansiCaptions[offset] = toAnsi(captions_[offset]);
    }
    firstCommandId_ = idCmdFirst;
    for (UINT offset = CopyNames; offset < CommandCount; ++offset) {
        if (plainText) {
            InsertMenuA(menu, indexMenu + offset, itemFlags, idCmdFirst + offset,
                        ansiCaptions[offset].c_str());
        } else {
            // An owner-drawn item's data is only carried, never read: it holds the offset.
            InsertMenuA(menu, indexMenu + offset, itemFlags, idCmdFirst + offset,
                        reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(offset)));
        }
    }
    const UINT lastUsed = idCmdFirst + 1;
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(lastUsed - idCmdFirst + 1));
}

HRESULT HandlerState::getCommandString(UINT_PTR idCmd, UINT flags, char* name, UINT cchMax) {
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
    const std::u16string_view help = helpTexts_[static_cast<int>(idCmd)];
    if (flags == GCS_HELPTEXTA) {
        copyAnsi(toAnsi(help), name, cchMax);
    } else if (flags == GCS_HELPTEXTW) {
        copyWide(help, reinterpret_cast<wchar_t*>(name), cchMax);
    }
    return S_OK;
}
