// Real files and the shell's own data object for them: what Explorer hands a
// context-menu handler when the user right-clicks a selection.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shtypes.h>

#include <string>
#include <vector>

// The shell's data object for `names` (files or folders) inside `folder`, or null with
// the failing HRESULT in `result`.
IDataObject* shellDataObject(const std::wstring& folder, const std::vector<std::wstring>& names,
                             HRESULT* result = nullptr);

// The shell's absolute ID list of `folder` (built segment by segment, as far as the
// shell parses the names), or null with the failing HRESULT in `result`. Free it with
// CoTaskMemFree.
LPITEMIDLIST shellFolderIdList(const std::wstring& folder, HRESULT* result = nullptr);

// A fresh, empty folder under the temporary folder; removed with its contents by
// removeTree.
std::wstring makeTempFolder(const wchar_t* prefix);
bool createFile(const std::wstring& path, const char* contents = "x");
// Creates the folder and any missing parents; handles paths past MAX_PATH.
bool createFolders(const std::wstring& path);
void removeTree(const std::wstring& path);
