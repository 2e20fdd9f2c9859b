// One right-click as Explorer makes it, on the shipped DLL: register it with regsvr32,
// find the handler's CLSID under the ContextMenuHandlers keys, let COM load the DLL
// from InprocServer32, initialise the handler with the shell's own data object for real
// files, insert its items into a real menu, run both commands and read the clipboard.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/shell_selection.h"
#include "tests/server/registry_reader.h"

namespace {

const CLSID kGotoListClsid = {
    0x73616E24, 0x6788, 0x4341, {0x9E, 0xBC, 0xF4, 0x22, 0xB4, 0x98, 0x8B, 0xDC}};

std::string distDll() { return windowsPathOf(TOVAK_DIST_DIR "/tovak.dll"); }

DWORD regsvr32(bool unregister) {
    return runToEnd("\"" + nativeRegsvr32() + "\" /s " + (unregister ? "/u " : "") + "\"" +
                    distDll() + "\"");
}

// The handlers named under HKCR\<parent>\shellex\ContextMenuHandlers, as Explorer reads
// them: a key named by a CLSID, or a key whose default value is one.
std::vector<CLSID> handlersOf(const std::string& parent) {
    std::vector<CLSID> handlers;
    const std::string base = parent + "\\shellex\\ContextMenuHandlers";
    for (const std::string& name : subkeysOf(HKEY_CLASSES_ROOT, base)) {
        std::string text = name;
        if (text.empty() || text[0] != '{') {
            text = valuesOf(HKEY_CLASSES_ROOT, base + "\\" + name)[""].data;
        }
        std::wstring wide(text.begin(), text.end());
        CLSID clsid;
        if (SUCCEEDED(CLSIDFromString(&wide[0], &clsid))) handlers.push_back(clsid);
    }
    return handlers;
}

bool names(const std::vector<CLSID>& handlers, REFCLSID clsid) {
    for (const CLSID& handler : handlers) {
        if (IsEqualCLSID(handler, clsid)) return true;
    }
    return false;
}

// CF_TEXT up to its terminator.
std::string clipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "(clipboard not available)";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            text.assign(p, strnlen(p, GlobalSize(data)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::string ansi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr,
                        nullptr);
    return out;
}

class RightClick : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CoInitialize(nullptr));
        ASSERT_EQ(0u, regsvr32(false)) << "regsvr32 /s " << distDll();
        folder_ = makeTempFolder(L"tovak-right-click");
    }
    void TearDown() override {
        removeTree(folder_);
        EXPECT_EQ(0u, regsvr32(true));
        CoUninitialize();
    }

    // Right-clicks `items` of the folder and runs both commands of the handler's.
    void rightClick(const std::vector<std::wstring>& items) {
        HRESULT hr = S_OK;
        IDataObject* data = shellDataObject(folder_, items, &hr);
        ASSERT_NE(nullptr, data) << "shell data object: " << std::hex << hr;
        runHandler("*", nullptr, data);
        data->Release();
    }

    // Right-clicks the background of `folder`'s window: the shell gives the folder's ID
    // list and no data object.
    void rightClickBackground(const std::wstring& folder) {
        HRESULT hr = S_OK;
        LPITEMIDLIST list = shellFolderIdList(folder, &hr);
        ASSERT_NE(nullptr, list) << "ID list of the folder: " << std::hex << hr;
        runHandler("Directory\\Background", list, nullptr);
        CoTaskMemFree(list);
    }

    void runHandler(const char* parent, PCIDLIST_ABSOLUTE folder, IDataObject* data) {
        ASSERT_TRUE(names(handlersOf(parent), kGotoListClsid)) << "no handler under " << parent;
        IShellExtInit* init = nullptr;
        HRESULT hr = CoCreateInstance(kGotoListClsid, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellExtInit, reinterpret_cast<void**>(&init));
        ASSERT_EQ(S_OK, hr) << "CoCreateInstance: " << std::hex << hr;
        hr = init->Initialize(folder, data, nullptr);
        EXPECT_EQ(S_OK, hr) << "Initialize: " << std::hex << hr;

        IContextMenu* menu = nullptr;
        hr = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
        init->Release();
        ASSERT_EQ(S_OK, hr) << std::hex << hr;
        HMENU popup = CreatePopupMenu();
        const UINT first = 100;
        hr = menu->QueryContextMenu(popup, 0, first, first + 50, CMF_NORMAL);
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2), hr) << std::hex << hr;
        EXPECT_EQ(2, GetMenuItemCount(popup));
        EXPECT_EQ(first, GetMenuItemID(popup, 0));
        EXPECT_EQ(first + 1, GetMenuItemID(popup, 1));

        for (UINT offset = 0; offset < 2; ++offset) {
            CMINVOKECOMMANDINFO info = {};
            info.cbSize = sizeof info;
            info.lpVerb = MAKEINTRESOURCEA(offset);
            info.nShow = SW_SHOWNORMAL;
            hr = menu->InvokeCommand(&info);
            EXPECT_EQ(S_OK, hr) << std::hex << hr;
            copied_[offset] = clipboardText();
        }
        DestroyMenu(popup);
        EXPECT_EQ(0u, menu->Release());
    }

    std::wstring folder_;
    std::string copied_[2];
};

