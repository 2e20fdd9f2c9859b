// IContextMenu::GetCommandString: the commands' status-bar help texts.
#pragma once

#include <windows.h>
#include <shlobj.h>

// Answers GetCommandString for the command at `idCmd` (a CommandOffset): for
// GCS_HELPTEXTA and GCS_HELPTEXTW its help text into `name`, at most `cchMax` - 1
// characters (never half of one) and a terminator; E_INVALIDARG for an offset with no
// command. Validation succeeds for the two commands only (S_FALSE otherwise); a verb is
// E_NOTIMPL, as the commands have none; any other request succeeds with nothing written.
// Memory that runs out throws std::bad_alloc.
HRESULT writeCommandString(UINT_PTR idCmd, UINT flags, char* name, UINT cchMax);
