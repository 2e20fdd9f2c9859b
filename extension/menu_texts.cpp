#include "extension/menu_texts.h"

#include <new>

#include "common/code_page.h"

std::string ansiMenuText(std::u16string_view text) {
    std::string ansi;
    if (!ansiCodePage().FromWide(text.data(), text.size(), ansi)) throw std::bad_alloc();
    return ansi;
}

std::string ansiCaption(CommandOffset offset) {
    std::string ansi;
    const std::u16string_view caption = kCaptions[offset];
    if (!ansiCodePage().FromWide(caption.data(), caption.size(), ansi)) ansi.clear();
    return ansi;
}
