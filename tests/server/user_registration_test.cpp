// Installing the shipped tovak.dll for the current user alone, as "regsvr32 /n /i:user"
// does through DllInstall: the class, its ProgIDs and its handler keys under
// HKCU\Software\Classes and none of them under the machine's classes, unregistration
// that removes them and keeps the shared keys, the type library, and the command lines
// DllInstall refuses.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/server/registry_reader.h"

namespace {

#define GOTOLIST "{73616E24-6788-4341-9EBC-F422B4988BDC}"
#define HALVINTLIB "{5AE522FE-2AA7-4E0C-BFCB-E083599D5648}"

const char kUserClasses[] = "Software\\Classes\\";
const char kMachineClasses[] = "Software\\Classes\\";
const char kClassKey[] = "CLSID\\" GOTOLIST;
const char kLibraryKey[] = "TypeLib\\" HALVINTLIB;
const char* const kClassKeys[] = {
    "CLSID\\" GOTOLIST,
    "Dunvoro.GotoList.1",
    "Dunvoro.GotoList",
    "*\\Shellex\\ContextMenuHandlers\\" GOTOLIST,
    "*\\Background\\Shellex\\ContextMenuHandlers\\" GOTOLIST,
    "Directory\\Shellex\\ContextMenuHandlers\\" GOTOLIST,
    "Directory\\Background\\Shellex\\ContextMenuHandlers\\" GOTOLIST,
};
const char* const kSharedKeys[] = {
    "CLSID",
    "*\\Shellex\\ContextMenuHandlers",
    "*\\Background\\Shellex\\ContextMenuHandlers",
    "Directory\\Shellex\\ContextMenuHandlers",
    "Directory\\Background\\Shellex\\ContextMenuHandlers",
};
const GUID kLibraryId = {
    0x5AE522FE, 0x2AA7, 0x4E0C, {0xBF, 0xCB, 0xE0, 0x83, 0x59, 0x9D, 0x56, 0x48}};

std::string distDll() { return windowsPathOf(TOVAK_DIST_DIR "/tovak.dll"); }
std::string user(const std::string& key) { return kUserClasses + key; }
std::string machine(const std::string& key) { return kMachineClasses + key; }

bool onWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// The path under which the platform finds the type library, or "" when it finds none.
std::string registeredLibraryPath() {
    BSTR path = nullptr;
    if (FAILED(QueryPathOfRegTypeLib(kLibraryId, 1, 0, 0, &path)) || !path) return std::string();
    std::string narrow;
    for (const OLECHAR* c = path; *c; ++c) narrow += static_cast<char>(*c);
    SysFreeString(path);
    return narrow;
}

void removeRegistration() {
    for (const char* key : kClassKeys) {
        deleteTree(HKEY_CURRENT_USER, user(key));
        deleteTree(HKEY_LOCAL_MACHINE, machine(key));
    }
    deleteTree(HKEY_CURRENT_USER, user(kLibraryKey));
    deleteTree(HKEY_LOCAL_MACHINE, machine(kLibraryKey));
}

using InstallFunction = HRESULT(WINAPI*)(BOOL, LPCWSTR);

class UserRegistration : public ::testing::Test {
protected:
    void SetUp() override {
        removeRegistration();
        dll_ = LoadLibraryA(distDll().c_str());
        ASSERT_NE(nullptr, dll_) << "LoadLibrary(" << distDll() << "), error " << GetLastError();
        install_ = reinterpret_cast<InstallFunction>(
            reinterpret_cast<void*>(GetProcAddress(dll_, "DllInstall")));
        ASSERT_NE(nullptr, install_) << "tovak.dll exports no DllInstall";
    }
    void TearDown() override {
        if (dll_) FreeLibrary(dll_);
        removeRegistration();
    }

    // Everything either kind of registration may touch.
    static std::string watched() {
        std::string all;
        for (const char* key : kClassKeys) {
            all += describe(snapshot(HKEY_CURRENT_USER, user(key)));
            all += describe(snapshot(HKEY_LOCAL_MACHINE, machine(key)));
        }
        return all + describe(snapshot(HKEY_CURRENT_USER, user(kLibraryKey))) +
               describe(snapshot(HKEY_LOCAL_MACHINE, machine(kLibraryKey)));
    }

