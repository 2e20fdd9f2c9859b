#include "server/type_library_path.h"

#include "common/path_text.h"

std::u16string typeLibFallbackPath(const std::u16string& modulePath) {
    return withExtension(modulePath, u"tlb");
}

std::u16string typeLibHelpDirectory(const std::u16string& loadedPath) {
    const std::size_t last = loadedPath.find_last_of(kPathSeparators);
    if (last == std::u16string::npos) return std::u16string();
    return loadedPath.substr(0, last + 1);
}
