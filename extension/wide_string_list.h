// An ordered list of wide strings that owns copies of what is appended. An append that
// cannot allocate is dropped without report; nothing here throws.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class WideStringList {
public:
    // Appends a copy; a null string is stored as an empty one.
    void append(const char16_t* text, std::size_t length) noexcept;
    void append(const std::u16string& text) noexcept { append(text.data(), text.size()); }
    void append(std::u16string&& text) noexcept;
    void clear() noexcept;

    int count() const noexcept { return static_cast<int>(items_.size()); }
    bool empty() const noexcept { return items_.empty(); }
    const std::u16string& operator[](int index) const {
        return items_[static_cast<std::size_t>(index)];
    }

private:
    std::vector<std::u16string> items_;
};
