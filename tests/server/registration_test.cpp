// Self-registration of the shipped tovak.dll through regsvr32 of the test's own
// architecture: exactly the keys and values of the class, its ProgIDs and its four
// handler registrations, plus the type library; what unregistration removes and what
// it leaves; repeated registration; strangers' keys; a module path with a quote.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/server/registry_reader.h"

namespace {

#define GOTOLIST "{73616E24-6788-4341-9EBC-F422B4988BDC}"
#define HALVINTLIB "{5AE522FE-2AA7-4E0C-BFCB-E083599D5648}"

const char kClassKey[] = "CLSID\\" GOTOLIST;
const char kProgId[] = "Dunvoro.GotoList.1";
const char kIndependentProgId[] = "Dunvoro.GotoList";
const char kLibraryKey[] = "TypeLib\\" HALVINTLIB;
const char kLibraryVersionKey[] = "TypeLib\\" HALVINTLIB "\\1.0";
#ifdef _WIN64
#define kLibraryPlatformKey "TypeLib\\" HALVINTLIB "\\1.0\\0\\win64"
#else
#define kLibraryPlatformKey "TypeLib\\" HALVINTLIB "\\1.0\\0\\win32"
#endif
const char* const kHandlerParents[] = {
    "*\\Shellex\\ContextMenuHandlers",
    "*\\Background\\Shellex\\ContextMenuHandlers",
    "Directory\\Shellex\\ContextMenuHandlers",
    "Directory\\Background\\Shellex\\ContextMenuHandlers",
};
// Every key that the script names with NoRemove.
const char* const kNoRemoveKeys[] = {
    "*",
    "*\\Shellex",
    "*\\Shellex\\ContextMenuHandlers",
    "*\\Background",
    "*\\Background\\Shellex",
    "*\\Background\\Shellex\\ContextMenuHandlers",
    "Directory",
    "Directory\\Shellex",
    "Directory\\Shellex\\ContextMenuHandlers",
    "Directory\\Background",
    "Directory\\Background\\Shellex",
    "Directory\\Background\\Shellex\\ContextMenuHandlers",
    "CLSID",
};

std::string handlerKey(const char* parent) { return std::string(parent) + "\\" GOTOLIST; }

std::string distDll() { return windowsPathOf(TOVAK_DIST_DIR "/tovak.dll"); }

DWORD regsvr32(const std::string& dll, bool unregister = false) {
    return runToEnd("\"" + nativeRegsvr32() + "\" /s " + (unregister ? "/u " : "") + "\"" + dll +
                    "\"");
}

RegistryTree expectedClassKey(const std::string& modulePath) {
    return RegistryTree{
        {"", {{"", stringValue("Tovak Dunvoro")}}},
        {"ProgID", {{"", stringValue("Tovak.1")}}},
        {"VersionIndependentProgID", {{"", stringValue("Tovak")}}},
        {"Programmable", {}},
        {"InprocServer32",
         {{"", stringValue(shortPathOf(modulePath))},
          {"ThreadingModel", stringValue("Apartment")}}},
        {"TypeLib", {{"", stringValue(HALVINTLIB)}}},
    };
}

const RegistryTree kExpectedProgId = {
    {"", {{"", stringValue("Tovak")}}},
    {"CLSID", {{"", stringValue(GOTOLIST)}}},
};

const RegistryTree kExpectedIndependentProgId = {
    {"", {{"", stringValue("Tovak")}}},
    {"CLSID", {{"", stringValue(GOTOLIST)}}},
    {"CurVer", {{"", stringValue("Tovak.1")}}},
};

// Everything registration may touch, for "changes nothing" comparisons.
struct Watched {
    RegistryTree progId, independentProgId, classKey, library, star, directory;
    bool operator==(const Watched& other) const {
        return progId == other.progId && independentProgId == other.independentProgId &&
               classKey == other.classKey && library == other.library && star == other.star &&
               directory == other.directory;
    }
};

Watched watched() {
    return Watched{
        snapshot(HKEY_CLASSES_ROOT, kProgId),   snapshot(HKEY_CLASSES_ROOT, kIndependentProgId),
        snapshot(HKEY_CLASSES_ROOT, kClassKey), snapshot(HKEY_CLASSES_ROOT, kLibraryKey),
        snapshot(HKEY_CLASSES_ROOT, "*"),       snapshot(HKEY_CLASSES_ROOT, "Directory")};
}

std::string describe(const Watched& w) {
    return "[ProgID]\n" + describe(w.progId) + "[independent ProgID]\n" +
           describe(w.independentProgId) + "[class]\n" + describe(w.classKey) + "[TypeLib]\n" +
           describe(w.library) + "[*]\n" + describe(w.star) + "[Directory]\n" +
           describe(w.directory);
}

// The registration of the type library of the module at `path`.
void expectLibraryRegisteredFor(const std::string& path) {
    EXPECT_EQ(stringValue("Halvint 1.0 Type Library"),
              valuesOf(HKEY_CLASSES_ROOT, kLibraryVersionKey)[""])
        << describe(snapshot(HKEY_CLASSES_ROOT, kLibraryKey));
    std::string platform = std::string(kLibraryVersionKey) + "\\0\\win32";
#ifdef _WIN64
    if (keyExists(HKEY_CLASSES_ROOT, std::string(kLibraryVersionKey) + "\\0\\win64")) {
        platform = std::string(kLibraryVersionKey) + "\\0\\win64";
    }
#endif
    EXPECT_EQ(stringValue(path), valuesOf(HKEY_CLASSES_ROOT, platform)[""])
        << describe(snapshot(HKEY_CLASSES_ROOT, kLibraryKey));
    EXPECT_EQ(stringValue(path.substr(0, path.find_last_of('\\') + 1)),
              valuesOf(HKEY_CLASSES_ROOT, std::string(kLibraryVersionKey) + "\\HELPDIR")[""]);
}

// A REG_SZ value read wide, so that characters outside the ANSI code page survive.
std::wstring wideValue(HKEY root, const std::wstring& path) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return L"(none)";
    }
    return value;
}

