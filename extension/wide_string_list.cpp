#include "extension/wide_string_list.h"

#include <new>

void WideStringList::append(const char16_t* text, std::size_t length) noexcept {
    try {
        if (text) {
            items_.emplace_back(text, length);
        } else {
            items_.emplace_back();
        }
    } catch (const std::bad_alloc&) {
        // Dropped: the list keeps what it had.
    }
}

void WideStringList::append(std::u16string&& text) noexcept {
    try {
        items_.push_back(std::move(text));
    } catch (const std::bad_alloc&) {
        // Dropped: the list keeps what it had.
    }
}

void WideStringList::clear() noexcept {
    items_.clear();
    items_.shrink_to_fit();
}
