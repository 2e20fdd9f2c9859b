// Cost of taking a selection and copying it, against the floor of handing the same
// bytes to the clipboard directly, measured side by side in one run. Prints ratios.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/performance_clock.h"
#include "extension/copy_commands.h"
#include "extension/handler_state.h"
#include "extension/selection_capture.h"
#include "tests/common/drop_block.h"
#include "tests/common/fake_data_object.h"

namespace {

template <class Work>
double bestOf(int runs, Work work) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double start = nowMs();
        work();
        best = std::min(best, nowMs() - start);
    }
    return best;
}

// About 60 characters a path, all different.
std::vector<std::u16string> makePaths(int count) {
    std::vector<std::u16string> paths;
    paths.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string path = "C:\\Users\\someone\\Documents\\projects\\tovak\\file_" +
                                 std::to_string(1000000 + i) + ".txt";
        paths.emplace_back(path.begin(), path.end());
    }
    return paths;
}

void put(UINT format, const void* data, std::size_t size, std::size_t padding) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size + padding);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    std::memcpy(bytes, data, size);
    std::memset(bytes + size, 0, padding);
    GlobalUnlock(block);
    if (!SetClipboardData(format, block)) GlobalFree(block);
}

// The floor: the finished texts, handed to the clipboard as the handler does.
void handOver(const std::string& ansi, const std::u16string& wide) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    put(CF_TEXT, ansi.data(), ansi.size(), 3);
    put(CF_UNICODETEXT, wide.data(), wide.size() * 2, 2);
    CloseClipboard();
}

}  // namespace

int main() {
    std::printf("%8s %12s %12s %8s\n", "paths", "handler ms", "floor ms", "ratio");
    double previous = 0;
    for (int count : {1000, 10000, 100000}) {
        const std::vector<std::u16string> paths = makePaths(count);
        FakeDataObject data(drop_block::wide(paths));
        std::u16string wide;
        for (std::size_t i = 0; i < paths.size(); ++i) wide += (i ? u"\r\n" : u"") + paths[i];
        const std::string ansi(wide.begin(), wide.end());  // ASCII paths

        const double handler = bestOf(9, [&] {
            HandlerState state{nullptr};
            captureSelection(nullptr, &data, state.dataObject, state.selection);
            CMINVOKECOMMANDINFO info = {};
            info.cbSize = sizeof info;
            info.lpVerb = MAKEINTRESOURCEA(CopyPaths);
            invokeCopyCommand(&info, state.selection);
        });
        const double floor = bestOf(9, [&] { handOver(ansi, wide); });
        std::printf("%8d %12.2f %12.2f %8.2f", count, handler, floor, handler / floor);
        if (previous > 0)
            std::printf("   x%.1f the time of %d paths", handler / previous, count / 10);
        std::printf("\n");
        previous = handler;
    }
    return 0;
}