TEST_F(RightClick, HandlerIsNamedForFilesFoldersAndBackgrounds) {
    for (const char* parent : {"*", "Directory", "Directory\\Background", "*\\Background"}) {
        EXPECT_TRUE(names(handlersOf(parent), kGotoListClsid)) << parent;
    }
}

TEST_F(RightClick, CopiesNamesAndFullPathsOfRealFiles) {
    ASSERT_TRUE(createFile(folder_ + L"\\a.txt"));
    ASSERT_TRUE(createFile(folder_ + L"\\b c.txt"));
    ASSERT_TRUE(createFolders(folder_ + L"\\sub"));
    rightClick({L"a.txt", L"b c.txt", L"sub"});
    EXPECT_EQ("a.txt\r\nb c.txt\r\nsub", copied_[0]);
    const std::string folder = ansi(folder_);
    EXPECT_EQ(folder + "\\a.txt\r\n" + folder + "\\b c.txt\r\n" + folder + "\\sub", copied_[1]);
}

TEST_F(RightClick, FolderBackgroundCopiesTheFoldersNameAndPath) {
    const std::wstring deep = folder_ + L"\\" + std::wstring(100, L'd') + L"\\" +
                              std::wstring(100, L'e') + L"\\" + std::wstring(80, L'f');
    for (const std::wstring& folder : {folder_ + L"\\back ground", deep}) {
        SCOPED_TRACE(folder.size());
        ASSERT_TRUE(createFolders(folder));
        rightClickBackground(folder);
        EXPECT_EQ(ansi(folder.substr(folder.rfind(L'\\') + 1)), copied_[0]);
        EXPECT_EQ(ansi(folder), copied_[1]);
    }
}

#ifdef TOVAK_JAPANESE_NAMES
TEST_F(RightClick, JapaneseNamesReachTheClipboardInCodePage932) {
    ASSERT_EQ(932u, GetACP());
    // "表" ends in the byte of a backslash in code page 932.
    const std::wstring name = L"\u8868\u793A.txt";
    ASSERT_TRUE(createFile(folder_ + L"\\" + name));
    rightClick({name});
    EXPECT_EQ(ansi(name), copied_[0]);
    EXPECT_EQ(ansi(folder_ + L"\\" + name), copied_[1]);
    // The background of a folder with that name.
    ASSERT_TRUE(createFolders(folder_ + L"\\" + L"\u8868\u793A"));
    rightClickBackground(folder_ + L"\\" + L"\u8868\u793A");
    EXPECT_EQ(ansi(L"\u8868\u793A"), copied_[0]);
    EXPECT_EQ(ansi(folder_ + L"\\" + L"\u8868\u793A"), copied_[1]);
}
#endif

}  // namespace
