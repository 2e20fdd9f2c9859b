// Reads the shell's drop list (a DROPFILES block, the CF_HDROP format) in one pass,
// never past the end of the block, in its wide form or its ANSI form.
#pragma once

#include <cstddef>

#include "common/code_page.h"
#include "extension/wide_string_list.h"

enum class DropListStatus {
    Complete,     // every item read; the list may still hold none
    BadHeader,    // the block is too small for its header, or the offset points outside it
    Truncated,    // an item runs to the end of the block without its terminator
    OutOfMemory,  // an item could not be stored; `items` holds only some of them
};

// Appends the complete items of `size` bytes of a DROPFILES block to `items`, in the
// block's order. ANSI paths are converted with `codePage`. Throws std::bad_alloc when
// memory does not suffice for the item being read.
DropListStatus parseDropList(const unsigned char* block, std::size_t size, const CodePage& codePage,
                             WideStringList& items);

// Size of the DROPFILES header: pFiles, pt.x, pt.y, fNC, fWide.
constexpr std::size_t kDropFilesHeaderSize = 20;
