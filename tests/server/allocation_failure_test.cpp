// Every allocation of a right-click and of self-registration made to fail in turn. The
// DLL's own pieces, its exports and its resources are built into this program, whose
// operator new fails on request (the shipped DLL has no such hook): the first run fails
// allocation 1, the next allocation 2, and so on until a run completes. Each run must
// end with an HRESULT from every entry point and give back every module lock,
// reference, registry key and handle it took.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <shlobj.h>
#include <winternl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/exception_boundary.h"
#include "extension/handler_state.h"
#include "extension/menu_texts.h"
#include "extension/selection_capture.h"
#include "halvint.h"
#include "resources/resource_ids.h"
#include "server/registration_script.h"
#include "tests/common/counting_unknown.h"
#include "tests/common/failing_allocator.h"
#include "tests/common/fake_data_object.h"
#include "tests/common/drop_block.h"
#include "tests/extension/clipboard_probe.h"
#include "tests/server/registry_reader.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

constexpr long kMostAllocations = 5000;

const std::vector<std::u16string> kFive = {u"C:\\1.txt", u"C:\\2.txt", u"C:\\3.txt", u"C:\\4.txt",
                                           u"C:\\5.txt"};

// The handles this process holds, as the system's handle table lists them.
ULONG processHandles() {
    struct Entry {
        ULONG process;
        UCHAR type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    std::vector<char> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(
            static_cast<SYSTEM_INFORMATION_CLASS>(16),  // SystemHandleInformation
            buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<NTSTATUS>(0xC0000004)) {  // STATUS_INFO_LENGTH_MISMATCH
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) return 0;
        break;
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
    ULONG mine = 0;
    for (ULONG i = 0; i < count; ++i) mine += entries[i].process == GetCurrentProcessId();
    return mine;
}

// The results of one run's calls, kept without allocating while allocations fail.
class Calls {
public:
    template <class Call>
    HRESULT operator()(Call call) {
        HRESULT hr = E_FAIL;
        try {
            hr = call();
        } catch (...) {
            threw_ = true;  // an exception crossed an entry point
        }
        if (count_ < kMost) results_[count_++] = hr;
        return hr;
    }
    bool threw() const { return threw_; }
    int failures() const {
        int n = 0;
        for (int i = 0; i < count_; ++i) n += FAILED(results_[i]);
        return n;
    }

private:
    static constexpr int kMost = 32;
    HRESULT results_[kMost] = {};
    int count_ = 0;
    bool threw_ = false;
};

// Sweeps `run` (which takes a Calls) until a run completes. `prepare` runs before each
// run and `check` after it, with no allocation failing. When `countHandles` is set, a
// run whose allocation failed must leave the process's handle count as it found it.
template <class Prepare, class Run, class Check>
void sweep(Prepare prepare, Run run, Check check, bool countHandles) {
    for (long n = 1; n <= kMostAllocations; ++n) {
        prepare();
        const ULONG handles = countHandles ? processHandles() : 0;
        Calls calls;
        failAllocation(n);
        run(calls);
        const bool failed = stopFailingAllocations();
        SCOPED_TRACE(::testing::Message() << "allocation " << n << " failed");
        EXPECT_FALSE(calls.threw());
        if (countHandles && failed) {
            EXPECT_EQ(handles, processHandles());
        }
        check();
        if (!failed) {
            std::printf("completed at run %ld: %ld allocations failed in turn\n", n, n - 1);
            EXPECT_EQ(0, calls.failures()) << "the run that completed";
            EXPECT_GT(n, 1) << "the road allocates nothing";
            return;
        }
        if (::testing::Test::HasFailure()) return;
    }
    ADD_FAILURE() << "no run completed";
}

// The first sweep opens what the system keeps open once any road has opened it; the
// second counts handles.
template <class Prepare, class Run, class Check>
void sweepTwice(Prepare prepare, Run run, Check check) {
    sweep(prepare, run, check, false);
    sweep(prepare, run, check, true);
}

template <class Interface>
Interface* query(Calls& call, IUnknown* object, REFIID iid) {
    void* out = nullptr;
    call([&] { return object->QueryInterface(iid, &out); });
    return static_cast<Interface*>(out);
}

// What the user sees of a right-click: the answers of the calls that show something.
struct Seen {
    HRESULT initialize = E_FAIL, help = E_FAIL, copy = E_FAIL;
    char helpText[80] = {};
};

// One right-click as the shell makes it, through the exports.
void rightClick(Calls& call, IDataObject* data, IUnknown* site, HMENU menu, HDC dc, Seen& seen) {
    IClassFactory* factory = nullptr;
    call([&] {
        return DllGetClassObject(CLSID_GotoList, IID_IClassFactory,
                                 reinterpret_cast<void**>(&factory));
    });
    if (!factory) return;
    IUnknown* handler = nullptr;
    call([&] {
        return factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&handler));
    });
    factory->Release();
    if (!handler) return;
    auto* init = query<IShellExtInit>(call, handler, IID_IShellExtInit);
    auto* menu3 = query<IContextMenu3>(call, handler, IID_IContextMenu3);
    auto* withSite = query<IObjectWithSite>(call, handler, IID_IObjectWithSite);
    auto* dispatch = query<IGotoList>(call, handler, IID_IGotoList);
    handler->Release();
    if (init) seen.initialize = call([&] { return init->Initialize(nullptr, data, nullptr); });
    if (menu3) {
        call([&] {
            const HRESULT hr = menu3->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL);
            return hr == 2 ? S_OK : E_FAIL;
        });
        MEASUREITEMSTRUCT measure{ODT_MENU, 0, 1, 0, 0, 0};
        LRESULT result = 0;
        call([&] {
            return menu3->HandleMenuMsg2(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure),
                                         &result);
        });
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = 2;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = ODS_SELECTED;
        draw.hDC = dc;
        draw.rcItem = {0, 0, 150, 20};
        call([&] { return menu3->HandleMenuMsg(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)); });
        seen.help = call([&] {
            return menu3->GetCommandString(1, GCS_HELPTEXTA, nullptr, seen.helpText,
                                           sizeof seen.helpText);
        });
        CMINVOKECOMMANDINFO invoke = {};
        invoke.cbSize = sizeof invoke;
        invoke.lpVerb = MAKEINTRESOURCEA(1);
        seen.copy = call([&] { return menu3->InvokeCommand(&invoke); });
        menu3->Release();
    }
    if (withSite) {
        call([&] { return withSite->SetSite(site); });
        IUnknown* got = nullptr;
        call([&] { return withSite->GetSite(IID_IUnknown, reinterpret_cast<void**>(&got)); });
        if (got) got->Release();
        withSite->Release();
    }
    if (dispatch) {
        OLECHAR name[] = L"QueryInterface";
        LPOLESTR names[] = {name};
        DISPID id = 0;
        call([&] { return dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id); });
        dispatch->Release();
    }
    if (init) init->Release();
}

