// The two Explorer commands: their COM identity and reference counts, what each method
// answers and its null-pointer cases, their state for real shell item arrays (files,
// folders, Japanese names, a folder's background, virtual folders) and for items of the
// test's own, and their clipboard compared with the context-menu handler's for the same
// selection. Then the commands as tovak.dll serves them: class objects, DllCanUnloadNow,
// the icon location.
#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <shlwapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/explorer_command_ids.h"
#include "server/context_menu_handler.h"
#include "server/explorer_command.h"
#include "server/server_module.h"
#include "tests/common/counting_unknown.h"
#include "tests/common/drop_block.h"
#include "tests/common/fake_data_object.h"
#include "tests/common/shell_selection.h"
#include "tests/extension/clipboard_probe.h"
#include "tests/server/fake_shell_items.h"

namespace {

void* const kSentinel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xDEADBEEF));
wchar_t* const kTextSentinel = reinterpret_cast<wchar_t*>(kSentinel);

class ModuleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { serverModule().Init(GetModuleHandleW(nullptr), nullptr); }
    void TearDown() override { serverModule().Term(); }
};
const auto* const kModule = ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

using Creator = HRESULT (*)(IUnknown*, REFIID, void**);

struct CommandKind {
    const char* label;
    Creator create;
    CommandOffset offset;
    const wchar_t* title;
    const wchar_t* toolTip;
    CLSID clsid;
};

const CommandKind kCommands[] = {
    {"names", ExplorerCommand::CreateCopyNames, CopyNames, L"ファイル名をコピー",
     L"選択したファイルのファイル名をクリップボードにコピーします。",
     TOVAK_COPY_NAMES_COMMAND_CLSID_INIT},
    {"paths", ExplorerCommand::CreateCopyPaths, CopyPaths, L"フルパスをコピー",
     L"選択したファイルのフルパスをクリップボードにコピーします。",
     TOVAK_COPY_PATHS_COMMAND_CLSID_INIT},
};

// Test names and messages show a command by its label.
void PrintTo(const CommandKind& kind, std::ostream* os) { *os << kind.label; }

IExplorerCommand* makeCommand(const CommandKind& kind) {
    void* out = kSentinel;
    const HRESULT hr = kind.create(nullptr, IID_IExplorerCommand, &out);
    EXPECT_EQ(S_OK, hr) << kind.label << std::hex << " " << hr;
    return hr == S_OK ? static_cast<IExplorerCommand*>(out) : nullptr;
}

// What a copy left on the clipboard: both text formats, whole blocks.
struct Clipboard {
    std::vector<unsigned char> text, unicode;
    bool operator==(const Clipboard& other) const {
        return text == other.text && unicode == other.unicode;
    }
};

Clipboard readClipboard() {
    return {clipboard_probe::read(CF_TEXT), clipboard_probe::read(CF_UNICODETEXT)};
}

// The context-menu handler's copy for the selection that `folder` and `data` give it.
Clipboard classicCopy(CommandOffset offset, PCIDLIST_ABSOLUTE folder, IDataObject* data) {
    EXPECT_TRUE(clipboard_probe::seed("before"));
    void* out = nullptr;
    EXPECT_EQ(S_OK, ContextMenuHandler::Create(nullptr, IID_IContextMenu, &out));
    auto* menu = static_cast<IContextMenu*>(out);
    IShellExtInit* init = nullptr;
    EXPECT_EQ(S_OK, menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)));
    HRESULT hr = init->Initialize(folder, data, nullptr);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    init->Release();
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    hr = menu->InvokeCommand(&info);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(0u, menu->Release());
    return readClipboard();
}

// The command's copy for `items`.
Clipboard commandCopy(const CommandKind& kind, IShellItemArray* items) {
    EXPECT_TRUE(clipboard_probe::seed("before"));
    IExplorerCommand* command = makeCommand(kind);
    if (!command) return {};
    const HRESULT hr = command->Invoke(items, nullptr);
    EXPECT_EQ(S_OK, hr) << kind.label << std::hex << " " << hr;
    EXPECT_EQ(0u, command->Release());
    return readClipboard();
}

EXPCMDSTATE stateFor(const CommandKind& kind, IShellItemArray* items, BOOL okToBeSlow = FALSE) {
    IExplorerCommand* command = makeCommand(kind);
    if (!command) return static_cast<EXPCMDSTATE>(-1);
    auto state = static_cast<EXPCMDSTATE>(0xBAD);
    const HRESULT hr = command->GetState(items, okToBeSlow, &state);
    EXPECT_EQ(S_OK, hr) << kind.label << std::hex << " " << hr;
    EXPECT_EQ(0u, command->Release());
    return state;
}

