#include "extension/wide_string_list.h"

#include <exception>
#include <new>

void WideStringList::append(const char16_t* text, std::size_t length) noexcept {
    const std::size_t start = chars_.size();
    try {
        if (!text) length = 0;
        if (starts_.size() == starts_.capacity()) starts_.reserve(2 * starts_.size() + 1);
        chars_.append(text ? text : u"", length);
        chars_.push_back(u'\0');
        starts_.push_back(start);  // cannot throw after the reserve
    } catch (const std::bad_alloc&) {
        chars_.resize(start);  // dropped: the list keeps what it had
    }
}

void WideStringList::clear() noexcept {
    std::u16string().swap(chars_);
    std::vector<std::size_t>().swap(starts_);
}

void WideStringList::reserve(std::size_t units) noexcept {
    try {
        chars_.reserve(units);
    } catch (const std::exception&) {
        // Growing on demand still works.
    }
}

void WideStringList::swap(WideStringList& other) noexcept {
    chars_.swap(other.chars_);
    starts_.swap(other.starts_);
}

std::u16string_view WideStringList::operator[](int index) const {
    const auto i = static_cast<std::size_t>(index);
    const std::size_t start = starts_[i];
    const std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] - 1 : chars_.size() - 1;
    return std::u16string_view(chars_.data() + start, end - start);
}
