// The picture in front of the menu items: the icon file beside the module at the size it
// is drawn at, so each size comes from its own image in the file. A handler keeps the one
// it drew for its life, so the many redraws of an open menu ask for it once; it asks again
// only for another size. The icons themselves are the module's (module_icons.h).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "extension/module_icons.h"

class ItemIcon {
public:
    // `module` is the module beside whose file the icon file lies; without one there is
    // no icon.
    explicit ItemIcon(HMODULE module) : module_(module) {}

    // Finds the icon file's path, at the first draw that finds it unknown; known, it is
    // never looked for again. Memory that runs out leaves it unknown for a later draw.
    void FindFile();

    // The icon at `size` pixels square, unless that is what it already holds (or already
    // failed to get); null while the file is unknown, or when it holds no usable icon.
    const IconImage* AtSize(int size);

private:
    const HMODULE module_;
    std::u16string path_;  // empty while unknown
    int requestedSize_ = 0;
    std::shared_ptr<const IconImage> image_;
};
