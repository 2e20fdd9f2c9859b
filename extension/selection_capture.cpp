// IShellExtInit::Initialize: the selection, read from the shell's drop list.
#include "common/code_page.h"
#include "common/global_memory.h"
#include "extension/drop_list.h"
#include "extension/folder_path.h"
#include "extension/handler_state.h"

namespace {

// A storage medium that GetData filled, released when the scope ends.
class StorageMedium {
public:
    StorageMedium() {
        medium_.tymed = TYMED_HGLOBAL;
        medium_.hGlobal = nullptr;
        medium_.pUnkForRelease = nullptr;
    }
    ~StorageMedium() {
        if (filled_) ReleaseStgMedium(&medium_);
    }
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;

    STGMEDIUM* receive() { return &medium_; }
    void markFilled() { filled_ = true; }
    HGLOBAL global() const { return medium_.tymed == TYMED_HGLOBAL ? medium_.hGlobal : nullptr; }

private:
    STGMEDIUM medium_{};
    bool filled_ = false;
};

}  // namespace

HRESULT HandlerState::initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject) {
    dataObject_.reset();
    // A right-click on a folder's background comes with the folder and no data object:
    // the folder itself is the selection.
    if (!dataObject) return selectFolder(folder);
    dataObject_.assign(dataObject);

    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StorageMedium medium;
    if (FAILED(dataObject->GetData(&format, medium.receive()))) return E_INVALIDARG;
    medium.markFilled();

    GlobalLockScope lock(medium.global());
    if (!lock.data()) return E_INVALIDARG;
    WideStringList items;
    const DropListStatus status = parseDropList(static_cast<const unsigned char*>(lock.data()),
                                                lock.size(), ansiCodePage(), items);
    // A block that cannot be read at all, a list without items, or one that memory did not
    // suffice for, leaves the previous selection as it was. A list that breaks off keeps
    // the items before the break.
    if (status == DropListStatus::OutOfMemory) return E_OUTOFMEMORY;
    if (status == DropListStatus::BadHeader) return E_INVALIDARG;
    if (status == DropListStatus::Complete && items.empty()) return E_INVALIDARG;
    selection_.swap(items);
    return status == DropListStatus::Complete ? S_OK : E_INVALIDARG;
}

HRESULT HandlerState::selectFolder(PCIDLIST_ABSOLUTE folder) {
    std::u16string path;
    if (!fileSystemFolderPath(folder, path)) return E_INVALIDARG;
    WideStringList items;
    if (!items.append(path)) return E_OUTOFMEMORY;
    selection_.swap(items);
    return S_OK;
}
