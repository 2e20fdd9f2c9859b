// The variables of one application of a registry script: (name, value) pairs of wide
// strings in insertion order, each string copied into task memory that the table owns.
#pragma once

#include <cstddef>

#include "common/code_page.h"
#include "common/hresult.h"
#include "registry_script/task_memory.h"

class SubstitutionTable {
public:
    SubstitutionTable(TaskMemory& memory, const CodePage& codePage);
    ~SubstitutionTable();
    SubstitutionTable(const SubstitutionTable&) = delete;
    SubstitutionTable& operator=(const SubstitutionTable&) = delete;

    // Appends a copy of the pair: S_OK, E_OUTOFMEMORY (table unchanged), or
    // E_INVALIDARG for a null name or value.
    HRESULT add(const char16_t* name, const char16_t* value);

    // The value of the first pair whose name, in the ANSI code page, equals `name`
    // without regard to case; null when there is none.
    const char16_t* find(const char* name) const;

    // Frees every pair and the table itself.
    void clear();

    std::size_t size() const { return count_; }

private:
    struct Pair {
        char16_t* name;
        char16_t* value;
    };

    char16_t* copy(const char16_t* text);

    TaskMemory& memory_;
    const CodePage& codePage_;
    Pair* pairs_ = nullptr;
    std::size_t count_ = 0;
    std::size_t capacity_ = 0;
};