std::wstring takeText(wchar_t* text) {
    std::wstring copy = text ? text : L"(null)";
    CoTaskMemFree(text);
    return copy;
}

class CommandObject : public ::testing::TestWithParam<CommandKind> {
protected:
    void SetUp() override {
        locksBefore_ = serverModule().LockCount();
        command_ = makeCommand(GetParam());
        ASSERT_NE(nullptr, command_);
        EXPECT_EQ(locksBefore_ + 1, serverModule().LockCount());
    }
    void TearDown() override {
        if (command_) {
            EXPECT_EQ(0u, command_->Release());
        }
        EXPECT_EQ(locksBefore_, serverModule().LockCount());
    }

    IExplorerCommand* command_ = nullptr;
    LONG locksBefore_ = 0;
};

INSTANTIATE_TEST_SUITE_P(Both, CommandObject, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_P(CommandObject, AnswersItsTwoInterfacesWithOneIdentity) {
    const struct {
        const IID* iid;
        bool answered;
    } cases[] = {
        {&IID_IUnknown, true},        {&IID_IExplorerCommand, true},
        {&IID_IObjectWithSite, true}, {&IID_IContextMenu, false},
        {&IID_IShellExtInit, false},  {&IID_IDispatch, false},
        {&IID_IClassFactory, false},  {&IID_IExplorerCommandState, false},
    };
    void* identity = nullptr;
    ASSERT_EQ(S_OK, command_->QueryInterface(IID_IUnknown, &identity));
    for (const auto& c : cases) {
        void* out = kSentinel;
        const HRESULT hr = command_->QueryInterface(*c.iid, &out);
        EXPECT_EQ(c.answered ? S_OK : E_NOINTERFACE, hr)
            << "case " << &c - cases << std::hex << " " << hr;
        if (!c.answered) {
            EXPECT_EQ(nullptr, out) << "case " << &c - cases;
            continue;
        }
        void* back = nullptr;
        EXPECT_EQ(S_OK, static_cast<IUnknown*>(out)->QueryInterface(IID_IUnknown, &back));
        EXPECT_EQ(identity, back) << "case " << &c - cases;
        static_cast<IUnknown*>(back)->Release();
        static_cast<IUnknown*>(out)->Release();
    }
    static_cast<IUnknown*>(identity)->Release();
    EXPECT_EQ(E_POINTER, command_->QueryInterface(IID_IExplorerCommand, nullptr));
    EXPECT_EQ(2u, command_->AddRef());
    EXPECT_EQ(1u, command_->Release());
}

TEST_P(CommandObject, TitleToolTipFlagsAndCanonicalName) {
    wchar_t* text = kTextSentinel;
    HRESULT hr = command_->GetTitle(nullptr, &text);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(GetParam().title, takeText(text));
    text = kTextSentinel;
    hr = command_->GetToolTip(nullptr, &text);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(GetParam().toolTip, takeText(text));

    auto flags = static_cast<EXPCMDFLAGS>(0xBAD);
    EXPECT_EQ(S_OK, command_->GetFlags(&flags));
    EXPECT_EQ(ECF_DEFAULT, flags);
    GUID name = GUID_NULL;
    EXPECT_EQ(S_OK, command_->GetCanonicalName(&name));
    EXPECT_TRUE(IsEqualGUID(GetParam().clsid, name));
    IEnumExplorerCommand* commands = reinterpret_cast<IEnumExplorerCommand*>(kSentinel);
    hr = command_->EnumSubCommands(&commands);
    EXPECT_EQ(E_NOTIMPL, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, commands);
}

TEST_P(CommandObject, NullOutPointersAreRefused) {
    const struct {
        const char* method;
        HRESULT hr;
    } cases[] = {
        {"GetTitle", command_->GetTitle(nullptr, nullptr)},
        {"GetToolTip", command_->GetToolTip(nullptr, nullptr)},
        {"GetIcon", command_->GetIcon(nullptr, nullptr)},
        {"GetCanonicalName", command_->GetCanonicalName(nullptr)},
        {"GetState", command_->GetState(nullptr, FALSE, nullptr)},
        {"GetFlags", command_->GetFlags(nullptr)},
    };
    for (const auto& c : cases) EXPECT_EQ(E_POINTER, c.hr) << c.method << std::hex << " " << c.hr;
    EXPECT_EQ(E_NOTIMPL, command_->EnumSubCommands(nullptr));
}

TEST_P(CommandObject, SiteIsHeldCountedAndReplaced) {
    IObjectWithSite* withSite = nullptr;
    ASSERT_EQ(S_OK,
              command_->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite)));
    void* out = kSentinel;
    HRESULT hr = withSite->GetSite(IID_IUnknown, &out);
    EXPECT_EQ(E_FAIL, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, withSite->GetSite(IID_IUnknown, nullptr));
    CountingUnknown first, second;
    EXPECT_EQ(S_OK, withSite->SetSite(&first));
    EXPECT_EQ(1, first.references());
    hr = withSite->GetSite(IID_IUnknown, &out);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(static_cast<IUnknown*>(&first), out);
    first.Release();
    EXPECT_EQ(S_OK, withSite->SetSite(&second));
    EXPECT_EQ(0, first.references());
    EXPECT_EQ(1, second.references());
    withSite->Release();
    // The final release gives the site back.
    command_->Release();
    command_ = nullptr;
    EXPECT_EQ(0, second.references());
}

