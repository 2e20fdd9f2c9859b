// The Publisher that tovak.dll derives for its package from a module file: its
// Authenticode signer's subject, else the unsigned package's Publisher.
//
//   signer_publisher_probe <file>
//
// Prints it in UTF-8 with a line break; exit status 0, or 2 without a file.
#include <windows.h>

#include <string>

#include "extension/signer_publisher.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    std::u16string publisher;
    if (!authenticodeSignerSubject(argv[1], publisher)) publisher = kUnsignedPublisher;
    publisher += u"\n";
    const auto* wide = reinterpret_cast<const wchar_t*>(publisher.c_str());
    const int wideLength = static_cast<int>(publisher.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, wideLength, &text[0], size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
    return 0;
}
