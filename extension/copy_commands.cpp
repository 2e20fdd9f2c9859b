// The copy commands. Both texts are written straight into the blocks that the clipboard
// takes over.
#include "extension/copy_commands.h"

#include <cstring>

#include "common/code_page.h"
#include "common/global_memory.h"
#include "common/hresult.h"
#include "extension/clipboard_text.h"

namespace {

// The text with a terminator, as CF_UNICODETEXT wants it; null if memory runs out.
HGLOBAL makeUnicodeBlock(const WideStringList& selection, CommandOffset offset,
                         std::size_t length) {
    if (length > (SIZE_MAX / sizeof(char16_t)) - 1) return nullptr;
    GlobalMemory block((length + 1) * sizeof(char16_t));
    GlobalLockScope lock(block.Get());
    if (!lock.Data()) return nullptr;
    auto* text = static_cast<char16_t*>(lock.Data());
    writeClipboardText(selection, offset, text);
    text[length] = u'\0';
    return block.Release();
}

// The same text in the ANSI code page, followed by its terminator and two more zero
// bytes; null if memory runs out. A text the code page cannot convert at all is left empty.
HGLOBAL makeAnsiBlock(const char16_t* text, std::size_t length) {
    const std::size_t size = ansiFromWide(text, length, nullptr, 0);
    GlobalMemory block(size + 3);
    GlobalLockScope lock(block.Get());
    if (!lock.Data()) return nullptr;
    auto* bytes = static_cast<char*>(lock.Data());
    const std::size_t written = size > 0 ? ansiFromWide(text, length, bytes, size) : 0;
    std::memset(bytes + written, 0, size - written + 3);
    return block.Release();
}

// Hands a block to the open clipboard, which owns it from then on; freed if refused.
HRESULT setClipboardBlock(UINT format, HGLOBAL block) {
    if (SetClipboardData(format, block)) return S_OK;
    const HRESULT refused = lastErrorResult(E_FAIL);
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
        if (attempt == kOpenAttempts) return lastErrorResult(E_ACCESSDENIED);
        Sleep(kPauseBetweenAttempts);
    }
}

}  // namespace

HRESULT invokeCopyCommand(const CMINVOKECOMMANDINFO* info, const WideStringList& selection) {
    if (!info) return E_INVALIDARG;
    CommandOffset offset = CopyNames;
    // A verb the handler does not have is refused, so that it reaches the other handlers
    // of the menu that may have it.
    if (!commandOffsetOf(*info, offset)) return E_FAIL;
    return copySelectionText(offset, selection);
}

HRESULT copySelectionText(CommandOffset offset, const WideStringList& selection) {
    const std::size_t length = clipboardTextLength(selection, offset);
    HGLOBAL unicode = makeUnicodeBlock(selection, offset, length);
    if (!unicode) return E_OUTOFMEMORY;  // the clipboard stays as it was
    HGLOBAL ansi = nullptr;
    {
        GlobalLockScope lock(unicode);
        ansi = makeAnsiBlock(static_cast<const char16_t*>(lock.Data()), length);
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