TEST(CommandCreation, AggregationAndStrangeInterfacesAreRefusedWithTheLockGivenBack) {
    const LONG before = serverModule().LockCount();
    CountingUnknown outer;
    for (const CommandKind& kind : kCommands) {
        void* out = kSentinel;
        HRESULT hr = kind.create(&outer, IID_IUnknown, &out);
        EXPECT_EQ(CLASS_E_NOAGGREGATION, hr) << kind.label << std::hex << " " << hr;
        EXPECT_EQ(nullptr, out);
        out = kSentinel;
        hr = kind.create(nullptr, IID_IContextMenu, &out);
        EXPECT_EQ(E_NOINTERFACE, hr) << kind.label << std::hex << " " << hr;
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(E_POINTER, kind.create(nullptr, IID_IUnknown, nullptr));
        EXPECT_EQ(before, serverModule().LockCount()) << kind.label;
    }
    EXPECT_EQ(0, outer.references());
}

// Files and folders made by the test, and the shell's own items for them.
class RealItems : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        folder_ = makeTempFolder(L"tovak_cmd");
        ASSERT_FALSE(folder_.empty());
        for (const auto& name : {L"報告書.txt", L"plain.txt", L"caf\u00e9\u0175.txt"}) {
            ASSERT_TRUE(createFile(folder_ + L"\\" + name));
        }
        for (const auto& name : {L"資料", L"src"}) {
            ASSERT_TRUE(createFolders(folder_ + L"\\" + name));
        }
    }
    void TearDown() override {
        for (LPITEMIDLIST list : lists_) CoTaskMemFree(list);
        removeTree(folder_);
        CoUninitialize();
    }

    // The shell's item array of the absolute ID lists, which this fixture frees.
    IShellItemArray* arrayOf(const std::vector<LPITEMIDLIST>& lists) {
        lists_.insert(lists_.end(), lists.begin(), lists.end());
        for (LPITEMIDLIST list : lists) EXPECT_NE(nullptr, list);
        std::vector<PCIDLIST_ABSOLUTE> items(lists.begin(), lists.end());
        IShellItemArray* array = nullptr;
        const HRESULT hr = SHCreateShellItemArrayFromIDLists(static_cast<UINT>(items.size()),
                                                             items.data(), &array);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        return array;
    }
    IShellItemArray* arrayOfNames(const std::vector<std::wstring>& names) {
        std::vector<LPITEMIDLIST> lists;
        for (const auto& name : names) lists.push_back(shellFolderIdList(folder_ + L"\\" + name));
        return arrayOf(lists);
    }
    static LPITEMIDLIST special(int csidl) {
        LPITEMIDLIST list = nullptr;
        const HRESULT hr = SHGetSpecialFolderLocation(nullptr, csidl, &list);
        EXPECT_EQ(S_OK, hr) << csidl << std::hex << " " << hr;
        return list;
    }

    std::wstring folder_;
    std::vector<LPITEMIDLIST> lists_;
};

