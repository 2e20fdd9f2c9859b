// A storage medium that IDataObject::GetData fills, released when its holder ends.
#pragma once

#include <windows.h>

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

    // The medium for GetData to fill; MarkFilled once it did.
    STGMEDIUM* Receive() { return &medium_; }
    void MarkFilled() { filled_ = true; }
    // Its global memory, or null for a medium of another kind.
    HGLOBAL Global() const { return medium_.tymed == TYMED_HGLOBAL ? medium_.hGlobal : nullptr; }

private:
    STGMEDIUM medium_{};
    bool filled_ = false;
};
