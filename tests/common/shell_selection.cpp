#include "tests/common/shell_selection.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

// Paths past MAX_PATH need the \\?\ form for the file functions.
std::wstring extended(const std::wstring& path) {
    return path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

struct PidlList {
    std::vector<LPITEMIDLIST> items;
    ~PidlList() {
        for (LPITEMIDLIST pidl : items) CoTaskMemFree(pidl);
    }
};

}  // namespace

namespace {

// Binds to `folder` one path segment at a time, so that no single name the shell
// parses is longer than a segment: the shell parses no full path past MAX_PATH.
IShellFolder* bindFolder(const std::wstring& folder, HRESULT& status) {
    IShellFolder* current = nullptr;
    status = SHGetDesktopFolder(&current);
    if (FAILED(status)) return nullptr;
    // The first segment is the drive with its root ("C:\\"), the others single names.
    std::size_t start = 0;
    while (start < folder.size()) {
        std::size_t end = start == 0 ? 3 : folder.find(L'\\', start);
        if (end == std::wstring::npos || end > folder.size()) end = folder.size();
        std::wstring segment = folder.substr(start, end - start);
        start = start == 0 ? end : end + 1;
        LPITEMIDLIST pidl = nullptr;
        status = current->ParseDisplayName(nullptr, nullptr, &segment[0], nullptr, &pidl, nullptr);
        IShellFolder* next = nullptr;
        if (SUCCEEDED(status)) {
            status = current->BindToObject(pidl, nullptr, IID_IShellFolder,
                                           reinterpret_cast<void**>(&next));
            CoTaskMemFree(pidl);
        }
        current->Release();
        if (FAILED(status)) return nullptr;
        current = next;
    }
    return current;
}

}  // namespace

IDataObject* shellDataObject(const std::wstring& folder, const std::vector<std::wstring>& names,
                             HRESULT* result) {
    HRESULT hr = S_OK;
    HRESULT& status = result ? *result : hr;
    if (names.empty()) {
        status = E_INVALIDARG;
        return nullptr;
    }
    IShellFolder* parent = bindFolder(folder, status);
    if (!parent) return nullptr;
    PidlList children;
    for (const auto& name : names) {
        std::wstring relative = name;
        LPITEMIDLIST pidl = nullptr;
        status = parent->ParseDisplayName(nullptr, nullptr, &relative[0], nullptr, &pidl, nullptr);
        if (FAILED(status)) {
            parent->Release();
            return nullptr;
        }
        children.items.push_back(pidl);
    }
    std::vector<LPCITEMIDLIST> items(children.items.begin(), children.items.end());
    IDataObject* dataObject = nullptr;
    status = parent->GetUIObjectOf(nullptr, static_cast<UINT>(items.size()), items.data(),
                                   IID_IDataObject, nullptr, reinterpret_cast<void**>(&dataObject));
    parent->Release();
    return SUCCEEDED(status) ? dataObject : nullptr;
}

namespace {

// The item of `folder` named `name`: parsed, or where the shell parses no name that long
// (Wine's shell parses no path past MAX_PATH), found among the folder's items.
HRESULT childNamed(IShellFolder* folder, std::wstring name, LPITEMIDLIST* child) {
    HRESULT hr = folder->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, child, nullptr);
    if (SUCCEEDED(hr)) return hr;
    IEnumIDList* items = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items) != S_OK) {
        return hr;
    }
    LPITEMIDLIST item = nullptr;
    while (!*child && items->Next(1, &item, nullptr) == S_OK) {
        STRRET text = {};
        wchar_t* found = nullptr;
        if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &text)) &&
            SUCCEEDED(StrRetToStrW(&text, item, &found)) && name == found) {
            *child = item;
        } else {
            CoTaskMemFree(item);
        }
        CoTaskMemFree(found);
    }
    items->Release();
    return *child ? S_OK : hr;
}

}  // namespace

LPITEMIDLIST shellFolderIdList(const std::wstring& folder, HRESULT* result) {
    HRESULT hr = S_OK;
    HRESULT& status = result ? *result : hr;
    IShellFolder* current = nullptr;
    status = SHGetDesktopFolder(&current);
    if (FAILED(status)) return nullptr;
    auto* absolute = static_cast<LPITEMIDLIST>(CoTaskMemAlloc(sizeof(USHORT)));
    if (absolute) absolute->mkid.cb = 0;
    // The first segment is the drive with its root ("C:\\"), the others single names.
    std::size_t start = 0;
    while (absolute && current && start < folder.size()) {
        std::size_t end = start == 0 ? 3 : folder.find(L'\\', start);
        if (end == std::wstring::npos || end > folder.size()) end = folder.size();
        const std::wstring segment = folder.substr(start, end - start);
        start = start == 0 ? end : end + 1;
        LPITEMIDLIST child = nullptr;
        status = childNamed(current, segment, &child);
        IShellFolder* next = nullptr;
        if (SUCCEEDED(status)) {
            LPITEMIDLIST combined = ILCombine(absolute, child);
            CoTaskMemFree(absolute);
            absolute = combined;
            if (start < folder.size()) {
                status = current->BindToObject(child, nullptr, IID_IShellFolder,
                                               reinterpret_cast<void**>(&next));
            }
            CoTaskMemFree(child);
        }
        current->Release();
        current = next;
    }
    if (current) current->Release();
    if (!absolute && SUCCEEDED(status)) status = E_OUTOFMEMORY;
    if (FAILED(status)) {
        CoTaskMemFree(absolute);
        return nullptr;
    }
    return absolute;
}

std::wstring makeTempFolder(const wchar_t* prefix) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    for (unsigned n = GetTickCount() & 0xFFFF;; ++n) {
        std::wstring path = base + L"\\" + prefix + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(n);
        if (CreateDirectoryW(path.c_str(), nullptr)) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::wstring();
    }
}

bool createFile(const std::wstring& path, const char* contents) {
    HANDLE file = CreateFileW(extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, contents, lstrlenA(contents), &written, nullptr);
    CloseHandle(file);
    return ok != FALSE;
}

bool createFolders(const std::wstring& path) {
    for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos;
         at = path.find(L'\\', at + 1)) {
        CreateDirectoryW(extended(path.substr(0, at)).c_str(), nullptr);
    }
    return CreateDirectoryW(extended(path).c_str(), nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(extended(path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                DeleteFileW(extended(child).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(extended(path).c_str());
}