void removeRegistration() {
    deleteTree(HKEY_CLASSES_ROOT, kProgId);
    deleteTree(HKEY_CLASSES_ROOT, kIndependentProgId);
    deleteTree(HKEY_CLASSES_ROOT, kClassKey, KEY_WOW64_32KEY);
    deleteTree(HKEY_CLASSES_ROOT, kClassKey, KEY_WOW64_64KEY);
    deleteTree(HKEY_CLASSES_ROOT, kLibraryKey);
    for (const char* parent : kHandlerParents) deleteTree(HKEY_CLASSES_ROOT, handlerKey(parent));
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override { removeRegistration(); }
    void TearDown() override { removeRegistration(); }
};

TEST_F(Registration, RegisterWritesExactlyTheClassProgIdsHandlersAndTypeLibrary) {
    const std::string dll = distDll();
    ASSERT_EQ(0u, regsvr32(dll)) << "regsvr32 /s " << dll;

    EXPECT_EQ(expectedClassKey(dll), snapshot(HKEY_CLASSES_ROOT, kClassKey))
        << describe(snapshot(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_EQ(kExpectedProgId, snapshot(HKEY_CLASSES_ROOT, kProgId))
        << describe(snapshot(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_EQ(kExpectedIndependentProgId, snapshot(HKEY_CLASSES_ROOT, kIndependentProgId))
        << describe(snapshot(HKEY_CLASSES_ROOT, kIndependentProgId));
    for (const char* parent : kHandlerParents) {
        EXPECT_EQ((RegistryTree{{"", {}}}), snapshot(HKEY_CLASSES_ROOT, handlerKey(parent)))
            << parent;
    }
    expectLibraryRegisteredFor(dll);
}

TEST_F(Registration, UnregisterRemovesTheEntriesAndKeepsTheNoRemoveKeys) {
    // *\Background is made by registration where it is missing, and stays.
    deleteTree(HKEY_CLASSES_ROOT, "*\\Background");
    const std::string dll = distDll();
    ASSERT_EQ(0u, regsvr32(dll));
    ASSERT_TRUE(keyExists(HKEY_CLASSES_ROOT, kClassKey));
    ASSERT_EQ(0u, regsvr32(dll, true)) << "regsvr32 /s /u " << dll;

    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kClassKey))
        << describe(snapshot(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kIndependentProgId));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kLibraryVersionKey))
        << describe(snapshot(HKEY_CLASSES_ROOT, kLibraryKey));
    for (const char* parent : kHandlerParents) {
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, handlerKey(parent))) << parent;
    }
    for (const char* key : kNoRemoveKeys) {
        EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, key)) << key;
    }
    EXPECT_EQ((RegistryTree{{"", {}}}),
              snapshot(HKEY_CLASSES_ROOT, "*\\Background\\Shellex\\ContextMenuHandlers"));
}

