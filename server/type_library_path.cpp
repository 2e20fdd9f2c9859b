#include "server/type_library_path.h"

std::string typeLibFallbackPath(const char* modulePath, const CodePage& codePage) {
    if (!modulePath) modulePath = "";
    const char* cut = nullptr;
    const char* p = modulePath;
    while (*p) {
        if (*p == '.') cut = p;
        const char* next = codePage.next(p);
        if (next == p) break;  // a lead byte right before the terminator
        p = next;
    }
    const char* end = p + std::char_traits<char>::length(p);
    std::string path(modulePath, static_cast<std::size_t>((cut ? cut : end) - modulePath));
    path += ".tlb";
    return path;
}

std::u16string typeLibHelpDirectory(const std::u16string& loadedPath) {
    const std::size_t last = loadedPath.find_last_of(u"\\/:");
    if (last == std::u16string::npos) return std::u16string();
    return loadedPath.substr(0, last + 1);
}
