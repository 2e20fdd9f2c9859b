// IContextMenu::InvokeCommand: the two copy commands. The text goes on the clipboard
// as CF_TEXT in the ANSI code page and, beside it, as CF_UNICODETEXT, so that names
// the code page cannot represent still paste correctly. Both are written straight into
// the blocks that the clipboard takes over.
#include <cstring>

#include "common/global_memory.h"
#include "extension/clipboard_text.h"
#include "extension/handler_state.h"

namespace {

// The text with a terminator, as CF_UNICODETEXT wants it; null if memory runs out.
HGLOBAL makeUnicodeBlock(const WideStringList& selection, CommandOffset command,
                         std::size_t length) {
    if (length > (SIZE_MAX / sizeof(char16_t)) - 1) return nullptr;
    GlobalMemory block((length + 1) * sizeof(char16_t));
    GlobalLockScope lock(block.get());
    if (!lock.data()) return nullptr;
    auto* text = static_cast<char16_t*>(lock.data());
    writeClipboardText(selection, command, text);
    text[length] = u'\0';
    return block.release();
}

// The same text in the ANSI code page (WideCharToMultiByte, no flags, no default character
// of our own), followed by its terminator and two more zero bytes; null if memory runs out.
// A text the code page cannot convert at all is left empty.
HGLOBAL makeAnsiBlock(const wchar_t* text, std::size_t length) {
    const int units = length <= 0x3FFFFFFF ? static_cast<int>(length) : 0;
    const int size =
        units > 0 ? WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, nullptr, nullptr) : 0;
    GlobalMemory block(static_cast<std::size_t>(size > 0 ? size : 0) + 3);
    GlobalLockScope lock(block.get());
    if (!lock.data()) return nullptr;
    auto* bytes = static_cast<char*>(lock.data());
    const int written =
        size > 0 ? WideCharToMultiByte(CP_ACP, 0, text, units, bytes, size, nullptr, nullptr) : 0;
    std::memset(bytes + written, 0, static_cast<std::size_t>(size - written) + 3);
    return block.release();
}

// The last error as an HRESULT, or `otherwise` when the call that failed set none.
HRESULT lastError(HRESULT otherwise) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : otherwise;
}

// Hands a block to the open clipboard, which owns it from then on; freed if refused.
HRESULT setClipboardBlock(UINT format, HGLOBAL block) {
    if (SetClipboardData(format, block)) return S_OK;
    const HRESULT refused = lastError(E_FAIL);
    GlobalFree(block);
    return refused;
}

// The command that an invocation names: the low word of lpVerb, or of lpVerbW when the
// caller passes Unicode in a CMINVOKECOMMANDINFOEX. False for a verb given as a string
// (a pointer, whose high word is not zero) and for an offset the handler has no command at.
bool commandOffsetOf(const CMINVOKECOMMANDINFO& info, CommandOffset& offset) {
    auto verb = reinterpret_cast<ULONG_PTR>(info.lpVerb);
    if ((info.fMask & CMIC_MASK_UNICODE) && info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX)) {
        const auto& wide = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info);
        verb = reinterpret_cast<ULONG_PTR>(wide.lpVerbW);
    }
    if ((verb >> 16) != 0 || verb >= CommandCount) return false;
    offset = static_cast<CommandOffset>(verb);
    return true;
}

// Clipboard managers, remote-desktop clipboard sharing and other copy tools open the
// clipboard for moments at a time, often right after the click that asks for a copy. A
// busy clipboard is tried again for about half a second in all; the attempts are
// counted, so that a loaded machine stretches the wait rather than cutting it short.
constexpr int kOpenAttempts = 25;
constexpr DWORD kPauseBetweenAttempts = 20;  // milliseconds

HRESULT openClipboard() {
    for (int attempt = 1;; ++attempt) {
        if (OpenClipboard(nullptr)) return S_OK;
        if (attempt == kOpenAttempts) return lastError(E_ACCESSDENIED);
        Sleep(kPauseBetweenAttempts);
    }
}

}  // namespace

HRESULT HandlerState::invokeCommand(const CMINVOKECOMMANDINFO* info) {
    if (!info) return E_INVALIDARG;
    CommandOffset offset = CopyNames;
    // A verb the handler does not have is refused, so that it reaches the other handlers
    // of the menu that may have it.
    if (!commandOffsetOf(*info, offset)) return E_FAIL;

    const std::size_t length = clipboardTextLength(selection_, offset);
    HGLOBAL unicode = makeUnicodeBlock(selection_, offset, length);
    if (!unicode) return E_OUTOFMEMORY;  // the clipboard stays as it was
    HGLOBAL ansi = nullptr;
    {
        GlobalLockScope lock(unicode);
        ansi = makeAnsiBlock(static_cast<const wchar_t*>(lock.data()), length);
    }
    if (!ansi) {
        GlobalFree(unicode);
        return E_OUTOFMEMORY;
    }
    const HRESULT opened = openClipboard();
    if (FAILED(opened)) {
        GlobalFree(ansi);
        GlobalFree(unicode);
        return opened;  // the clipboard stays as it was
    }
    EmptyClipboard();
    const HRESULT text = setClipboardBlock(CF_TEXT, ansi);
    const HRESULT unicodeText = setClipboardBlock(CF_UNICODETEXT, unicode);
    CloseClipboard();
    return FAILED(text) ? text : unicodeText;
}