TEST_F(Registration, OtherHandlersAreLeftAlone) {
    const std::string other = "TovakTestOtherHandler";
    for (const char* parent : kHandlerParents) {
        ASSERT_TRUE(writeString(HKEY_CLASSES_ROOT, std::string(parent) + "\\" + other, "",
                                "{00000000-1111-2222-3333-444444444444}"));
    }
    const std::string dll = distDll();
    EXPECT_EQ(0u, regsvr32(dll));
    for (const char* parent : kHandlerParents) {
        EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, handlerKey(parent))) << parent;
    }
    EXPECT_EQ(0u, regsvr32(dll, true));
    for (const char* parent : kHandlerParents) {
        const std::string key = std::string(parent) + "\\" + other;
        EXPECT_EQ(
            (RegistryTree{{"", {{"", stringValue("{00000000-1111-2222-3333-444444444444}")}}}}),
            snapshot(HKEY_CLASSES_ROOT, key))
            << key;
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, handlerKey(parent))) << parent;
        deleteTree(HKEY_CLASSES_ROOT, key);
    }
}

TEST_F(Registration, RegisteringAgainReplacesTheClassKeyAndKeepsProgIdExtras) {
    const std::string dll = distDll();
    ASSERT_EQ(0u, regsvr32(dll));
    ASSERT_TRUE(writeString(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\Stranger", "", "x"));
    ASSERT_TRUE(
        writeString(HKEY_CLASSES_ROOT, std::string(kIndependentProgId) + "\\Stranger", "", "y"));
    ASSERT_EQ(0u, regsvr32(dll));

    EXPECT_EQ(expectedClassKey(dll), snapshot(HKEY_CLASSES_ROOT, kClassKey))
        << describe(snapshot(HKEY_CLASSES_ROOT, kClassKey));
    RegistryTree withStranger = kExpectedIndependentProgId;
    withStranger["Stranger"] = {{"", stringValue("y")}};
    EXPECT_EQ(withStranger, snapshot(HKEY_CLASSES_ROOT, kIndependentProgId))
        << describe(snapshot(HKEY_CLASSES_ROOT, kIndependentProgId));
    for (const char* parent : kHandlerParents) {
        EXPECT_EQ((RegistryTree{{"", {}}}), snapshot(HKEY_CLASSES_ROOT, handlerKey(parent)))
            << parent;
    }

    // A ProgID key holding a key the script does not name survives unregistration.
    ASSERT_EQ(0u, regsvr32(dll, true));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, std::string(kIndependentProgId) + "\\Stranger"))
        << describe(snapshot(HKEY_CLASSES_ROOT, kIndependentProgId));
}

TEST_F(Registration, UnregisteringWhatIsNotRegisteredSucceedsAndChangesNothing) {
    const Watched before = watched();
    EXPECT_EQ(0u, regsvr32(distDll(), true));
    const Watched after = watched();
    EXPECT_TRUE(before == after) << "before:\n"
                                 << describe(before) << "after:\n"
                                 << describe(after);
}

// The DLL copied into folders whose paths are awkward for it, registered and
// unregistered there as regsvr32 does it: a quote that the registry script must
// carry, a name the ANSI code page cannot spell, and a path longer than MAX_PATH. The
// registry script takes the short path everywhere; LoadTypeLib refuses a path longer
// than MAX_PATH, and registration then reports its error with the script's keys
// written.
TEST_F(Registration, AwkwardInstallFoldersRegisterAndUnregister) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring deep = L"\\" + std::wstring(60, L'd');
    const struct {
        std::wstring folder;
        bool libraryLoads;
    } cases[] = {
        {std::wstring(temp) + L"o'q", true},
        {std::wstring(temp) + L"\u2603 \uD55C\uAD6D\uC5B4", true},
        {std::wstring(temp) + L"tovak-long" + deep + deep + deep + deep, false},
    };
    for (const auto& c : cases) {
        const std::wstring& folder = c.folder;
        SCOPED_TRACE(::testing::Message() << "folder of " << folder.size() << " characters");
        std::vector<std::wstring> made;
        for (std::size_t cut = folder.find(L'\\', wcslen(temp)); cut != std::wstring::npos;
             cut = folder.find(L'\\', cut + 1)) {
            made.push_back(folder.substr(0, cut));
        }
        made.push_back(folder);
        for (const std::wstring& step : made) CreateDirectoryW(step.c_str(), nullptr);
        const std::wstring dll = folder + L"\\tovak.dll";
        const std::string distPath = distDll();
        const std::wstring source(distPath.begin(), distPath.end());
        ASSERT_TRUE(CopyFileW(source.c_str(), dll.c_str(), FALSE)) << "error " << GetLastError();

        HMODULE module = LoadLibraryW(dll.c_str());
        ASSERT_NE(nullptr, module) << "error " << GetLastError();
        using Export = HRESULT(WINAPI*)();
        auto exported = [module](const char* name) {
            return reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module, name)));
        };
        HRESULT hr = exported("DllRegisterServer")();
        EXPECT_EQ(c.libraryLoads ? S_OK : TYPE_E_CANTLOADLIBRARY, hr) << std::hex << hr;
        wchar_t shortPath[MAX_PATH] = {};
        GetShortPathNameW(dll.c_str(), shortPath, MAX_PATH);
        const std::string ansiShortPath(shortPath, shortPath + wcslen(shortPath));
        EXPECT_EQ(stringValue(ansiShortPath),
                  valuesOf(HKEY_CLASSES_ROOT, std::string(kClassKey) + "\\InprocServer32")[""])
            << describe(snapshot(HKEY_CLASSES_ROOT, kClassKey));
        if (c.libraryLoads) {
            EXPECT_EQ(dll, wideValue(HKEY_CLASSES_ROOT, std::wstring(L"" kLibraryPlatformKey)))
                << describe(snapshot(HKEY_CLASSES_ROOT, kLibraryKey));
            EXPECT_EQ(folder + L"\\",
                      wideValue(HKEY_CLASSES_ROOT, L"TypeLib\\" HALVINTLIB "\\1.0\\HELPDIR"));
        }

        hr = exported("DllUnregisterServer")();
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kClassKey));
        EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kLibraryVersionKey));
        EXPECT_EQ(S_OK, exported("DllCanUnloadNow")());
        FreeLibrary(module);
        DeleteFileW(dll.c_str());
        for (auto step = made.rbegin(); step != made.rend(); ++step) {
            RemoveDirectoryW(step->c_str());
        }
    }
}

