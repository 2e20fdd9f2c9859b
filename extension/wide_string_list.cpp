#include "extension/wide_string_list.h"

#include <exception>
#include <new>

bool WideStringList::Append(const char16_t* text, std::size_t length) noexcept {
    if (!text) length = 0;
    const std::size_t start = chars_.size();
    if (length >= chars_.max_size() - start) return false;  // no room for it and a terminator
    try {
        if (starts_.size() == starts_.capacity()) starts_.reserve(2 * starts_.size() + 1);
        chars_.append(text ? text : u"", length);
        chars_.push_back(u'\0');
    } catch (const std::bad_alloc&) {
        chars_.resize(start);  // the list keeps what it had
        return false;
    }
    starts_.push_back(start);  // cannot throw after the reserve
    return true;
}

void WideStringList::Clear() noexcept {
    std::u16string().swap(chars_);
    std::vector<std::size_t>().swap(starts_);
}

void WideStringList::Reserve(std::size_t units) noexcept {
    try {
        chars_.reserve(units);
    } catch (const std::exception&) {
        // Growing on demand still works.
    }
}

void WideStringList::Swap(WideStringList& other) noexcept {
    chars_.swap(other.chars_);
    starts_.swap(other.starts_);
}

std::u16string_view WideStringList::operator[](int index) const {
    const auto i = static_cast<std::size_t>(index);
    const std::size_t start = starts_[i];
    const std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] - 1 : chars_.size() - 1;
    return std::u16string_view(chars_.data() + start, end - start);
}
