// The copy commands. Both texts are written straight into the blocks that the clipboard
// takes over.
#include "extension/copy_commands.h"

#include <cstring>

#include "common/code_page.h"
#include "common/global_memory.h"
#include "common/hresult.h"
#include "extension/clipboard_text.h"

namespace {

// The text with a terminator, as CF_UNICODETEXT wants it; no block if memory runs out.
GlobalMemory makeUnicodeBlock(const WideStringList& selection, CommandOffset offset,
                              std::size_t length) {
    if (length > (SIZE_MAX / sizeof(char16_t)) - 1) return {};
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, (length + 1) * sizeof(char16_t)));
    GlobalLockScope lock(block.Get());
    if (!lock.Data()) return {};
    auto* text = static_cast<char16_t*>(lock.Data());
    writeClipboardText(selection, offset, text);
    text[length] = u'\0';
    return block;
}

// The `length` units of text in the block `unicode` in the ANSI code page, followed by its
// terminator and two more zero bytes; no block if memory runs out. A text the code page
// cannot convert at all is left empty.
GlobalMemory makeAnsiBlock(HGLOBAL unicode, std::size_t length) {
    GlobalLockScope source(unicode);
    if (!source.Data()) return {};
    const auto* text = static_cast<const char16_t*>(source.Data());
    const std::size_t size = ansiFromWide(text, length, nullptr, 0);
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, size + 3));
    GlobalLockScope lock(block.Get());
    if (!lock.Data()) return {};
    auto* bytes = static_cast<char*>(lock.Data());
    const std::size_t written = size > 0 ? ansiFromWide(text, length, bytes, size) : 0;
    std::memset(bytes + written, 0, size - written + 3);
    return block;
}

// Hands `block` to the open clipboard, which owns it from then on; a block the clipboard
// refuses stays with its holder.
HRESULT setClipboardBlock(UINT format, GlobalMemory& block) {
    if (!SetClipboardData(format, block.Get())) return lastErrorResult(E_FAIL);
    block.Release();
    return S_OK;
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
    // Until the clipboard opens, a failure leaves it as it was.
    GlobalMemory unicode = makeUnicodeBlock(selection, offset, length);
    if (!unicode.Get()) return E_OUTOFMEMORY;
    GlobalMemory ansi = makeAnsiBlock(unicode.Get(), length);
    if (!ansi.Get()) return E_OUTOFMEMORY;
    const HRESULT opened = openClipboard();
    if (FAILED(opened)) return opened;
    EmptyClipboard();
    const HRESULT text = setClipboardBlock(CF_TEXT, ansi);
    const HRESULT unicodeText = setClipboardBlock(CF_UNICODETEXT, unicode);
    CloseClipboard();
    return FAILED(text) ? text : unicodeText;
}