// On a 64-bit system each architecture's DLL registers its class in its own registry
// view; the handler keys and the type library's key are shared by both views.
TEST_F(Registration, BothArchitecturesRegisterSideBySide) {
    const char* wine32 = std::getenv("TOVAK_WINE32");
    if (wine32 && std::string(wine32) == "no") {
        GTEST_SKIP() << "this machine runs no 32-bit programs: the x86 DLL cannot be registered";
    }
    const std::string dll = distDll();
    const std::string otherDll = windowsPathOf(TOVAK_OTHER_DIST_DIR "/tovak.dll");
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(otherDll.c_str()))
        << otherDll << " is missing: build both architectures";
#ifdef _WIN64
    const REGSAM ownView = KEY_WOW64_64KEY, otherView = KEY_WOW64_32KEY;
#else
    const REGSAM ownView = KEY_WOW64_32KEY, otherView = KEY_WOW64_64KEY;
#endif
    const std::string runOther = "\"" + otherArchitectureRegsvr32() + "\" /s ";
    ASSERT_EQ(0u, runToEnd(runOther + "\"" + otherDll + "\""));
    ASSERT_EQ(0u, regsvr32(dll));

    const std::string inproc = std::string(kClassKey) + "\\InprocServer32";
    EXPECT_EQ(stringValue(shortPathOf(dll)), valuesOf(HKEY_CLASSES_ROOT, inproc, ownView)[""]);
    EXPECT_EQ(stringValue(shortPathOf(otherDll)),
              valuesOf(HKEY_CLASSES_ROOT, inproc, otherView)[""]);
    EXPECT_EQ(expectedClassKey(dll), snapshot(HKEY_CLASSES_ROOT, kClassKey, ownView));
    EXPECT_EQ(expectedClassKey(otherDll), snapshot(HKEY_CLASSES_ROOT, kClassKey, otherView));
    // Each architecture's type library is registered for its own platform.
#ifdef _WIN64
    const std::string ownPlatform = "\\0\\win64", otherPlatform = "\\0\\win32";
#else
    const std::string ownPlatform = "\\0\\win32", otherPlatform = "\\0\\win64";
#endif
    EXPECT_EQ(stringValue(dll), valuesOf(HKEY_CLASSES_ROOT, kLibraryVersionKey + ownPlatform)[""])
        << describe(snapshot(HKEY_CLASSES_ROOT, kLibraryKey));
    EXPECT_EQ(stringValue(otherDll),
              valuesOf(HKEY_CLASSES_ROOT, kLibraryVersionKey + otherPlatform)[""]);

    // COM of this architecture finds this architecture's DLL.
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromString(L"" GOTOLIST, &clsid));
    IUnknown* handler = nullptr;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                        reinterpret_cast<void**>(&handler));
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    if (handler) handler->Release();
    CoUninitialize();

    // Unregistering one architecture leaves the other's class in place.
    EXPECT_EQ(0u, runToEnd(runOther + "/u \"" + otherDll + "\""));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kClassKey, otherView));
    EXPECT_EQ(expectedClassKey(dll), snapshot(HKEY_CLASSES_ROOT, kClassKey, ownView));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kLibraryVersionKey + otherPlatform));
    EXPECT_EQ(stringValue(dll), valuesOf(HKEY_CLASSES_ROOT, kLibraryVersionKey + ownPlatform)[""])
        << describe(snapshot(HKEY_CLASSES_ROOT, kLibraryKey));
}

}  // namespace
