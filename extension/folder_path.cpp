// The path of a folder from its ID list. The folder must be one that the shell marks as
// a file-system item. SHGetPathFromIDListW writes into MAX_PATH characters, and some
// shells hand back a longer path cut short with success, so a path that reaches the end
// of that buffer is never taken as it is: it is built again from the deepest ancestor
// whose path fits, adding each item's own parsing name in its parent folder.
#include "extension/folder_path.h"

#include <cstring>
#include <new>
#include <vector>

#include "common/code_page.h"
#include "common/com_ref.h"
#include "common/task_memory_string.h"

namespace {

// The offsets of an ID list's items, and the offset of its terminator at the end.
std::vector<std::size_t> itemOffsets(const BYTE* list) {
    std::vector<std::size_t> offsets;
    std::size_t at = 0;
    for (;;) {
        offsets.push_back(at);
        USHORT size = 0;
        std::memcpy(&size, list + at, sizeof size);
        if (size == 0) return offsets;
        at += size;
    }
}

// The ID list of the first `bytes` bytes of `list`, terminated.
std::vector<BYTE> leadingItems(const BYTE* list, std::size_t bytes) {
    std::vector<BYTE> prefix(list, list + bytes);
    prefix.resize(bytes + sizeof(USHORT), 0);
    return prefix;
}

PCIDLIST_ABSOLUTE asIdList(const std::vector<BYTE>& bytes) {
    return reinterpret_cast<PCIDLIST_ABSOLUTE>(bytes.data());
}

// A drive path (C:\...) or a network path (\\server\share...).
bool isFileSystemPath(const wchar_t* path, std::size_t length) {
    if (length >= 3 && path[1] == L':' && path[2] == L'\\') {
        return (path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z');
    }
    return length > 2 && path[0] == L'\\' && path[1] == L'\\';
}

enum class ShellPath {
    Whole,          // the path, surely not cut
    None,           // no path, or one that may have been cut
    NotFileSystem,  // a "path" of class identifiers (::{...}), which some shells give
                    // virtual folders
};

ShellPath shellPath(PCIDLIST_ABSOLUTE list, std::u16string& path) {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListW(list, buffer)) return ShellPath::None;
    std::size_t length = std::wcslen(buffer);
    if (length >= MAX_PATH - 1) return ShellPath::None;
    if (!isFileSystemPath(buffer, length)) return ShellPath::NotFileSystem;
    // A folder's path ends in a separator only at a drive's root (C:\); some shells
    // give special folders one more.
    if (buffer[length - 1] == L'\\' && buffer[length - 2] != L':') --length;
    path.assign(reinterpret_cast<const char16_t*>(buffer), length);
    return ShellPath::Whole;
}

bool strretText(STRRET& name, PCUITEMID_CHILD item, std::u16string& text) {
    switch (name.uType) {
        case STRRET_WSTR: {
            const TaskMemoryString owned(name.pOleStr);
            if (!owned.Get()) return false;
            text.assign(reinterpret_cast<const char16_t*>(owned.Get()));
            return true;
        }
        case STRRET_CSTR:
            return ansiCodePage().ToWide(std::string(name.cStr), text);
        case STRRET_OFFSET:
            return ansiCodePage().ToWide(
                std::string(reinterpret_cast<const char*>(item) + name.uOffset), text);
        default:
            return false;
    }
}

// The shell folder of `list`: the desktop for the empty list.
bool bindFolder(const std::vector<BYTE>& list, ComRef<IShellFolder>& folder) {
    ComRef<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Receive())) || !desktop) return false;
    USHORT first = 0;
    std::memcpy(&first, list.data(), sizeof first);
    if (first == 0) {
        folder.Assign(desktop.Get());
        return true;
    }
    return SUCCEEDED(desktop->BindToObject(asIdList(list), nullptr, IID_IShellFolder,
                                           reinterpret_cast<void**>(folder.Receive()))) &&
           folder;
}

// The parsing name of `item` inside `parent`, when it is a file-system item.
bool fileSystemName(IShellFolder* parent, PCUITEMID_CHILD item, std::u16string& name) {
    SFGAOF attributes = SFGAO_FILESYSTEM;
    if (FAILED(parent->GetAttributesOf(1, &item, &attributes)) ||
        !(attributes & SFGAO_FILESYSTEM)) {
        return false;
    }
    STRRET text = {};
    text.uType = STRRET_WSTR;
    if (FAILED(parent->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &text))) {
        return false;
    }
    return strretText(text, item, name) && !name.empty();
}

// The path of the first `count` items of `list`, whose items begin at `offsets`.
bool pathOf(const BYTE* list, const std::vector<std::size_t>& offsets, std::size_t count,
            std::u16string& path) {
    const std::vector<BYTE> folder = leadingItems(list, offsets[count]);
    if (count == 0) return shellPath(asIdList(folder), path) == ShellPath::Whole;  // desktop
    // The shell's path counts only for a file-system item.
    ComRef<IShellFolder> parent;
    if (!bindFolder(leadingItems(list, offsets[count - 1]), parent)) return false;
    const std::vector<BYTE> item =
        leadingItems(list + offsets[count - 1], offsets[count] - offsets[count - 1]);
    std::u16string name;
    if (!fileSystemName(parent.Get(), reinterpret_cast<PCUITEMID_CHILD>(item.data()), name)) {
        return false;
    }
    switch (shellPath(asIdList(folder), path)) {
        case ShellPath::Whole:
            return true;
        case ShellPath::NotFileSystem:
            return false;
        case ShellPath::None:
            break;
    }
    // None, or one that may have been cut: the parent's path and the item's own name.
    if (!pathOf(list, offsets, count - 1, path)) return false;
    if (path.empty() || path.back() != u'\\') path += u'\\';
    path += name;
    return true;
}

}  // namespace

bool fileSystemFolderPath(PCIDLIST_ABSOLUTE folder, std::u16string& path) {
    if (!folder) return false;
    try {
        const auto* list = reinterpret_cast<const BYTE*>(folder);
        const std::vector<std::size_t> offsets = itemOffsets(list);
        std::u16string built;
        if (!pathOf(list, offsets, offsets.size() - 1, built)) return false;
        path.swap(built);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
