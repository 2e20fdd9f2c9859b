// The text a copy command puts on the clipboard: one line per selected item, CR LF
// between lines and none after the last. CopyNames takes each path's file-name part,
// CopyPaths the path unchanged.
#pragma once

#include <string>

#include "common/code_page.h"
#include "extension/command_offset.h"
#include "extension/wide_string_list.h"

// The part of an ANSI path after its last '\', '/' or ':'; the second byte of a
// double-byte character is never taken for a separator. Points into `path`.
const char* fileNamePart(const char* path, const CodePage& codePage);

// The same on a UTF-16 path: the offset at which its file-name part starts.
std::size_t wideFileNamePartOffset(std::u16string_view path);

// Length of the text in UTF-16 units, without a terminator.
std::size_t clipboardTextLength(const WideStringList& selection, CommandOffset offset);

// Writes the text, clipboardTextLength units and no terminator, to `out`.
void writeClipboardText(const WideStringList& selection, CommandOffset offset, char16_t* out);
