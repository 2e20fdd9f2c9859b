// Taking the selection from the shell's data object.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "extension/copy_commands.h"
#include "extension/handler_state.h"
#include "extension/selection_capture.h"
#include "extension/command_offset.h"
#include "tests/common/drop_block.h"
#include "tests/extension/clipboard_probe.h"
#include "tests/common/fake_data_object.h"
#include "tests/common/shell_selection.h"

namespace {

std::vector<std::u16string> selectionOf(const HandlerState& state) {
    std::vector<std::u16string> items;
    for (int i = 0; i < state.selection.Count(); ++i) {
        items.emplace_back(state.selection[i]);
    }
    return items;
}

std::u16string u16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

const std::vector<std::u16string> kThree = {u"C:\\x\\a.txt", u"C:\\x\\b.txt", u"D:\\work\\src"};

TEST(SelectionCapture, TakesEveryPathInOrderAndHoldsTheDataObject) {
    FakeDataObject data(drop_block::wide(kThree));
    {
        HandlerState state{nullptr};
        const HRESULT hr = captureSelection(nullptr, &data, state.dataObject, state.selection);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        EXPECT_EQ(kThree, selectionOf(state));
        EXPECT_EQ(1, data.references()) << "the handler keeps one reference";
        EXPECT_EQ(1, data.getDataCalls());
    }
    EXPECT_EQ(0, data.references()) << "destruction gives the reference back once";
}

TEST(SelectionCapture, ASecondInitializeReplacesTheSelectionAndTheDataObject) {
    FakeDataObject first(drop_block::wide(kThree));
    FakeDataObject second(drop_block::ansi({"E:\\one", "E:\\two"}));
    HandlerState state{nullptr};
    ASSERT_EQ(S_OK, captureSelection(nullptr, &first, state.dataObject, state.selection));
    const HRESULT hr = captureSelection(nullptr, &second, state.dataObject, state.selection);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ((std::vector<std::u16string>{u"E:\\one", u"E:\\two"}), selectionOf(state));
    EXPECT_EQ(0, first.references());
    EXPECT_EQ(1, second.references());
}

TEST(SelectionCapture, FailuresKeepThePreviousSelection) {
    FakeDataObject good(drop_block::wide(kThree));
    FakeDataObject noDrop(DV_E_FORMATETC);
    FakeDataObject empty(drop_block::wide({}));
    drop_block::Bytes outside = drop_block::ansi({"C:\\a"});
    drop_block::putUint32(outside, 0, 4096);
    FakeDataObject badOffset(outside);
    HandlerState state{nullptr};
    ASSERT_EQ(S_OK, captureSelection(nullptr, &good, state.dataObject, state.selection));
    for (FakeDataObject* data : {&noDrop, &empty, &badOffset}) {
        const HRESULT hr = captureSelection(nullptr, data, state.dataObject, state.selection);
        EXPECT_EQ(E_INVALIDARG, hr) << std::hex << hr;
        EXPECT_EQ(kThree, selectionOf(state));
        EXPECT_EQ(1, data->references()) << "the failed call's data object is still held";
        EXPECT_EQ(state.dataObject.Get(), data);
    }
    EXPECT_EQ(0, good.references());
    EXPECT_EQ(0, noDrop.references());
    EXPECT_EQ(0, empty.references());
}

TEST(SelectionCapture, AListThatBreaksOffKeepsTheItemsBeforeTheBreak) {
    drop_block::Bytes broken = drop_block::ansi({"C:\\a", "C:\\b"}, false);
    broken.insert(broken.end(), {'C', ':', '\\', 'c'});
    FakeDataObject good(drop_block::wide(kThree));
    FakeDataObject data(broken);
    HandlerState state{nullptr};
    ASSERT_EQ(S_OK, captureSelection(nullptr, &good, state.dataObject, state.selection));
    const HRESULT hr = captureSelection(nullptr, &data, state.dataObject, state.selection);
    EXPECT_EQ(E_INVALIDARG, hr) << std::hex << hr;
    EXPECT_EQ((std::vector<std::u16string>{u"C:\\a", u"C:\\b"}), selectionOf(state));
}

TEST(SelectionCapture, ANullDataObjectLeavesNoneHeld) {
    FakeDataObject data(drop_block::wide(kThree));
    {
        HandlerState state{nullptr};
        ASSERT_EQ(S_OK, captureSelection(nullptr, &data, state.dataObject, state.selection));
        const HRESULT hr = captureSelection(nullptr, nullptr, state.dataObject, state.selection);
        EXPECT_EQ(E_INVALIDARG, hr) << std::hex << hr;
        EXPECT_EQ(nullptr, state.dataObject.Get());
        EXPECT_EQ(0, data.references());
        EXPECT_EQ(kThree, selectionOf(state));
    }
    EXPECT_EQ(0, data.references()) << "nothing is released twice";
}

class ShellSelection : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        folder_ = makeTempFolder(L"tovak_sel");
        ASSERT_FALSE(folder_.empty());
    }
    void TearDown() override {
        removeTree(folder_);
        CoUninitialize();
    }
    std::wstring folder_;
};

TEST_F(ShellSelection, TakesTheTruePathsOfRealFiles) {
    // A Japanese name, a name outside both code pages, a folder.
    const std::vector<std::wstring> names = {L"報告書.txt", L"caf\u00e9\u0175.txt", L"src"};
    ASSERT_TRUE(createFile(folder_ + L"\\" + names[0]));
    ASSERT_TRUE(createFile(folder_ + L"\\" + names[1]));
    ASSERT_TRUE(createFolders(folder_ + L"\\" + names[2]));
    HRESULT hr = S_OK;
    IDataObject* data = shellDataObject(folder_, names, &hr);
    ASSERT_NE(nullptr, data) << std::hex << hr;
    HandlerState state{nullptr};
    hr = captureSelection(nullptr, data, state.dataObject, state.selection);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    std::vector<std::u16string> expected;
    for (const auto& name : names) expected.push_back(u16(folder_ + L"\\" + name));
    EXPECT_EQ(expected, selectionOf(state));
    data->Release();
}