    HMODULE dll_ = nullptr;
    InstallFunction install_ = nullptr;
};

TEST_F(UserRegistration, InstallsAndRemovesUnderTheUsersClassesOnly) {
    const std::string dll = distDll();
    const std::string regsvr32 = "\"" + nativeRegsvr32() + "\" /s /n ";
    const struct {
        const char* how;
        std::string install, uninstall;  // a regsvr32 command line, or a DllInstall argument
        bool throughRegsvr32;
    } ways[] = {
        {"DllInstall user", "user", "user", false},
        {"DllInstall USER / User", "USER", "User", false},
        {"regsvr32 /s /n /i:user", regsvr32 + "/i:user \"" + dll + "\"",
         regsvr32 + "/u /i:user \"" + dll + "\"", true},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        if (way.throughRegsvr32) {
            ASSERT_EQ(0u, runToEnd(way.install)) << way.install;
        } else {
            const std::wstring line(way.install.begin(), way.install.end());
            const HRESULT hr = install_(TRUE, line.c_str());
            ASSERT_EQ(S_OK, hr) << std::hex << hr;
        }

        const std::string inproc = user(kClassKey) + "\\InprocServer32";
        EXPECT_EQ(stringValue(shortPathOf(dll)), valuesOf(HKEY_CURRENT_USER, inproc)[""])
            << describe(snapshot(HKEY_CURRENT_USER, user(kClassKey)));
        EXPECT_EQ(stringValue("Apartment"), valuesOf(HKEY_CURRENT_USER, inproc)["ThreadingModel"]);
        EXPECT_EQ(stringValue("Tovak Dunvoro"), valuesOf(HKEY_CURRENT_USER, user(kClassKey))[""]);
        EXPECT_EQ(stringValue(HALVINTLIB),
                  valuesOf(HKEY_CURRENT_USER, user(kClassKey) + "\\TypeLib")[""]);
        EXPECT_EQ(stringValue("Tovak.1"),
                  valuesOf(HKEY_CURRENT_USER, user("Dunvoro.GotoList\\CurVer"))[""]);
        for (const char* key : kClassKeys) {
            EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, user(key))) << key;
            EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, machine(key)))
                << key << " appeared among the machine's classes";
        }
        EXPECT_EQ(dll, registeredLibraryPath());
        if (onWine()) {
            // Wine's RegisterTypeLibForUser registers for the whole machine.
            EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, machine(kLibraryKey)));
        } else {
            EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, user(kLibraryKey)));
            EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, machine(kLibraryKey)));
        }

        if (way.throughRegsvr32) {
            ASSERT_EQ(0u, runToEnd(way.uninstall)) << way.uninstall;
        } else {
            const std::wstring line(way.uninstall.begin(), way.uninstall.end());
            const HRESULT hr = install_(FALSE, line.c_str());
            ASSERT_EQ(S_OK, hr) << std::hex << hr;
        }
        for (const char* key : kClassKeys) {
            EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, user(key)))
                << describe(snapshot(HKEY_CURRENT_USER, user(key)));
        }
        for (const char* key : kSharedKeys) {
            EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, user(key))) << key << " was removed";
        }
        EXPECT_EQ("", registeredLibraryPath());
    }
}

TEST_F(UserRegistration, OtherCommandLinesChangeNothing) {
    ASSERT_EQ(S_OK, install_(TRUE, L"user"));
    const std::string before = watched();
    for (const wchar_t* line : {L"machine", L"users", L"user ", L" user", L"/i:user", L"u"}) {
        for (BOOL install : {TRUE, FALSE}) {
            const HRESULT hr = install_(install, line);
            EXPECT_EQ(E_INVALIDARG, hr) << std::hex << hr << " for " << install;
            EXPECT_EQ(before, watched()) << install;
        }
    }
    EXPECT_EQ(S_OK, install_(FALSE, L"user"));
}

// With no command line DllInstall registers as DllRegisterServer does: the machine's.
TEST_F(UserRegistration, NoCommandLineRegistersForTheMachine) {
    for (const wchar_t* line : {static_cast<const wchar_t*>(nullptr), L""}) {
        HRESULT hr = install_(TRUE, line);
        ASSERT_EQ(S_OK, hr) << std::hex << hr;
        for (const char* key : kClassKeys) {
            EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, machine(key))) << key;
            EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, user(key))) << key;
        }
        EXPECT_EQ(distDll(), registeredLibraryPath());
        hr = install_(FALSE, line);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        for (const char* key : kClassKeys) {
            EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, machine(key))) << key;
        }
        EXPECT_EQ("", registeredLibraryPath());
    }
}

}  // namespace