// Each selection the classic handler gets as a data object, and as a folder for its
// background, copies the same through both commands.
TEST_F(RealItems, InvokeCopiesWhatTheContextMenuCopiesForTheSameSelection) {
    const std::vector<std::vector<std::wstring>> selections = {
        {L"報告書.txt"},
        {L"plain.txt", L"報告書.txt", L"caf\u00e9\u0175.txt"},
        {L"資料"},
        {L"src", L"plain.txt", L"資料"},
    };
    for (const auto& names : selections) {
        IShellItemArray* items = arrayOfNames(names);
        ASSERT_NE(nullptr, items);
        HRESULT hr = S_OK;
        IDataObject* data = shellDataObject(folder_, names, &hr);
        ASSERT_NE(nullptr, data) << std::hex << hr;
        for (const CommandKind& kind : kCommands) {
            EXPECT_EQ(ECS_ENABLED, stateFor(kind, items)) << kind.label << " " << names.size();
            const Clipboard classic = classicCopy(kind.offset, nullptr, data);
            EXPECT_NE(clipboard_probe::bytesOf("before\0"), classic.text);
            EXPECT_TRUE(commandCopy(kind, items) == classic)
                << kind.label << ", " << names.size() << " items from " << names[0].size();
        }
        data->Release();
        EXPECT_EQ(0u, items->Release());
    }
}

// A right-click on a folder's background gives the command an array of the folder itself.
TEST_F(RealItems, TheFolderBackgroundCopiesTheFolder) {
    for (const std::wstring& folder : {folder_, folder_ + L"\\資料"}) {
        LPITEMIDLIST list = shellFolderIdList(folder);
        ASSERT_NE(nullptr, list);
        IShellItemArray* items = arrayOf({list});
        ASSERT_NE(nullptr, items);
        for (const CommandKind& kind : kCommands) {
            EXPECT_EQ(ECS_ENABLED, stateFor(kind, items)) << kind.label;
            const Clipboard classic = classicCopy(kind.offset, list, nullptr);
            EXPECT_TRUE(commandCopy(kind, items) == classic) << kind.label;
            const std::wstring expected =
                kind.offset == CopyPaths ? folder : folder.substr(folder.rfind(L'\\') + 1);
            EXPECT_EQ(expected, clipboard_probe::readUnicodeText()) << kind.label;
        }
        EXPECT_EQ(0u, items->Release());
    }
}

// Items with no file-system path hide both commands, whatever the caller allows, and
// their Invoke copies nothing.
TEST_F(RealItems, VirtualFoldersAndNoItemsHideTheCommands) {
    IShellItemArray* controlPanel = arrayOf({special(CSIDL_CONTROLS)});
    IShellItemArray* computer = arrayOf({special(CSIDL_DRIVES)});
    IShellItemArray* both = arrayOf({special(CSIDL_DRIVES), special(CSIDL_CONTROLS)});
    FakeShellItemArray empty({});
    const struct {
        const char* label;
        IShellItemArray* items;
    } cases[] = {
        {"Control Panel", controlPanel}, {"My Computer", computer}, {"both", both},
        {"empty array", &empty},         {"no array", nullptr},
    };
    for (const auto& c : cases) {
        if (c.items == nullptr && std::string(c.label) != "no array") {
            ADD_FAILURE() << c.label << ": the shell made no array";
            continue;
        }
        for (const CommandKind& kind : kCommands) {
            for (const BOOL slow : {FALSE, TRUE}) {
                EXPECT_EQ(ECS_HIDDEN, stateFor(kind, c.items, slow))
                    << c.label << ", " << kind.label;
            }
            ASSERT_TRUE(clipboard_probe::seed("before"));
            IExplorerCommand* command = makeCommand(kind);
            ASSERT_NE(nullptr, command);
            const HRESULT hr = command->Invoke(c.items, nullptr);
            EXPECT_EQ(E_INVALIDARG, hr) << c.label << ", " << kind.label << std::hex << " " << hr;
            EXPECT_EQ(clipboard_probe::bytesOf("before\0"), clipboard_probe::read(CF_TEXT));
            command->Release();
        }
    }
    for (IShellItemArray* array : {controlPanel, computer, both}) {
        if (array) {
            EXPECT_EQ(0u, array->Release());
        }
    }
    EXPECT_EQ(0, empty.references());
}

