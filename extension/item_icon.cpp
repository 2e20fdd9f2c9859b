#include "extension/item_icon.h"

void ItemIcon::load(std::u16string_view path, int size) {
    if (requestedSize_ == size && path_ == path) return;
    image_.reset();
    requestedSize_ = 0;
    image_ = moduleIcon(path, size);
    path_ = path;
    requestedSize_ = size;
}
