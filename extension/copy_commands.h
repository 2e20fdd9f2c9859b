// IContextMenu::InvokeCommand: the two copy commands. The text goes on the clipboard
// as CF_TEXT in the ANSI code page and, beside it, as CF_UNICODETEXT, so that names
// the code page cannot represent still paste correctly.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "extension/command_offset.h"
#include "extension/wide_string_list.h"

// Puts the text of the command that `info` names (clipboard_text.h) for `selection` on
// the clipboard. E_INVALIDARG for no `info`; E_FAIL for a verb given as a string or an
// offset with no command, so that the invocation reaches the menu's other handlers;
// E_OUTOFMEMORY, or the error of a clipboard that stays busy, with the clipboard as it
// was.
HRESULT invokeCopyCommand(const CMINVOKECOMMANDINFO* info, const WideStringList& selection);

// Puts the text of `offset`'s command for `selection` on the clipboard: what both the
// context menu's items and the Explorer commands copy. S_OK; E_OUTOFMEMORY, or the error
// of a clipboard that stays busy, with the clipboard as it was.
HRESULT copySelectionText(CommandOffset offset, const WideStringList& selection);
