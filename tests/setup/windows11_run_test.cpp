// A real run of TovakSetup.exe on a Wine that reports Windows 11, with TovakLite.msix
// beside the program in a folder whose name holds a quote. windows11_run.sh makes the
// prefix, of this run's own, without PowerShell (Wine 8's powershell.exe is a stub that
// ends with 0 whatever it is asked, and deploys no package), and the folder: the classic
// registration succeeds, and the tool says the Windows 11 menu could not be added.
#include <windows.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/setup/ansi_text.h"
#include "tests/setup/setup_driver.h"

namespace {

const char kClsidKey[] = "CLSID\\{73616E24-6788-4341-9EBC-F422B4988BDC}";
const int kInstall = 1001, kUninstall = 1002;

bool keyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The version RtlGetVersion reports, as "major.minor.build".
std::string reportedVersion() {
    using RtlGetVersion = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    const auto getVersion = reinterpret_cast<RtlGetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    RTL_OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!getVersion || getVersion(&version) != 0) return "none";
    return std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) +
           "." + std::to_string(version.dwBuildNumber);
}

// The text of the next box of `setup`, which is then closed with `button`; the box's
// style is told by which buttons it has.
std::wstring nextBox(RunningSetup& setup, int button) {
    HWND box = setup.waitForNewWindow();
    EXPECT_NE(nullptr, box) << "no box";
    if (!box) return std::wstring();
    EXPECT_EQ(L"Tovak", windowText(box));
    const std::wstring text = messageBoxText(box);
    EXPECT_TRUE(setup.answer(box, button));
    return text;
}

// A box's text in the test's output, in UTF-8.
void print(const char* what, const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], size, nullptr, nullptr);
    std::printf("%s:\n%s\n", what, utf8.c_str());
    std::fflush(stdout);
}

bool startsWith(const std::wstring& text, const char* utf8) {
    return text.rfind(wideFromUtf8(utf8), 0) == 0;
}

TEST(Windows11Run, ClassicRegistrationSucceedsAndTheMenuCannotBeAdded) {
    ASSERT_EQ("10.0.22000", reportedVersion()) << "the prefix does not report Windows 11";
    char folder[MAX_PATH] = {};
    ASSERT_NE(0u, GetEnvironmentVariableA("TOVAK_WINDOWS11_FOLDER", folder, MAX_PATH));
    if (keyExists(kClsidKey)) RegDeleteTreeA(HKEY_CLASSES_ROOT, kClsidKey);
    RunningSetup setup(std::string(folder) + "\\TovakSetup.exe", folder);
    ASSERT_NE(nullptr, setup.dialog()) << "error " << GetLastError();
    setup.click(kInstall);
    EXPECT_TRUE(startsWith(nextBox(setup, IDYES), u8"TovakLite をインストールしますか"));
    EXPECT_TRUE(startsWith(nextBox(setup, IDOK), u8"「 DllRegisterServer in tovak.dll"));
    const std::wstring notAdded = nextBox(setup, IDOK);
    print("install, the Windows 11 box", notAdded);
    EXPECT_TRUE(startsWith(notAdded,
                           u8"Windows 11 のエクスプローラのメニューに Tovak を追加でき"
                           u8"ませんでした。"))
        << notAdded.size() << " characters";
    // The tool waited for PowerShell; regsvr32, which it does not wait for, has written
    // every key once it has ended.
    setup.waitForChildren();
    EXPECT_TRUE(keyExists(kClsidKey)) << "the classic registration did not happen";

    setup.click(kUninstall);
    EXPECT_TRUE(startsWith(nextBox(setup, IDYES), u8"TovakLite をアンインストールしますか"));
    const std::wstring notRemoved = nextBox(setup, IDOK);
    print("uninstall, the Windows 11 box", notRemoved);
    EXPECT_TRUE(startsWith(notRemoved,
                           u8"Windows 11 のエクスプローラのメニューから Tovak を削除"
                           u8"できませんでした。"));
    EXPECT_TRUE(startsWith(nextBox(setup, IDOK), u8"「 DllUnregisterServer in tovak.dll"));
    setup.waitForChildren();
    EXPECT_FALSE(keyExists(kClsidKey)) << "regsvr32 /u did not remove the keys";

    setup.click(IDOK);
    DWORD exitCode = 99;
    EXPECT_TRUE(setup.waitForExit(300000, &exitCode));
    EXPECT_EQ(0u, exitCode);
}

}  // namespace
