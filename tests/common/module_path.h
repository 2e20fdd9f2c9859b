// Paths of files beside the running test program (tovak.dll, tovak.ico, ...).
#pragma once

#include <windows.h>

#include <string>

inline std::wstring programDirectory() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring directory(path, length);
    return directory.substr(0, directory.find_last_of(L"\\/") + 1);
}

inline std::wstring besideProgram(const wchar_t* name) { return programDirectory() + name; }
