// The file path of a module, obtained one way for every user: wide, however long. The
// ANSI form is made only for an ANSI platform call, and refused when the code page
// cannot represent the path.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The full path of `module`'s file. S_OK, or the platform's error with `path` empty.
// Throws std::bad_alloc only.
HRESULT modulePath(HMODULE module, std::u16string& path);

// The file of the same name as `module`'s, beside it, with the extension `extension`
// (the module path through withExtension: tovak.dll gives tovak.ico). S_OK, or the
// platform's error with `path` empty. Throws std::bad_alloc only.
HRESULT fileBesideModule(HMODULE module, std::u16string_view extension, std::u16string& path);

// `path` in the ANSI code page, exactly: a path with a character that the code page
// cannot represent gives HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION), for a path
// with a '?' in its place would name another file or none. E_OUTOFMEMORY when memory
// runs out.
HRESULT ansiPath(const std::u16string& path, std::string& ansi);
