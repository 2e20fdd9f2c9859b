// The kind of menu item on each Windows version. This program is built three times, as
// menu_nt40_test, menu_win98_test and menu_win2k_test; the Wine session gives each of
// those names its Windows version (HKCU\Software\Wine\AppDefaults\<exe>\Version).
#include <windows.h>

#include <gtest/gtest.h>

#include "extension/menu_insertion.h"
#include "extension/windows_version.h"
#include "tests/extension/menu_probe.h"

namespace {

struct Expected {
    DWORD platform;
    DWORD major;
    DWORD minor;
    bool nt4;
};

#if defined(TOVAK_AS_NT40)
constexpr Expected kExpected = {VER_PLATFORM_WIN32_NT, 4, 0, true};
#elif defined(TOVAK_AS_WIN98)
constexpr Expected kExpected = {VER_PLATFORM_WIN32_WINDOWS, 4, 10, false};
#elif defined(TOVAK_AS_WIN2K)
constexpr Expected kExpected = {VER_PLATFORM_WIN32_NT, 5, 0, false};
#else
#error "build this program with one of TOVAK_AS_NT40, TOVAK_AS_WIN98, TOVAK_AS_WIN2K"
#endif

TEST(WindowsVersion, TheProgramRunsOnTheVersionItWasGiven) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(kExpected.platform, info.dwPlatformId);
    EXPECT_EQ(kExpected.major, info.dwMajorVersion);
    EXPECT_EQ(kExpected.minor, info.dwMinorVersion);
    EXPECT_EQ(kExpected.nt4, isWindowsNT4());
}

TEST(WindowsVersion, ItemsArePlainTextOnNt4AndOwnerDrawnElsewhere) {
    MenuProbe menu;
    UINT firstCommandId = 0;
    ASSERT_EQ(2, insertMenuItems(menu.handle(), 0, 50, 60, 0, firstCommandId));
    ASSERT_EQ(4, menu.count());
    for (int position : {0, 1}) {
        const UINT type = menu.type(position);
        EXPECT_EQ(kExpected.nt4, (type & MFT_OWNERDRAW) == 0) << "position " << position;
    }
    if (kExpected.nt4) {
        EXPECT_EQ(L"ファイル名をコピー", menu.text(0));
        EXPECT_EQ(L"フルパスをコピー", menu.text(1));
    }
}

}  // namespace