// This program as the DLL: its module state set up and torn down around each run, so
// every run walks the same road (the class object and the type information are made
// anew).
class ModuleScope {
public:
    ModuleScope() { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr); }
    ~ModuleScope() { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, nullptr); }
    ModuleScope(const ModuleScope&) = delete;
    ModuleScope& operator=(const ModuleScope&) = delete;
};

std::wstring thisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST(AllocationFailure, EveryAllocationOfARightClick) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    // HALVINTLib from this program's resources, for the IDispatch calls.
    ITypeLib* library = nullptr;
    ASSERT_EQ(S_OK, LoadTypeLibEx(thisProgram().c_str(), REGKIND_NONE, &library));
    std::wstring path = thisProgram();
    ASSERT_EQ(S_OK, RegisterTypeLib(library, &path[0], nullptr));
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
    const TLIBATTR registered = *attributes;
    library->ReleaseTLibAttr(attributes);
    library->Release();

    FakeDataObject data(drop_block::wide(kFive));
    char help[80] = {};
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(kHelpTexts[CopyPaths]), -1,
                        help, sizeof help, nullptr, nullptr);
    Seen seen;
    CountingUnknown site;
    HMENU menu = CreatePopupMenu();
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 160, 40);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const auto walk = [&](Calls& calls) {
        while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
        const ModuleScope module;
        seen = Seen();
        rightClick(calls, &data, &site, menu, dc, seen);
    };
    // Whatever failed, the user never gets a shorter list, or a shorter help text, with
    // success: either the whole text or a failed call.
    const auto afterEachRun = [&] {
        EXPECT_EQ(S_OK, DllCanUnloadNow());
        EXPECT_EQ(0, data.references());
        EXPECT_EQ(0, site.references());
        if (seen.help == S_OK) {
            EXPECT_STREQ(help, seen.helpText);
        }
        if (seen.initialize == S_OK && seen.copy == S_OK) {
            EXPECT_EQ(L"C:\\1.txt\r\nC:\\2.txt\r\nC:\\3.txt\r\nC:\\4.txt\r\nC:\\5.txt",
                      clipboard_probe::readUnicodeText());
        }
    };
    sweepTwice([] { ASSERT_TRUE(clipboard_probe::seed("before")); }, walk, afterEachRun);

    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    DestroyMenu(menu);
    UnRegisterTypeLib(registered.guid, registered.wMajorVerNum, registered.wMinorVerNum,
                      registered.lcid, registered.syskind);
    CoUninitialize();
}

