#include "extension/module_icons.h"

#include <string>
#include <vector>

#include "common/exclusive_srw_lock.h"
#include "common/gdi_objects.h"
#include "common/icon_handle.h"

namespace {

// What a file looked like when its icon was read.
struct FileStamp {
    ULONGLONG size = 0;
    FILETIME written{};

    bool operator==(const FileStamp& other) const {
        return size == other.size && CompareFileTime(&written, &other.written) == 0;
    }
};

bool stampOf(const wchar_t* path, FileStamp* stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return false;
    stamp->size = (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    stamp->written = data.ftLastWriteTime;
    return true;
}

struct KeptIcon {
    std::u16string path;
    int size;
    FileStamp stamp;
    std::shared_ptr<const IconImage> icon;  // null when the file held no usable icon
};

// Made on first use and never destroyed by the runtime: at process exit the system takes
// the icons back with the process, and nothing is done under the loader lock then.
SRWLOCK keptLock = SRWLOCK_INIT;
std::vector<KeptIcon>* kept = nullptr;

}  // namespace

bool IconImage::Read(const wchar_t* path, int size) {
    IconHandle icon(
        static_cast<HICON>(LoadImageW(nullptr, path, IMAGE_ICON, size, size, LR_LOADFROMFILE)));
    ICONINFO info{};
    if (!icon.Get() || !GetIconInfo(icon.Get(), &info)) return false;
    // GetIconInfo hands out copies of the bitmaps: only the colour one's size is kept.
    const GdiObject mask(info.hbmMask);
    const GdiObject colour(info.hbmColor);
    BITMAP bitmap{};
    if (!info.hbmColor || GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap) != sizeof(bitmap)) {
        return false;
    }
    size_ = {bitmap.bmWidth, bitmap.bmHeight};
    icon_.Reset(icon.Release());
    return true;
}

std::shared_ptr<const IconImage> moduleIcon(std::u16string_view path, int size) {
    const wchar_t* file = reinterpret_cast<const wchar_t*>(path.data());
    FileStamp stamp;
    const bool present = stampOf(file, &stamp);
    ExclusiveSrwLock lock(keptLock);
    if (!kept) kept = new std::vector<KeptIcon>();
    auto entry = kept->begin();
    while (entry != kept->end() && !(entry->size == size && entry->path == path)) ++entry;
    if (!present) {
        if (entry != kept->end()) kept->erase(entry);
        return nullptr;
    }
    if (entry != kept->end() && entry->stamp == stamp) return entry->icon;

    // Everything that may throw comes before the icon is read, so no handle is lost.
    auto image = std::make_shared<IconImage>();
    if (entry == kept->end()) {
        kept->push_back(KeptIcon{std::u16string(path), size, {}, nullptr});
        entry = kept->end() - 1;
    }
    entry->stamp = stamp;
    entry->icon = image->Read(file, size) ? std::move(image) : nullptr;
    return entry->icon;
}

void releaseModuleIcons() {
    ExclusiveSrwLock lock(keptLock);
    delete kept;
    kept = nullptr;
}
