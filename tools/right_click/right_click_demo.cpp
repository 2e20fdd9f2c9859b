// Reproduces one right-click in Explorer on real files and prints what lands on the
// clipboard. Wine's shell loads no third-party context-menu handler itself, so this
// program plays Explorer's part: it asks the shell for the data object of a selection,
// hands it to the handler, lets the handler fill a real popup menu, and clicks both
// commands.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "extension/handler_state.h"
#include "tests/common/drop_block.h"
#include "tests/common/fake_data_object.h"
#include "tests/common/shell_selection.h"

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                        nullptr);
    return out;
}

void say(const std::string& line) { std::fwrite(line.data(), 1, line.size(), stdout); }

std::string hex(HRESULT hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(hr));
    return buffer;
}

// Prints a clipboard text line by line, so the CR LF between lines shows as line breaks.
void printLines(const std::wstring& text) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(L"\r\n", start);
        say("      | " + utf8(text.substr(start, end - start)) + "\n");
        if (end == std::wstring::npos) break;
        start = end + 2;
    }
}

void printClipboard() {
    if (!OpenClipboard(nullptr)) {
        say("    (the clipboard cannot be opened)\n");
        return;
    }
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        const SIZE_T size = GlobalSize(data);
        const char* bytes = static_cast<const char*>(GlobalLock(data));
        const int length = lstrlenA(bytes);
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        wide.resize(static_cast<std::size_t>(
            MultiByteToWideChar(CP_ACP, 0, bytes, length, &wide[0], length)));
        GlobalUnlock(data);
        say("    CF_TEXT, code page " + std::to_string(GetACP()) + ", " + std::to_string(length) +
            " bytes of text in a block of " + std::to_string(size) + ":\n");
        printLines(wide);
    }
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(data));
        const std::wstring wide = text;
        GlobalUnlock(data);
        say("    CF_UNICODETEXT, " + std::to_string(wide.size()) + " characters:\n");
        printLines(wide);
    }
    CloseClipboard();
}

void rightClick(const char* what, IDataObject* data) {
    say(std::string("\n") + what + "\n");
    HandlerState handler;
    const HRESULT init = handler.initialize(data);
    say("  IShellExtInit::Initialize -> " + hex(init) + ", " +
        std::to_string(handler.selection().count()) + " selected\n");
    HMENU menu = CreatePopupMenu();
    const HRESULT query = handler.queryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL);
    say("  IContextMenu::QueryContextMenu -> " + hex(query) + ", menu items:");
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        say(" id " + std::to_string(info.wID) +
            ((info.fType & MFT_OWNERDRAW) ? " (owner-drawn)" : " (text)"));
    }
    say("\n");
    DestroyMenu(menu);
    for (UINT command : {UINT{CopyNames}, UINT{CopyPaths}}) {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.lpVerb = MAKEINTRESOURCEA(command);
        const HRESULT hr = handler.invokeCommand(&info);
        say("  click \"" +
            utf8(reinterpret_cast<const wchar_t*>(
                handler.captions()[static_cast<int>(command)].data())) +
            "\" -> " + hex(hr) + "\n");
        printClipboard();
    }
}

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    if (FAILED(CoInitialize(nullptr))) return 1;
    say(std::string("== ") + (sizeof(void*) == 8 ? "x64" : "x86") + " handler, ANSI code page " +
        std::to_string(GetACP()) + " ==\n");

    const std::wstring folder = makeTempFolder(L"tovak_demo");
    const std::vector<std::wstring> names = {L"report.txt", L"報告書.txt", L"café☃.txt", L"src"};
    createFile(folder + L"\\" + names[0]);
    createFile(folder + L"\\" + names[1]);
    createFile(folder + L"\\" + names[2]);
    createFolders(folder + L"\\" + names[3]);
    const std::wstring longPath = folder + L"\\" + std::wstring(240, L'長') + L".txt";
    createFile(longPath);

    HRESULT hr = S_OK;
    if (IDataObject* data = shellDataObject(folder, names, &hr)) {
        rightClick("Right-click on 3 files and a folder (the shell's own data object):", data);
        data->Release();
    } else {
        say("the shell gave no data object: " + hex(hr) + "\n");
    }
    // Wine's shell parses no path past MAX_PATH; the drop list it would carry names the
    // real file here.
    const std::wstring longItem = longPath;
    FakeDataObject longData(drop_block::wide({std::u16string(longItem.begin(), longItem.end())}));
    rightClick(("Right-click on a file whose path is " + std::to_string(longPath.size()) +
                " characters long (wide drop list):")
                   .c_str(),
               &longData);

    removeTree(folder);
    CoUninitialize();
    return 0;
}
