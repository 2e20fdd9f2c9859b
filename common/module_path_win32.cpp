#include "common/module_path.h"

#include "common/code_page.h"
#include "common/hresult.h"
#include "common/path_text.h"

namespace {

// The longest path the platform's wide calls accept, with its terminator.
constexpr DWORD kLongestPath = 32768;

}  // namespace

HRESULT modulePath(HMODULE module, std::u16string& path) {
    path.assign(MAX_PATH, u'\0');
    for (;;) {
        const auto size = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(module, reinterpret_cast<LPWSTR>(&path[0]), size);
        if (length == 0) {
            const HRESULT hr = lastErrorResult();
            path.clear();
            return hr;
        }
        // A path that filled the buffer may have been cut: try again with more room.
        if (length < size) {
            path.resize(length);
            return S_OK;
        }
        if (size >= kLongestPath) {
            path.clear();
            return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
        }
        path.resize(size * 2 < kLongestPath ? size * 2 : kLongestPath);
    }
}

HRESULT fileBesideModule(HMODULE module, std::u16string_view extension, std::u16string& path) {
    const HRESULT hr = modulePath(module, path);
    if (SUCCEEDED(hr)) path = withExtension(path, extension);
    return hr;
}

HRESULT ansiPath(const std::u16string& path, std::string& ansi) {
    const CodePage& codePage = ansiCodePage();
    std::u16string back;
    if (!codePage.FromWide(path, ansi) || !codePage.ToWide(ansi, back)) return E_OUTOFMEMORY;
    // The code page's default character or a best-fit look-alike does not come back
    // as the character it stands for.
    if (back != path) {
        ansi.clear();
        return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    }
    return S_OK;
}
