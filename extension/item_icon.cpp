#include "extension/item_icon.h"

#include <new>

#include "common/module_path.h"

void ItemIcon::FindFile() {
    if (!module_ || !path_.empty()) return;
    try {
        std::u16string path;
        if (SUCCEEDED(fileBesideModule(module_, u"ico", path))) path_.swap(path);
    } catch (const std::bad_alloc&) {
        // Still unknown: the items are drawn with an empty icon column until a later
        // draw finds memory for the path.
    }
}

const IconImage* ItemIcon::AtSize(int size) {
    if (path_.empty()) return nullptr;
    if (requestedSize_ != size) {
        image_.reset();
        requestedSize_ = 0;
        image_ = moduleIcon(path_, size);
        requestedSize_ = size;
    }
    return image_.get();
}
