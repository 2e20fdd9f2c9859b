// What a right-click costs Explorer before the menu shows, in one process: LoadLibrary
// of the handler's DLL, DllGetClassObject, CreateInstance, Initialize with the shell's
// data object for one file, QueryContextMenu, WM_MEASUREITEM and WM_DRAWITEM of both
// items into a memory DC, every release, FreeLibrary. The floor is the same road through
// null_server.dll, a handler built in this tree that answers for the same interfaces and
// does nothing. Rounds of the two alternate, so that both see the same machine.
//
// Two kinds of right-click, side by side: cold, the DLL loaded for the round and freed
// after it; warm, the DLL kept loaded across rounds and a new handler made each round,
// as Explorer does for the minutes it keeps an extension loaded.
//
//   right_click_bench [path of tovak.dll] [path of null_server.dll] [rounds]
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/null_server/null_server_clsid.h"
#include "bench/performance_clock.h"
#include "tests/common/shell_selection.h"

namespace {

using GetClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

const CLSID kGotoListClsid = {
    0x73616E24, 0x6788, 0x4341, {0x9E, 0xBC, 0xF4, 0x22, 0xB4, 0x98, 0x8B, 0xDC}};

constexpr UINT kFirstId = 1;

// The steps of one right-click, timed one by one.
enum Step {
    kLoad,
    kClassObject,
    kCreate,
    kInitialize,
    kQueryContextMenu,
    kMeasureDraw,
    kRelease,
    kSteps
};
const char* const kStepNames[kSteps] = {
    "LoadLibrary",      "DllGetClassObject", "CreateInstance",       "Initialize",
    "QueryContextMenu", "measure + draw",    "release + FreeLibrary"};

enum Kind { kCold, kWarm, kKinds };
const char* const kKindNames[kKinds] = {"cold (DLL loaded for the round)",
                                        "warm (DLL kept loaded, a new handler)"};

struct Server {
    const char* name;
    std::wstring path;
    const CLSID* clsid;
    HMODULE kept = nullptr;  // the DLL held across the warm rounds
    std::vector<double> samples[kKinds];
    double steps[kKinds][kSteps] = {};  // each step's total time over the measured rounds
};

// The items' measuring and drawing, as the menu's window asks for them.
void measureAndDraw(IContextMenu3* handler, HMENU menu, HDC dc) {
    for (UINT id = kFirstId; id < kFirstId + 2; ++id) {
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_DATA;
        GetMenuItemInfoW(menu, id, FALSE, &item);
        LRESULT result = 0;
        MEASUREITEMSTRUCT measure = {ODT_MENU, 0, id, 0, 0, item.dwItemData};
        handler->HandleMenuMsg2(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), &result);
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = id;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = id == kFirstId ? ODS_SELECTED : 0;
        draw.hwndItem = reinterpret_cast<HWND>(menu);
        draw.hDC = dc;
        draw.rcItem = {0, static_cast<LONG>(20 * (id - kFirstId)), 150,
                       static_cast<LONG>(20 * (id - kFirstId + 1))};
        draw.itemData = item.dwItemData;
        handler->HandleMenuMsg2(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), &result);
    }
}

// One right-click through `server`, each step's time added to `steps`; the HRESULT of
// the first step that failed, or QueryContextMenu's. Warm, the server's kept DLL serves
// and stays loaded.
HRESULT rightClick(const Server& server, Kind kind, IDataObject* selection, HDC dc, double* steps) {
    double mark = nowMs();
    auto lap = [&](Step step) {
        const double now = nowMs();
        steps[step] += now - mark;
        mark = now;
    };
    HMODULE dll = kind == kWarm ? server.kept : LoadLibraryW(server.path.c_str());
    if (!dll) return HRESULT_FROM_WIN32(GetLastError());
    lap(kLoad);
    auto getClassObject = reinterpret_cast<GetClassObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject ? getClassObject(*server.clsid, IID_IClassFactory,
                                                 reinterpret_cast<void**>(&factory))
                                : E_NOINTERFACE;
    lap(kClassObject);
    IShellExtInit* init = nullptr;
    if (SUCCEEDED(hr)) {
        hr = factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init));
    }
    lap(kCreate);
    if (SUCCEEDED(hr)) hr = init->Initialize(nullptr, selection, nullptr);
    lap(kInitialize);
    IContextMenu3* handler = nullptr;
    if (SUCCEEDED(hr)) {
        hr = init->QueryInterface(IID_IContextMenu3, reinterpret_cast<void**>(&handler));
    }
    HMENU menu = CreatePopupMenu();
    if (SUCCEEDED(hr)) hr = handler->QueryContextMenu(menu, 0, kFirstId, 0x7FFF, CMF_NORMAL);
    lap(kQueryContextMenu);
    if (handler) measureAndDraw(handler, menu, dc);
    lap(kMeasureDraw);
    DestroyMenu(menu);
    if (handler) handler->Release();
    if (init) init->Release();
    if (factory) factory->Release();
    if (kind == kCold) FreeLibrary(dll);
    lap(kRelease);
    return hr;
}

