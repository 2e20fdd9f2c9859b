// An ordered list of wide strings that owns copies of what is appended. The items share
// one buffer, each followed by a terminator, so a list of many paths costs a handful of
// allocations. An append that cannot allocate leaves the list as it was and says so;
// nothing here throws.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class WideStringList {
public:
    // Appends a copy; a null string is stored as an empty one. False, with the list as it
    // was, when memory runs out.
    [[nodiscard]] bool Append(const char16_t* text, std::size_t length) noexcept;
    [[nodiscard]] bool Append(std::u16string_view text) noexcept {
        return Append(text.data(), text.size());
    }
    void Clear() noexcept;
    // Makes room for `units` UTF-16 units of text in all (terminators included); a
    // failure only means the list grows step by step instead.
    void Reserve(std::size_t units) noexcept;
    void Swap(WideStringList& other) noexcept;

    int Count() const noexcept { return static_cast<int>(starts_.size()); }
    bool Empty() const noexcept { return starts_.empty(); }
    // The item, whose data() is followed by a terminator.
    std::u16string_view operator[](int index) const;

private:
    std::u16string chars_;             // every item, each followed by a terminator
    std::vector<std::size_t> starts_;  // where each item begins in chars_
};
