#include "extension/shell_item_selection.h"

#include <cwchar>

namespace {

// The path of `items`' item at `index`; false when it has none (a virtual item).
// `path` is the item's own block, to be freed with CoTaskMemFree.
bool itemPath(IShellItemArray* items, DWORD index, LPWSTR* path) {
    *path = nullptr;
    IShellItem* item = nullptr;
    if (FAILED(items->GetItemAt(index, &item)) || !item) return false;
    const HRESULT hr = item->GetDisplayName(SIGDN_FILESYSPATH, path);
    item->Release();
    if (FAILED(hr) || !*path) {
        CoTaskMemFree(*path);
        *path = nullptr;
        return false;
    }
    return true;
}

}  // namespace

bool anyItemHasFileSystemPath(IShellItemArray* items) {
    DWORD count = 0;
    if (!items || FAILED(items->GetCount(&count))) return false;
    for (DWORD i = 0; i < count; ++i) {
        LPWSTR path = nullptr;
        const bool found = itemPath(items, i, &path);
        CoTaskMemFree(path);
        if (found) return true;
    }
    return false;
}

HRESULT shellItemSelection(IShellItemArray* items, WideStringList& selection) {
    DWORD count = 0;
    if (!items || FAILED(items->GetCount(&count))) return E_INVALIDARG;
    WideStringList paths;
    for (DWORD i = 0; i < count; ++i) {
        LPWSTR path = nullptr;
        if (!itemPath(items, i, &path)) continue;
        const bool appended =
            paths.Append(reinterpret_cast<const char16_t*>(path), std::wcslen(path));
        CoTaskMemFree(path);
        if (!appended) return E_OUTOFMEMORY;
    }
    if (paths.Empty()) return E_INVALIDARG;
    selection.Swap(paths);
    return S_OK;
}