double percentile(std::vector<double> samples, double fraction) {
    std::sort(samples.begin(), samples.end());
    return samples[static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1))];
}

std::wstring besideProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

std::wstring wide(const char* text) {
    std::wstring out;
    while (*text) out += static_cast<wchar_t>(static_cast<unsigned char>(*text++));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    Server tovak{
        "tovak.dll", argc > 1 ? wide(argv[1]) : besideProgram(L"tovak.dll"), &kGotoListClsid, {}};
    Server floor{"null_server.dll",
                 argc > 2 ? wide(argv[2]) : besideProgram(L"null_server.dll"),
                 &kNullHandlerClsid,
                 {}};
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 200;

    OleInitialize(nullptr);
    // What Explorer has loaded all the time; without them, every FreeLibrary of the
    // handler would unload its imports too and every LoadLibrary load them again.
    for (const wchar_t* resident :
         {L"advapi32.dll", L"comctl32.dll", L"gdi32.dll", L"msvcrt.dll", L"ole32.dll",
          L"oleaut32.dll", L"shell32.dll", L"shlwapi.dll", L"user32.dll"}) {
        LoadLibraryW(resident);
    }
    const std::wstring folder = makeTempFolder(L"rclick");
    createFile(folder + L"\\report.txt");
    HRESULT hr = E_FAIL;
    IDataObject* selection = shellDataObject(folder, {L"report.txt"}, &hr);
    if (!selection) {
        std::fprintf(stderr, "no data object from the shell: 0x%08lX\n",
                     static_cast<unsigned long>(hr));
        return 1;
    }
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 150, 40);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);

    // Two rounds of each unmeasured: the system DLLs both load are then in memory.
    for (Server* server : {&tovak, &floor}) {
        double ignored[kSteps] = {};
        for (int i = 0; i < 2; ++i) hr = rightClick(*server, kCold, selection, dc, ignored);
        std::printf("%-16s QueryContextMenu -> 0x%08lX\n", server->name,
                    static_cast<unsigned long>(hr));
        if (FAILED(hr)) return 1;
    }
    // Blocks of cold rounds and blocks of warm rounds take turns, each block with the two
    // servers in turn, so that both kinds see the same machine. Only a warm block keeps
    // the DLLs loaded.
    constexpr int kBlock = 20;
    for (int done = 0; done < rounds; done += kBlock) {
        const int block = std::min(kBlock, rounds - done);
        for (int kind = 0; kind < kKinds; ++kind) {
            if (kind == kWarm) {
                for (Server* server : {&tovak, &floor}) {
                    server->kept = LoadLibraryW(server->path.c_str());
                    if (!server->kept) return 1;
                }
            }
            for (int i = 0; i < block; ++i) {
                for (Server* server : {&tovak, &floor}) {
                    const double start = nowMs();
                    rightClick(*server, Kind(kind), selection, dc, server->steps[kind]);
                    server->samples[kind].push_back(nowMs() - start);
                }
            }
            if (kind == kWarm) {
                for (Server* server : {&tovak, &floor}) FreeLibrary(server->kept);
            }
        }
    }

    std::printf("one right-click on one file, %d rounds each (ms: median, 10%%-90%% range)\n",
                rounds);
    for (int kind = 0; kind < kKinds; ++kind) {
        std::printf("%s\n", kKindNames[kind]);
        for (const Server* server : {&tovak, &floor}) {
            const std::vector<double>& samples = server->samples[kind];
            std::printf("  %-16s %8.3f   %8.3f - %8.3f\n", server->name, percentile(samples, 0.5),
                        percentile(samples, 0.1), percentile(samples, 0.9));
        }
        std::printf("  ratio tovak.dll / null_server.dll: %.2f\n",
                    percentile(tovak.samples[kind], 0.5) / percentile(floor.samples[kind], 0.5));
    }
    std::printf("mean per step (ms):       %10s %16s %10s %16s\n", "cold tovak", "cold null",
                "warm tovak", "warm null");
    for (int step = 0; step < kSteps; ++step) {
        std::printf("  %-22s %10.3f %16.3f %10.3f %16.3f\n", kStepNames[step],
                    tovak.steps[kCold][step] / rounds, floor.steps[kCold][step] / rounds,
                    tovak.steps[kWarm][step] / rounds, floor.steps[kWarm][step] / rounds);
    }

    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    selection->Release();
    removeTree(folder);
    OleUninitialize();
    return 0;
}
