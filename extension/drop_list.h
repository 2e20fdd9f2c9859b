// Reads the shell's drop list (a DROPFILES block, the CF_HDROP format) in one pass,
// never past the end of the block, in its wide form or its ANSI form.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/code_page.h"

struct DropList {
    enum class Status {
        Complete,   // every item read; the list may still hold none
        BadHeader,  // the block is too small for its header, or the offset points outside it
        Truncated,  // an item runs to the end of the block without its terminator
    };
    Status status = Status::Complete;
    std::vector<std::u16string> items;  // the complete items, in the block's order
};

// Parses `size` bytes of a DROPFILES block. ANSI paths are converted with `codePage`.
// Throws std::bad_alloc only.
DropList parseDropList(const unsigned char* block, std::size_t size, const CodePage& codePage);

// Size of the DROPFILES header: pFiles, pt.x, pt.y, fNC, fWide.
constexpr std::size_t kDropFilesHeaderSize = 20;
