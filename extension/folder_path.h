// The file-system path of a folder the shell names by its ID list: what a right-click on
// a folder's background selects.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

// The whole path of `folder`, of any length, into `path`. False, with `path` untouched,
// for a null ID list and for a folder that has no file-system path (a virtual folder
// such as the Control Panel).
bool fileSystemFolderPath(PCIDLIST_ABSOLUTE folder, std::u16string& path);