// Wine's shell parses no path past MAX_PATH, so the shell's own data object cannot name
// one there; the wide drop list it would carry names a real file of that length instead.
TEST_F(ShellSelection, TakesAPathLongerThanMaxPathWhole) {
    const std::wstring path = folder_ + L"\\" + std::wstring(240, L'長') + L"_long.txt";
    ASSERT_TRUE(createFile(path));
    FakeDataObject data(drop_block::wide({u16(path)}));
    HandlerState state{nullptr};
    const HRESULT hr = captureSelection(nullptr, &data, state.dataObject, state.selection);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    ASSERT_EQ(1, state.selection.Count());
    EXPECT_EQ(u16(path), state.selection[0]);
    EXPECT_GT(state.selection[0].size(), static_cast<std::size_t>(MAX_PATH));
}

// A right-click on a folder's background: the shell gives the folder's ID list and no
// data object.
class FolderBackground : public ShellSelection {
protected:
    // The shell's ID list of the folder at `path`, or of a special folder.
    static LPITEMIDLIST idList(const std::wstring& path, int csidl = -1) {
        LPITEMIDLIST list = nullptr;
        HRESULT hr = csidl >= 0 ? SHGetSpecialFolderLocation(nullptr, csidl, &list) : S_OK;
        if (csidl < 0) list = shellFolderIdList(path, &hr);
        EXPECT_NE(nullptr, list) << std::hex << hr;
        return list;
    }
    static std::wstring copied(HandlerState& state, UINT offset) {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.lpVerb = MAKEINTRESOURCEA(offset);
        EXPECT_EQ(S_OK, invokeCopyCommand(&info, state.selection));
        return clipboard_probe::readUnicodeText();
    }
};

TEST_F(FolderBackground, TheFolderIsTheSelectionAndBothCommandsCopyIt) {
    wchar_t desktop[MAX_PATH] = {}, documents[MAX_PATH] = {}, windows[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop));
    // Wine's shell gives this one's path with a separator at its end.
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents));
    ASSERT_NE(0u, GetWindowsDirectoryW(windows, MAX_PATH));
    // The last one's parent fits in MAX_PATH, the folder itself runs far past it.
    const std::wstring made[] = {folder_ + L"\\background", folder_ + L"\\報告書フォルダ",
                                 folder_ + L"\\caf\u00e9\u0175",
                                 folder_ + L"\\" + std::wstring(100, L'a') + L"\\" +
                                     std::wstring(80, L'長') + L"\\" + std::wstring(120, L'c')};
    const struct {
        std::wstring path;
        int csidl;
    } cases[] = {{made[0], -1},
                 {made[1], -1},
                 {made[2], -1},
                 {made[3], -1},
                 {desktop, CSIDL_DESKTOP},
                 {documents, CSIDL_PERSONAL},
                 {std::wstring(windows).substr(0, 3), -1}};  // the drive root
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.size());
        if (c.path.compare(0, folder_.size(), folder_) == 0) {
            ASSERT_TRUE(createFolders(c.path));
        }
        LPITEMIDLIST list = idList(c.path, c.csidl);
        ASSERT_NE(nullptr, list);
        HandlerState state{nullptr};
        const HRESULT hr = captureSelection(list, nullptr, state.dataObject, state.selection);
        CoTaskMemFree(list);
        ASSERT_EQ(S_OK, hr) << std::hex << hr;
        ASSERT_EQ(1, state.selection.Count());
        EXPECT_EQ(u16(c.path), state.selection[0]);
        EXPECT_EQ(nullptr, state.dataObject.Get());
        EXPECT_EQ(c.path, copied(state, CopyPaths));
        // A drive root has no name part.
        EXPECT_EQ(c.path.substr(c.path.rfind(L'\\') + 1), copied(state, CopyNames));
    }
}

// No folder, or one without a file-system path: refused as before, the previous
// selection kept and the previous data object given back.
TEST_F(FolderBackground, FolderWithoutAPathIsRefused) {
    for (int csidl : {CSIDL_CONTROLS, CSIDL_DRIVES, CSIDL_PRINTERS, -1}) {
        SCOPED_TRACE(csidl);
        FakeDataObject data(drop_block::wide(kThree));
        HandlerState state{nullptr};
        ASSERT_EQ(S_OK, captureSelection(nullptr, &data, state.dataObject, state.selection));
        LPITEMIDLIST list = csidl >= 0 ? idList(L"", csidl) : nullptr;
        const HRESULT hr = captureSelection(list, nullptr, state.dataObject, state.selection);
        CoTaskMemFree(list);
        EXPECT_EQ(E_INVALIDARG, hr) << std::hex << hr;
        EXPECT_EQ(kThree, selectionOf(state));
        EXPECT_EQ(0, data.references());
    }
    // With both, the data object's items are the selection.
    FakeDataObject data(drop_block::wide(kThree));
    HandlerState state{nullptr};
    LPITEMIDLIST list = idList(folder_);
    EXPECT_EQ(S_OK, captureSelection(list, &data, state.dataObject, state.selection));
    CoTaskMemFree(list);
    EXPECT_EQ(kThree, selectionOf(state));
}

}  // namespace
