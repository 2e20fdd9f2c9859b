#include "registry_script/substitution_table.h"

#include <cstring>
#include <new>
#include <string>

namespace {

constexpr std::size_t kInitialCapacity = 10;

std::size_t wideLength(const char16_t* text) {
    std::size_t length = 0;
    while (text[length]) ++length;
    return length;
}

}  // namespace

SubstitutionTable::SubstitutionTable(TaskMemory& memory, const CodePage& codePage)
    : memory_(memory), codePage_(codePage) {}

SubstitutionTable::~SubstitutionTable() { clear(); }

char16_t* SubstitutionTable::copy(const char16_t* text) {
    const std::size_t length = wideLength(text);
    if (length >= (static_cast<std::size_t>(-1) / sizeof(char16_t)) - 1) return nullptr;
    auto* block = static_cast<char16_t*>(memory_.allocate((length + 1) * sizeof(char16_t)));
    if (block) std::memcpy(block, text, (length + 1) * sizeof(char16_t));
    return block;
}

HRESULT SubstitutionTable::add(const char16_t* name, const char16_t* value) {
    if (!name || !value) return E_INVALIDARG;
    if (count_ == capacity_) {
        const std::size_t capacity = capacity_ ? capacity_ * 2 : kInitialCapacity;
        if (capacity > static_cast<std::size_t>(-1) / sizeof(Pair)) return E_OUTOFMEMORY;
        void* grown = pairs_ ? memory_.reallocate(pairs_, capacity * sizeof(Pair))
                             : memory_.allocate(capacity * sizeof(Pair));
        if (!grown) return E_OUTOFMEMORY;
        pairs_ = static_cast<Pair*>(grown);
        capacity_ = capacity;
    }
    char16_t* nameCopy = copy(name);
    if (!nameCopy) return E_OUTOFMEMORY;
    char16_t* valueCopy = copy(value);
    if (!valueCopy) {
        memory_.release(nameCopy);
        return E_OUTOFMEMORY;
    }
    pairs_[count_++] = Pair{nameCopy, valueCopy};
    return S_OK;
}

const char16_t* SubstitutionTable::find(const char* name) const {
    if (!name) return nullptr;
    try {
        std::string ansi;
        for (std::size_t i = 0; i < count_; ++i) {
            if (!codePage_.FromWide(pairs_[i].name, wideLength(pairs_[i].name), ansi)) continue;
            if (codePage_.CompareNoCase(ansi.c_str(), name) == 0) return pairs_[i].value;
        }
    } catch (const std::bad_alloc&) {
        // A name that cannot be converted matches nothing.
    }
    return nullptr;
}

void SubstitutionTable::clear() {
    for (std::size_t i = 0; i < count_; ++i) {
        memory_.release(pairs_[i].name);
        memory_.release(pairs_[i].value);
    }
    if (pairs_) memory_.release(pairs_);
    pairs_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}
