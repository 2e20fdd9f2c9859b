// Installing the shipped tovak.dll for the current user alone through DllInstall, as
// "regsvr32 /n /i:user" does: the class, its ProgIDs and its handler keys under
// HKCU\Software\Classes and none of them among the machine's classes; unregistering
// removes them and keeps the shared keys; other command lines change nothing.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/server/registry_reader.h"

namespace {

#define GOTOLIST "{73616E24-6788-4341-9EBC-F422B4988BDC}"

const std::string kClasses = "Software\\Classes\\";  // beneath HKCU, or HKLM
const char* const kClassKeys[] = {
    "CLSID\\" GOTOLIST,
    "Dunvoro.GotoList.1",
    "Dunvoro.GotoList",
    "*\\Shellex\\ContextMenuHandlers\\" GOTOLIST,
    "*\\Background\\Shellex\\ContextMenuHandlers\\" GOTOLIST,
    "Directory\\Shellex\\ContextMenuHandlers\\" GOTOLIST,
    "Directory\\Background\\Shellex\\ContextMenuHandlers\\" GOTOLIST,
};
const GUID kLibraryId = {
    0x5AE522FE, 0x2AA7, 0x4E0C, {0xBF, 0xCB, 0xE0, 0x83, 0x59, 0x9D, 0x56, 0x48}};

std::string distDll() { return windowsPathOf(TOVAK_DIST_DIR "/tovak.dll"); }

// Where the platform finds the type library, or "" (Wine's RegisterTypeLibForUser
// registers it for the whole machine, Windows' for the user).
std::string registeredLibraryPath() {
    BSTR path = nullptr;
    if (FAILED(QueryPathOfRegTypeLib(kLibraryId, 1, 0, 0, &path)) || !path) return "";
    const std::string narrow(path, path + SysStringLen(path));
    SysFreeString(path);
    return narrow;
}

// Every key of the class, per user and for the machine.
std::string classKeys() {
    std::string all;
    for (const char* key : kClassKeys) {
        all += describe(snapshot(HKEY_CURRENT_USER, kClasses + key)) + "|" +
               describe(snapshot(HKEY_LOCAL_MACHINE, kClasses + key)) + "|";
    }
    return all;
}

class UserRegistration : public ::testing::Test {
protected:
    void SetUp() override {
        dll_ = LoadLibraryA(distDll().c_str());
        ASSERT_NE(nullptr, dll_) << distDll() << ", error " << GetLastError();
        install_ = reinterpret_cast<HRESULT(WINAPI*)(BOOL, LPCWSTR)>(
            reinterpret_cast<void*>(GetProcAddress(dll_, "DllInstall")));
        ASSERT_NE(nullptr, install_) << "no DllInstall";
    }
    void TearDown() override {
        if (dll_) FreeLibrary(dll_);
    }
    HMODULE dll_ = nullptr;
    HRESULT(WINAPI* install_)(BOOL, LPCWSTR) = nullptr;
};

TEST_F(UserRegistration, InstallsAndRemovesUnderTheUsersClassesOnly) {
    const std::string dll = distDll(), regsvr32 = "\"" + nativeRegsvr32() + "\" /s /n ";
    const struct {
        const wchar_t *install, *uninstall;  // DllInstall command lines, or null for regsvr32
    } ways[] = {{L"user", L"user"}, {L"USER", L"User"}, {nullptr, nullptr}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.install ? "DllInstall" : "regsvr32 /s /n /i:user, /u /s /n /i:user");
        if (way.install) {
            const HRESULT hr = install_(TRUE, way.install);
            ASSERT_EQ(S_OK, hr) << std::hex << hr;
        } else {
            ASSERT_EQ(0u, runToEnd(regsvr32 + "/i:user \"" + dll + "\""));
        }
        const std::string inproc = kClasses + "CLSID\\" GOTOLIST "\\InprocServer32";
        EXPECT_EQ(stringValue(shortPathOf(dll)), valuesOf(HKEY_CURRENT_USER, inproc)[""]);
        EXPECT_EQ(stringValue("Apartment"), valuesOf(HKEY_CURRENT_USER, inproc)["ThreadingModel"]);
        EXPECT_EQ(stringValue("Tovak.1"),
                  valuesOf(HKEY_CURRENT_USER, kClasses + "Dunvoro.GotoList\\CurVer")[""]);
        for (const char* key : kClassKeys) {
            EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kClasses + key)) << key;
            EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kClasses + key)) << key << " in HKLM";
        }
        EXPECT_EQ(dll, registeredLibraryPath());

        if (way.install) {
            const HRESULT hr = install_(FALSE, way.uninstall);
            ASSERT_EQ(S_OK, hr) << std::hex << hr;
        } else {
            ASSERT_EQ(0u, runToEnd(regsvr32 + "/u /i:user \"" + dll + "\""));
        }
        for (const char* key : kClassKeys) {
            EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kClasses + key)) << key;
        }
        // The keys other handlers share stay.
        EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, kClasses + "CLSID"));
        EXPECT_TRUE(keyExists(HKEY_CURRENT_USER,
                              kClasses + "Directory\\Background\\Shellex\\ContextMenuHandlers"));
        EXPECT_EQ("", registeredLibraryPath());
    }
}

TEST_F(UserRegistration, OtherCommandLinesChangeNothing) {
    ASSERT_EQ(S_OK, install_(TRUE, L"user"));
    const std::string before = classKeys();
    for (const wchar_t* line : {L"machine", L"users", L" user", L"/i:user"}) {
        for (BOOL install : {TRUE, FALSE}) {
            const HRESULT hr = install_(install, line);
            EXPECT_EQ(E_INVALIDARG, hr) << std::hex << hr;
            EXPECT_EQ(before, classKeys());
        }
    }
    EXPECT_EQ(S_OK, install_(FALSE, L"user"));
}

// No command line: what DllRegisterServer / DllUnregisterServer do.
TEST_F(UserRegistration, NoCommandLineRegistersForTheMachine) {
    for (const wchar_t* line : {static_cast<const wchar_t*>(nullptr), L""}) {
        ASSERT_EQ(S_OK, install_(TRUE, line));
        for (const char* key : kClassKeys) {
            EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kClasses + key)) << key;
            EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kClasses + key)) << key;
        }
        ASSERT_EQ(S_OK, install_(FALSE, line));
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kClasses + "CLSID\\" GOTOLIST));
    }
}

}  // namespace
