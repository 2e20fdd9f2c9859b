// Test texts are written in UTF-8; the setup tool speaks the ANSI code page.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring wideFromUtf8(const char* utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], length);
    return wide;
}

inline std::string ansiFromUtf8(const char* utf8) {
    const std::wstring wide = wideFromUtf8(utf8);
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(length > 0 ? length - 1 : 0, '\0');
    if (length > 1)
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], length, nullptr, nullptr);
    return ansi;
}
