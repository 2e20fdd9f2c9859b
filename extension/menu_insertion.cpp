#include "extension/menu_insertion.h"

#include <string>

#include "extension/menu_texts.h"
#include "extension/windows_version.h"

namespace {

// Flags that ask for the default verb only, or for no verbs, unless verbs or the
// explorer tree are asked for as well.
constexpr UINT kRestrictingFlags = 0x000F;
constexpr UINT kVerbFlags = CMF_VERBSONLY | CMF_EXPLORE;

}  // namespace

HRESULT insertMenuItems(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast, UINT flags,
                        UINT& firstCommandId) {
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
        ansiCaptions[offset] = ansiMenuText(kCaptions[offset]);
    }
    firstCommandId = idCmdFirst;
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
