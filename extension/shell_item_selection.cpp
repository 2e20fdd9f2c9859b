#include "extension/shell_item_selection.h"

#include <cwchar>

#include "common/com_ref.h"

namespace {

// The path of `items`' item at `index`; false when it has none (a virtual item).
// `path` is the item's own block, to be freed with CoTaskMemFree.
bool itemPath(IShellItemArray* items, DWORD index, LPWSTR* path) {
    *path = nullptr;
    ComRef<IShellItem> item;
    if (FAILED(items->GetItemAt(index, item.receive())) || !item) return false;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path)) || !*path) {
        CoTaskMemFree(*path);
        *path = nullptr;
        return false;
    }
    return true;
}

DWORD itemCount(IShellItemArray* items) {
    DWORD count = 0;
    if (!items || FAILED(items->GetCount(&count))) return 0;
    return count;
}

}  // namespace

bool anyItemHasFileSystemPath(IShellItemArray* items) {
    const DWORD count = itemCount(items);
    for (DWORD i = 0; i < count; ++i) {
        LPWSTR path = nullptr;
        const bool found = itemPath(items, i, &path);
        CoTaskMemFree(path);
        if (found) return true;
    }
    return false;
}

HRESULT shellItemSelection(IShellItemArray* items, WideStringList& selection) {
    const DWORD count = itemCount(items);
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
