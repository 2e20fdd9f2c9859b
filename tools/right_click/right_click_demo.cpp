// Reproduces right-clicks in Explorer on real files and on a folder's background, and
// prints what lands on the clipboard. Wine's shell loads no third-party context-menu handler
// itself, so this program plays Explorer's part: it registers the shipped tovak.dll with regsvr32,
// finds the handler's CLSID under HKCR\*\shellex\ContextMenuHandlers, has COM create the handler
// (COM loads the DLL from InprocServer32), asks the shell for the data object of a selection (for a
// folder's background: the folder's ID list, and no data object), hands it to the handler, lets the
// handler fill a real popup menu, clicks both commands, and unregisters the DLL again.
//
//   right_click_demo [path of tovak.dll]
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "extension/command_offset.h"
#include "extension/menu_texts.h"
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

// The GotoList class whose handler Explorer is expected to find.
const CLSID kGotoListClsid = {
    0x73616E24, 0x6788, 0x4341, {0x9E, 0xBC, 0xF4, 0x22, 0xB4, 0x98, 0x8B, 0xDC}};

std::string hex(HRESULT hr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(hr));
    return buffer;
}

// Runs regsvr32 of this architecture on `dll` and returns its exit code.
DWORD regsvr32(const std::string& options, const std::string& dll) {
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, MAX_PATH);
    std::string line =
        "\"" + std::string(directory) + "\\regsvr32.exe\" " + options + " \"" + dll + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return GetLastError();
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

// The handler keys under HKCR\<parent>\shellex\ContextMenuHandlers, as Explorer reads
// them: a key named by a CLSID, or a key whose default value is one.
std::vector<CLSID> contextMenuHandlers(const std::wstring& parent) {
    std::vector<CLSID> handlers;
    HKEY key = nullptr;
    const std::wstring path = parent + L"\\shellex\\ContextMenuHandlers";
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return handlers;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        wchar_t text[256] = {};
        LONG size = sizeof text;
        if (name[0] != L'{' && RegQueryValueW(key, name, text, &size) == ERROR_SUCCESS) {
            lstrcpynW(name, text, 256);
        }
        CLSID clsid;
        if (SUCCEEDED(CLSIDFromString(name, &clsid))) handlers.push_back(clsid);
    }
    RegCloseKey(key);
    return handlers;
}

std::string clsidText(REFCLSID clsid) {
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    return utf8(text);
}

// How many items the data object's drop list names.
UINT droppedCount(IDataObject* data) {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return 0;
    const UINT count = DragQueryFileW(static_cast<HDROP>(medium.hGlobal), 0xFFFFFFFF, nullptr, 0);
    ReleaseStgMedium(&medium);
    return count;
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

// Hands the handler a data object (a selection), or only a folder's ID list (a
// right-click on the folder's background).
void rightClick(const std::string& what, REFCLSID clsid, IDataObject* data,
                PCIDLIST_ABSOLUTE folder = nullptr) {
    say("\n" + what + "\n");
    IShellExtInit* init = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                  reinterpret_cast<void**>(&init));
    say("  CoCreateInstance(IShellExtInit) -> " + hex(hr) + "\n");
    if (FAILED(hr)) return;
    const HRESULT initialized = init->Initialize(folder, data, nullptr);
    say("  IShellExtInit::Initialize -> " + hex(initialized) + ", " +
        (data ? std::to_string(droppedCount(data)) + " selected\n"
              : std::string("the folder's ID list and no data object\n")));
    IContextMenu* handler = nullptr;
    hr = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&handler));
    init->Release();
    if (FAILED(hr)) {
        say("  QueryInterface(IContextMenu) -> " + hex(hr) + "\n");
        return;
    }
    HMENU menu = CreatePopupMenu();
    const HRESULT query = handler->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL);
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
        hr = handler->InvokeCommand(&info);
        say("  click \"" + utf8(reinterpret_cast<const wchar_t*>(kCaptions[command])) + "\" -> " +
            hex(hr) + "\n");
        printClipboard();
    }
    handler->Release();
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (FAILED(CoInitialize(nullptr))) return 1;
    say(std::string("== ") + (sizeof(void*) == 8 ? "x64" : "x86") + " handler, ANSI code page " +
        std::to_string(GetACP()) + " ==\n");

    const std::string dll = argc > 1 ? argv[1] : "tovak.dll";
    const DWORD registered = regsvr32("/s", dll);
    say("regsvr32 /s " + dll + " -> exit code " + std::to_string(registered) + "\n");
    if (registered != 0) return 1;
    CLSID clsid = CLSID_NULL, backgroundClsid = CLSID_NULL;
    for (const CLSID& handler : contextMenuHandlers(L"*")) {
        if (IsEqualCLSID(handler, kGotoListClsid)) clsid = handler;
    }
    for (const CLSID& handler : contextMenuHandlers(L"Directory\\Background")) {
        if (IsEqualCLSID(handler, kGotoListClsid)) backgroundClsid = handler;
    }
    for (const auto& found :
         {std::make_pair("*", clsid), std::make_pair("Directory\\Background", backgroundClsid)}) {
        say(std::string("HKCR\\") + found.first + "\\shellex\\ContextMenuHandlers names " +
            (IsEqualCLSID(found.second, CLSID_NULL) ? std::string("no Tovak handler")
                                                    : clsidText(found.second)) +
            "\n");
        if (IsEqualCLSID(found.second, CLSID_NULL)) return 1;
    }

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
        rightClick("Right-click on 3 files and a folder (the shell's own data object):", clsid,
                   data);
        data->Release();
    } else {
        say("the shell gave no data object: " + hex(hr) + "\n");
    }
    // Wine's shell parses no path past MAX_PATH; the drop list it would carry names the
    // real file here.
    const std::wstring longItem = longPath;
    FakeDataObject longData(drop_block::wide({std::u16string(longItem.begin(), longItem.end())}));
    rightClick("Right-click on a file whose path is " + std::to_string(longPath.size()) +
                   " characters long (wide drop list):",
               clsid, &longData);

    // Right-clicks on the background of a folder window: the shell's ID lists of a folder
    // with a Japanese name and of one whose path runs past MAX_PATH.
    const std::wstring japanese = folder + L"\\資料フォルダ";
    const std::wstring deep = folder + L"\\" + std::wstring(100, L'a') + L"\\" +
                              std::wstring(80, L'長') + L"\\" + std::wstring(60, L'z');
    createFolders(japanese);
    createFolders(deep);
    for (const std::wstring& background : {japanese, deep}) {
        LPITEMIDLIST list = shellFolderIdList(background, &hr);
        if (!list) {
            say("the shell gave no ID list for a folder: " + hex(hr) + "\n");
            continue;
        }
        rightClick("Right-click on the background of a folder whose path is " +
                       std::to_string(background.size()) + " characters long:",
                   backgroundClsid, nullptr, list);
        CoTaskMemFree(list);
    }

    removeTree(folder);
    CoUninitialize();
    say("\nregsvr32 /u /s " + dll + " -> exit code " + std::to_string(regsvr32("/u /s", dll)) +
        "\n");
    return 0;
}
