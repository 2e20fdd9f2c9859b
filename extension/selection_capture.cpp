#include "extension/selection_capture.h"

#include "common/code_page.h"
#include "common/global_memory.h"
#include "common/storage_medium.h"
#include "extension/drop_list.h"
#include "extension/folder_path.h"

namespace {

HRESULT selectFolder(PCIDLIST_ABSOLUTE folder, WideStringList& selection) {
    std::u16string path;
    if (!fileSystemFolderPath(folder, path)) return E_INVALIDARG;
    WideStringList items;
    if (!items.Append(path)) return E_OUTOFMEMORY;
    selection.Swap(items);
    return S_OK;
}

}  // namespace

HRESULT captureSelection(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject,
                         ComRef<IDataObject>& held, WideStringList& selection) {
    held.Reset();
    // A right-click on a folder's background comes with the folder and no data object:
    // the folder itself is the selection.
    if (!dataObject) return selectFolder(folder, selection);
    held.Assign(dataObject);

    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StorageMedium medium;
    if (FAILED(dataObject->GetData(&format, medium.Receive()))) return E_INVALIDARG;
    medium.MarkFilled();

    GlobalLockScope lock(medium.Global());
    if (!lock.Data()) return E_INVALIDARG;
    WideStringList items;
    const DropListStatus status = parseDropList(static_cast<const unsigned char*>(lock.Data()),
                                                lock.Size(), ansiCodePage(), items);
    // A block that cannot be read at all, a list without items, or one that memory did not
    // suffice for, leaves the previous selection as it was. A list that breaks off keeps
    // the items before the break.
    if (status == DropListStatus::OutOfMemory) return E_OUTOFMEMORY;
    if (status == DropListStatus::BadHeader) return E_INVALIDARG;
    if (status == DropListStatus::Complete && items.Empty()) return E_INVALIDARG;
    selection.Swap(items);
    return status == DropListStatus::Complete ? S_OK : E_INVALIDARG;
}
