// IContextMenu::InvokeCommand: the two copy commands. The text goes on the clipboard
// as CF_TEXT in the ANSI code page and, beside it, as CF_UNICODETEXT, so that names
// the code page cannot represent still paste correctly.
#include <cstring>
#include <new>

#include "common/code_page.h"
#include "common/global_memory.h"
#include "extension/clipboard_text.h"
#include "extension/handler_state.h"

namespace {

// Places `size` bytes followed by `padding` zero bytes on the open clipboard.
void setClipboardBlock(UINT format, const void* data, std::size_t size, std::size_t padding) {
    GlobalMemory block(size + padding);
    if (!block.get()) return;
    {
        GlobalLockScope lock(block.get());
        if (!lock.data()) return;
        auto* bytes = static_cast<unsigned char*>(lock.data());
        if (size > 0) std::memcpy(bytes, data, size);
        std::memset(bytes + size, 0, padding);
    }
    // Once the clipboard accepts the block it owns it; otherwise it is freed here.
    if (SetClipboardData(format, block.get())) block.release();
}

}  // namespace

HRESULT HandlerState::invokeCommand(const CMINVOKECOMMANDINFO* info) {
    if (!info) return S_OK;
    const auto verb = reinterpret_cast<ULONG_PTR>(info->lpVerb);
    if ((verb >> 16) != 0) return S_OK;  // a verb given by name: none of ours
    const auto command = static_cast<UINT>(verb & 0xFFFF);
    if (command >= CommandCount) return S_OK;

    std::u16string text;
    std::string ansi;
    try {
        text = buildClipboardText(selection_, static_cast<CommandOffset>(command));
    } catch (const std::bad_alloc&) {
        return S_OK;  // nothing to offer; the clipboard stays as it was
    }
    if (!ansiCodePage().fromWide(text, ansi)) ansi.clear();

    if (!OpenClipboard(nullptr)) return S_OK;
    EmptyClipboard();
    // The ANSI text, its terminator and two more zero bytes.
    setClipboardBlock(CF_TEXT, ansi.data(), ansi.size(), 3);
    setClipboardBlock(CF_UNICODETEXT, text.data(), text.size() * sizeof(char16_t),
                      sizeof(char16_t));
    CloseClipboard();
    return S_OK;
}
