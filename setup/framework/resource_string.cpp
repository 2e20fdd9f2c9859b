#include "setup/framework/resource_string.h"

std::string loadResourceString(HINSTANCE module, UINT id) {
    // LoadStringA truncates to the buffer; a text that fills it may have been cut, so the
    // buffer grows until the text fits with room to spare.
    std::string text(256, '\0');
    for (;;) {
        const int length = LoadStringA(module, id, &text[0], static_cast<int>(text.size()));
        if (length <= 0) return std::string();
        if (static_cast<std::size_t>(length) + 1 < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            return text;
        }
        text.resize(text.size() * 2);
    }
}
