#include "extension/shell_item_selection.h"

#include <cwchar>

#include "common/com_ref.h"
#include "common/task_memory_string.h"

namespace {

// The path of `items`' item at `index` into `path`; false when it has none (a virtual
// item).
bool itemPath(IShellItemArray* items, DWORD index, TaskMemoryString& path) {
    ComRef<IShellItem> item;
    if (FAILED(items->GetItemAt(index, item.Receive())) || !item) return false;
    LPWSTR text = nullptr;
    const HRESULT hr = item->GetDisplayName(SIGDN_FILESYSPATH, &text);
    path.Reset(text);
    return SUCCEEDED(hr) && text;
}

}  // namespace

bool anyItemHasFileSystemPath(IShellItemArray* items) {
    DWORD count = 0;
    if (!items || FAILED(items->GetCount(&count))) return false;
    for (DWORD i = 0; i < count; ++i) {
        TaskMemoryString path;
        if (itemPath(items, i, path)) return true;
    }
    return false;
}

HRESULT shellItemSelection(IShellItemArray* items, WideStringList& selection) {
    DWORD count = 0;
    if (!items || FAILED(items->GetCount(&count))) return E_INVALIDARG;
    WideStringList paths;
    for (DWORD i = 0; i < count; ++i) {
        TaskMemoryString path;
        if (!itemPath(items, i, path)) continue;
        if (!paths.Append(reinterpret_cast<const char16_t*>(path.Get()), std::wcslen(path.Get()))) {
            return E_OUTOFMEMORY;
        }
    }
    if (paths.Empty()) return E_INVALIDARG;
    selection.Swap(paths);
    return S_OK;
}