// Wine's shell makes no item for a path past MAX_PATH: items of the test's own answer
// with one, beside an item with no path, which is left out as the drop list leaves it out.
TEST_F(RealItems, APathOfAnyLengthIsCopiedWholeAndEveryItemGivenBack) {
    const std::wstring longPath = folder_ + L"\\" + std::wstring(240, L'長') + L"_long.txt";
    const std::wstring shortPath = folder_ + L"\\plain.txt";
    FakeShellItem longItem(longPath), shortItem(shortPath), virtualItem;
    FakeShellItemArray items({&virtualItem, &longItem, &shortItem});
    FakeDataObject data(drop_block::wide({std::u16string(longPath.begin(), longPath.end()),
                                          std::u16string(shortPath.begin(), shortPath.end())}));
    for (const CommandKind& kind : kCommands) {
        EXPECT_EQ(ECS_ENABLED, stateFor(kind, &items)) << kind.label;
        const Clipboard classic = classicCopy(kind.offset, nullptr, &data);
        EXPECT_TRUE(commandCopy(kind, &items) == classic) << kind.label;
        const std::wstring copied = clipboard_probe::readUnicodeText();
        EXPECT_EQ(kind.offset == CopyPaths ? longPath + L"\r\n" + shortPath
                                           : longPath.substr(folder_.size() + 1) + L"\r\nplain.txt",
                  copied)
            << kind.label;
    }
    EXPECT_GT(longPath.size(), static_cast<std::size_t>(MAX_PATH));
    // GetState stops at the first item with a path: the last is asked by Invoke alone.
    EXPECT_EQ(2, shortItem.pathRequests());
    EXPECT_EQ(4, longItem.pathRequests());
    for (const FakeShellItem* item : {&virtualItem, &longItem, &shortItem}) {
        EXPECT_EQ(0, item->references());
    }
    EXPECT_EQ(0, items.references());
    EXPECT_EQ(0, data.references());
}

// The commands as tovak.dll serves them.
class ServedCommands : public ::testing::Test {
protected:
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(WINAPI*)();

    void SetUp() override {
        dll_ = LoadLibraryA("tovak.dll");
        ASSERT_NE(nullptr, dll_) << "LoadLibrary failed, error " << GetLastError();
        getClassObject_ = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(dll_, "DllGetClassObject")));
        canUnloadNow_ = reinterpret_cast<CanUnloadNow>(
            reinterpret_cast<void*>(GetProcAddress(dll_, "DllCanUnloadNow")));
        ASSERT_NE(nullptr, getClassObject_);
        ASSERT_NE(nullptr, canUnloadNow_);
    }
    void TearDown() override {
        if (canUnloadNow_) {
            EXPECT_EQ(S_OK, canUnloadNow_());
        }
        if (dll_) FreeLibrary(dll_);
    }

    HMODULE dll_ = nullptr;
    GetClassObject getClassObject_ = nullptr;
    CanUnloadNow canUnloadNow_ = nullptr;
};

// Each class object makes its command, whose icon is "<tovak.dll's path>,-<id>", the DLL's
// own icon resource; the module stays while a class object or a command is held.
TEST_F(ServedCommands, EachClassObjectMakesItsCommandAndTheModuleStaysWhileOneLives) {
    wchar_t dllPath[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameW(dll_, dllPath, MAX_PATH));
    for (const CommandKind& kind : kCommands) {
        void* out = kSentinel;
        HRESULT hr = getClassObject_(kind.clsid, IID_IClassFactory, &out);
        ASSERT_EQ(S_OK, hr) << kind.label << std::hex << " " << hr;
        auto* factory = static_cast<IClassFactory*>(out);
        EXPECT_EQ(S_FALSE, canUnloadNow_()) << kind.label << ": the class object is held";
        out = kSentinel;
        hr = factory->CreateInstance(nullptr, IID_IExplorerCommand, &out);
        ASSERT_EQ(S_OK, hr) << kind.label << std::hex << " " << hr;
        auto* command = static_cast<IExplorerCommand*>(out);
        EXPECT_EQ(1u, factory->Release()) << kind.label << ": the class table keeps its own";
        EXPECT_EQ(S_FALSE, canUnloadNow_()) << kind.label << ": the command lives";
        GUID name = GUID_NULL;
        EXPECT_EQ(S_OK, command->GetCanonicalName(&name));
        EXPECT_TRUE(IsEqualGUID(kind.clsid, name)) << kind.label;
        wchar_t* icon = kTextSentinel;
        hr = command->GetIcon(nullptr, &icon);
        EXPECT_EQ(S_OK, hr) << kind.label << std::hex << " " << hr;
        const std::wstring location = takeText(icon);
        EXPECT_EQ(std::wstring(dllPath) + L",-201", location) << kind.label;
        const int index = PathParseIconLocationW(&std::wstring(location)[0]);
        HICON large = nullptr;
        EXPECT_EQ(1u, ExtractIconExW(dllPath, index, &large, nullptr, 1)) << kind.label;
        if (large) DestroyIcon(large);
        EXPECT_EQ(0u, command->Release());
        EXPECT_EQ(S_OK, canUnloadNow_()) << kind.label;
    }
}

}  // namespace