// Every allocation of taking a selection of five, from a wide and from an ANSI drop list:
// Initialize takes all five, or fails with E_OUTOFMEMORY and keeps the selection it had.
TEST(AllocationFailure, EveryAllocationOfTakingASelection) {
    std::vector<std::string> ansi;
    for (const auto& path : kFive) ansi.emplace_back(path.begin(), path.end());
    for (const auto& block : {drop_block::wide(kFive), drop_block::ansi(ansi)}) {
        FakeDataObject before(drop_block::wide({u"C:\\before.txt"})), data(block);
        std::unique_ptr<HandlerState> state;
        HRESULT hr = E_FAIL;
        sweep(
            [&] {
                state = std::make_unique<HandlerState>(nullptr);
                ASSERT_EQ(S_OK,
                          captureSelection(nullptr, &before, state->dataObject, state->selection));
            },
            [&](Calls& call) {
                // Behind the boundary that Initialize puts around it.
                hr = call([&] {
                    return comBoundary([&] {
                        return captureSelection(nullptr, &data, state->dataObject,
                                                state->selection);
                    });
                });
            },
            [&] {
                EXPECT_TRUE(hr == S_OK || hr == E_OUTOFMEMORY) << std::hex << hr;
                std::vector<std::u16string> selection;
                for (int i = 0; i < state->selection.Count(); ++i) {
                    selection.emplace_back(state->selection[i]);
                }
                EXPECT_EQ(hr == S_OK ? kFive : std::vector<std::u16string>{u"C:\\before.txt"},
                          selection);
            },
            false);
    }
}

// What registration writes, from the registry script and the type library.
bool anythingRegistered() {
    const char* const keys[] = {
        "CLSID\\{73616E24-6788-4341-9EBC-F422B4988BDC}",
        "Dunvoro.GotoList",
        "Dunvoro.GotoList.1",
        "*\\Shellex\\ContextMenuHandlers\\{73616E24-6788-4341-9EBC-F422B4988BDC}",
        "Directory\\Background\\Shellex\\ContextMenuHandlers\\"
        "{73616E24-6788-4341-9EBC-F422B4988BDC}",
        "TypeLib\\{5AE522FE-2AA7-4E0C-BFCB-E083599D5648}\\1.0",
    };
    for (const char* key : keys) {
        if (keyExists(HKEY_CLASSES_ROOT, key)) return true;
    }
    return false;
}

// The handles are counted around the run alone: Wine's RegisterTypeLib and
// UnRegisterTypeLib keep a few open for good, and the runs that fail never reach them.
TEST(AllocationFailure, EveryAllocationOfRegistrationAndUnregistration) {
    const ModuleScope module;
    const auto afterEachRun = [] {
        EXPECT_EQ(S_OK, DllCanUnloadNow());
        // Whatever the run left, a complete unregistration removes.
        EXPECT_EQ(S_OK, DllUnregisterServer());
        EXPECT_FALSE(anythingRegistered());
    };
    sweepTwice([] {}, [](Calls& call) { call([] { return DllRegisterServer(); }); }, afterEachRun);
    sweepTwice([] { applyRegistrationResource(IDR_GOTOLIST_SCRIPT, true, nullptr); },
               [](Calls& call) {
                   call([] {
                       // Unregistration reports no failure, whatever memory does.
                       return DllUnregisterServer() == S_OK ? S_OK : E_FAIL;
                   });
               },
               afterEachRun);
}

}  // namespace
