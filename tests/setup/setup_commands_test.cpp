// The setup dialog's commands and the About box with the platform calls faked: no child
// process starts and no message box shows.
#include <windows.h>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "resources/setup_resource.h"
#include "setup/about_dialog.h"
#include "setup/icon_placement.h"
#include "setup/setup_app.h"
#include "setup/setup_dialog.h"
#include "tests/setup/ansi_text.h"
#include "tests/setup/fake_platform_calls.h"

namespace {

const char kAskInstall[] = u8"TovakLite をインストールしますか？";
const char kAskUninstall[] = u8"TovakLite をアンインストールしますか？";
const char kInstallStarted[] =
    u8"「 DllRegisterServer in tovak.dll succeeded. 」\nというメッセージボックスが表示されれば "
    u8"Tovak のインストールに成功しています。\nエクスプローラでファイルやフォルダを右クリックして"
    u8"Tovakメニューが追加されたか確認してください。";
const char kUninstallStarted[] =
    u8"「 DllUnregisterServer in tovak.dll succeeded. 」\nというメッセージボックスが表示されれば "
    u8"Tovak のアンインストールが完了しています。\nその他の場合はエラーメッセージにしたがって"
    u8"再度アンインストールしてください。";
const char kFailed[] =
    u8"TovakLite のインストールに失敗しました。\nTovakSetup.exe と同じフォルダに tovak.dll "
    u8"が存在するか確認してください。";

// The application as the program starts it, "Tovak" by now, with the fake in place.
class SetupCommands : public ::testing::Test {
protected:
    void SetUp() override {
        app.SetPlatform(fake);
        app.Run();
        ASSERT_STREQ("Tovak", app.Name());
        fake.dialogs.clear();
        fake.dialogOwners.clear();
    }

    LRESULT click(Dialog& dialog, UINT id, bool expectHandled = true) {
        LRESULT result = -1;
        EXPECT_EQ(expectHandled, dialog.Dispatch(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0, result))
            << "control " << id;
        return result;
    }

    void expectBox(std::size_t index, const char* utf8Text, UINT style) {
        ASSERT_LT(index, fake.messageBoxes.size());
        const FakePlatformCalls::MessageBoxCall& box = fake.messageBoxes[index];
        EXPECT_EQ(ansiFromUtf8(utf8Text), box.text) << "box " << index;
        EXPECT_EQ("Tovak", box.caption) << "box " << index;
        EXPECT_EQ(style, box.style) << "box " << index << std::hex << " style 0x" << box.style;
    }

    FakePlatformCalls fake;
    SetupApp app;
};

TEST(SetupStartUp, NamesTheApplicationAfterTheExecutableThenTovak) {
    class Probe : public Application {
    public:
        BOOL InitInstance() override {
            nameAtStart = Name();
            return FALSE;
        }
        std::string nameAtStart;
    } probe;
    EXPECT_EQ(nullptr, probe.Name());
    EXPECT_EQ(0, probe.Run());
    EXPECT_EQ("setup_commands_test", probe.nameAtStart);
    probe.SetName("Other");
    EXPECT_STREQ("Other", probe.Name());
}

TEST(SetupStartUp, RunsTheSetupDialogWithoutOwnerAndShowsNothingElse) {
    FakePlatformCalls fake;
    SetupApp app;
    app.SetPlatform(fake);
    EXPECT_EQ(0, app.Run());
    EXPECT_STREQ("Tovak", app.Name());
    ASSERT_EQ(1u, fake.dialogs.size());
    EXPECT_EQ(static_cast<UINT_PTR>(IDD_SETUP), fake.dialogs[0]);
    EXPECT_EQ(nullptr, fake.dialogOwners[0]);
    EXPECT_TRUE(fake.messageBoxes.empty());
    EXPECT_TRUE(fake.processes.empty());
}

TEST_F(SetupCommands, AnsweringNoStartsNothing) {
    SetupDialog dialog(app.MainDialogContext());
    fake.answers = {IDNO};
    EXPECT_EQ(0, click(dialog, IDC_INSTALL));
    fake.answers = {IDNO};
    EXPECT_EQ(0, click(dialog, IDC_UNINSTALL));

    EXPECT_TRUE(fake.processes.empty());
    ASSERT_EQ(2u, fake.messageBoxes.size());
    expectBox(0, kAskInstall, MB_YESNO | MB_ICONQUESTION);
    expectBox(1, kAskUninstall, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(0x24u, fake.messageBoxes[0].style);
}

TEST_F(SetupCommands, YesStartsExactlyOneRegsvr32AndSaysSo) {
    SetupDialog dialog(app.MainDialogContext());
    fake.answers = {IDYES};
    click(dialog, IDC_INSTALL);

    ASSERT_EQ(1u, fake.processes.size());
    const FakePlatformCalls::ProcessCall& child = fake.processes[0];
    EXPECT_EQ("regsvr32 /c tovak.dll", child.commandLine);
    EXPECT_EQ("C:\\WINDOWS\\system32\\regsvr32.exe", child.applicationName)
        << "the system's regsvr32, never one found by searching";
    EXPECT_TRUE(child.securityNull);
    EXPECT_EQ(FALSE, child.inheritHandles);
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), child.creationFlags);
    EXPECT_TRUE(child.environmentNull);
    EXPECT_TRUE(child.currentDirectoryNull) << "the child inherits the current directory";
    EXPECT_EQ(sizeof(STARTUPINFOA), child.startup.cb);
#ifndef _WIN64
    EXPECT_EQ(68u, child.startup.cb);
#endif
    STARTUPINFOA zeros = {};
    zeros.cb = child.startup.cb;
    EXPECT_EQ(0, memcmp(&zeros, &child.startup, sizeof(zeros))) << "only cb is set";

    ASSERT_EQ(2u, fake.messageBoxes.size());
    expectBox(0, kAskInstall, 0x24);
    expectBox(1, kInstallStarted, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(0x40u, fake.messageBoxes[1].style);
}

TEST_F(SetupCommands, UninstallStartsItsOwnCommandLine) {
    SetupDialog dialog(app.MainDialogContext());
    fake.answers = {IDYES};
    click(dialog, IDC_UNINSTALL);

    ASSERT_EQ(1u, fake.processes.size());
    EXPECT_EQ("regsvr32 /c /u tovak.dll", fake.processes[0].commandLine);
    ASSERT_EQ(2u, fake.messageBoxes.size());
    expectBox(0, kAskUninstall, 0x24);
    expectBox(1, kUninstallStarted, 0x40);
}

// The command lines by the rights the process has: the token's elevation where the
// system reports one, else membership of Administrators, else (no tokens at all) the
// rights every program has on such a system. The questions and messages stay the same.
TEST_F(SetupCommands, CommandLinesFollowTheRightsOfTheProcess) {
    const char kAdminInstall[] = "regsvr32 /c tovak.dll";
    const char kAdminUninstall[] = "regsvr32 /c /u tovak.dll";
    const char kUserInstall[] = "regsvr32 /c /n /i:user tovak.dll";
    const char kUserUninstall[] = "regsvr32 /c /u /n /i:user tovak.dll";
    const struct {
        const char* what;
        std::optional<bool> elevation;
        std::optional<bool> administratorsMember;
        const char* install;
        const char* uninstall;
    } rows[] = {
        {"elevated", true, false, kAdminInstall, kAdminUninstall},
        {"not elevated, filtered administrator", false, true, kUserInstall, kUserUninstall},
        {"not elevated", false, std::nullopt, kUserInstall, kUserUninstall},
        {"before Vista, administrator", std::nullopt, true, kAdminInstall, kAdminUninstall},
        {"before Vista, standard user", std::nullopt, false, kUserInstall, kUserUninstall},
        {"no tokens (Windows 9x)", std::nullopt, std::nullopt, kAdminInstall, kAdminUninstall},
    };
    SetupDialog dialog(app.MainDialogContext());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fake.elevation = row.elevation;
        fake.administratorsMember = row.administratorsMember;
        fake.processes.clear();
        fake.messageBoxes.clear();
        fake.answers = {IDYES};
        click(dialog, IDC_INSTALL);
        fake.answers = {IDYES};
        click(dialog, IDC_UNINSTALL);

        ASSERT_EQ(2u, fake.processes.size());
        EXPECT_EQ(row.install, fake.processes[0].commandLine);
        EXPECT_EQ(row.uninstall, fake.processes[1].commandLine);
        for (const FakePlatformCalls::ProcessCall& child : fake.processes) {
            EXPECT_EQ("C:\\WINDOWS\\system32\\regsvr32.exe", child.applicationName);
        }
        ASSERT_EQ(4u, fake.messageBoxes.size());
        expectBox(0, kAskInstall, 0x24);
        expectBox(1, kInstallStarted, 0x40);
        expectBox(2, kAskUninstall, 0x24);
        expectBox(3, kUninstallStarted, 0x40);
    }
}

// Without the system folder there is no regsvr32 to name: nothing is started (no search
// by name instead) and the start is reported failed.
TEST_F(SetupCommands, UnreadableSystemFolderStartsNothing) {
    for (const std::string& folder : {std::string(), std::string(MAX_PATH, 'C')}) {
        SCOPED_TRACE(folder.size());
        fake.systemFolder = folder;
        fake.messageBoxes.clear();
        SetupDialog dialog(app.MainDialogContext());
        fake.answers = {IDYES};
        click(dialog, IDC_INSTALL);
        EXPECT_TRUE(fake.processes.empty());
        ASSERT_EQ(2u, fake.messageBoxes.size());
        expectBox(1, kFailed, MB_OK | MB_ICONEXCLAMATION);
    }
}

TEST_F(SetupCommands, OnlyNoStopsTheCommand) {
    SetupDialog dialog(app.MainDialogContext());
    fake.answers = {IDOK};
    click(dialog, IDC_INSTALL);
    EXPECT_EQ(1u, fake.processes.size());
}

TEST_F(SetupCommands, FailedStartShowsTheSameWarningForBothCommands) {
    SetupDialog dialog(app.MainDialogContext());
    fake.processStarts = FALSE;
    fake.answers = {IDYES};
    click(dialog, IDC_INSTALL);
    fake.answers = {IDYES};
    click(dialog, IDC_UNINSTALL);

    ASSERT_EQ(2u, fake.processes.size());
    ASSERT_EQ(4u, fake.messageBoxes.size());
    expectBox(1, kFailed, MB_OK | MB_ICONEXCLAMATION);
    expectBox(3, kFailed, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(0x30u, fake.messageBoxes[3].style);
}

TEST_F(SetupCommands, EachConfirmedCommandStartsOneMoreChild) {
    SetupDialog dialog(app.MainDialogContext());
    for (int i = 1; i <= 3; ++i) {
        fake.answers = {IDYES};
        click(dialog, IDC_INSTALL);
        EXPECT_EQ(static_cast<std::size_t>(i), fake.processes.size());
    }
    EXPECT_EQ(6u, fake.messageBoxes.size());
}

TEST_F(SetupCommands, F1OpensHelpHtmlAndIsAlwaysHandled) {
    SetupDialog dialog(app.MainDialogContext());
    LRESULT result = 0;
    ASSERT_TRUE(dialog.Dispatch(WM_HELP, 0, 0, result));
    EXPECT_EQ(TRUE, result) << "handled although the shell failed";
    ASSERT_EQ(1u, fake.shellCalls.size());
    const FakePlatformCalls::ShellCall& call = fake.shellCalls[0];
    EXPECT_EQ(nullptr, call.owner);
    EXPECT_FALSE(call.verbNull);
    EXPECT_EQ("open", call.verb);
    EXPECT_EQ("help.html", call.file);
    EXPECT_TRUE(call.parametersNull);
    EXPECT_TRUE(call.directoryNull);
    EXPECT_EQ(SW_SHOW, call.showCommand);
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(SetupCommands, AboutBoxOpensForSystemCommandsTenToOneF) {
    SetupDialog dialog(app.MainDialogContext());
    for (UINT command = 0x0010; command <= 0x001F; ++command) {
        fake.dialogs.clear();
        LRESULT result = -1;
        EXPECT_TRUE(dialog.Dispatch(WM_SYSCOMMAND, command, 0, result)) << std::hex << command;
        ASSERT_EQ(1u, fake.dialogs.size()) << std::hex << command;
        EXPECT_EQ(static_cast<UINT_PTR>(IDD_ABOUT), fake.dialogs[0]);
    }
}

TEST_F(SetupCommands, OtherSystemCommandsGoToDefaultProcessing) {
    SetupDialog dialog(app.MainDialogContext());
    const UINT others[] = {0x0000,  0x000F,      0x0020,     0x0110, SC_CLOSE,
                           SC_MOVE, SC_MINIMIZE, SC_KEYMENU, 0xF011};
    for (UINT command : others) {
        LRESULT result = -1;
        EXPECT_FALSE(dialog.Dispatch(WM_SYSCOMMAND, command, 0, result)) << std::hex << command;
    }
    EXPECT_TRUE(fake.dialogs.empty());
}

TEST_F(SetupCommands, AboutButtonOpensAFreshAboutBoxEachTime) {
    SetupDialog dialog(app.MainDialogContext());
    click(dialog, IDC_ABOUT);
    click(dialog, IDC_ABOUT);
    ASSERT_EQ(2u, fake.dialogs.size());
    EXPECT_EQ(static_cast<UINT_PTR>(IDD_ABOUT), fake.dialogs[1]);
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(SetupCommands, UnknownControlsAndNotificationsAreNotHandled) {
    SetupDialog dialog(app.MainDialogContext());
    click(dialog, 1003, false);
    LRESULT result = 0;
    EXPECT_FALSE(dialog.Dispatch(WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_SETFOCUS), 0, result));
    EXPECT_TRUE(fake.messageBoxes.empty());
    EXPECT_TRUE(fake.processes.empty());
}

TEST_F(SetupCommands, DragIconIsTheProgramIcon) {
    SetupDialog dialog(app.MainDialogContext());
    // The program icon is a shared resource: loading it again gives the same handle.
    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SETUP));
    ASSERT_NE(nullptr, icon);
    LRESULT result = 0;
    ASSERT_TRUE(dialog.Dispatch(WM_QUERYDRAGICON, 0, 0, result));
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), result);
}

TEST_F(SetupCommands, PaintWhenNotMinimizedGoesToDefaultProcessing) {
    SetupDialog dialog(app.MainDialogContext());
    LRESULT result = 0;
    EXPECT_FALSE(dialog.Dispatch(WM_PAINT, 0, 0, result));
}

TEST_F(SetupCommands, SiteButtonOpensTheAddressAndKeepsTheBoxOpen) {
    AboutDialog about(app.MainDialogContext());
    click(about, IDC_SITE);
    click(about, IDC_SITE);
    ASSERT_EQ(2u, fake.shellCalls.size());
    for (const FakePlatformCalls::ShellCall& call : fake.shellCalls) {
        EXPECT_EQ(nullptr, call.owner);
        EXPECT_TRUE(call.verbNull) << "the address's default action";
        EXPECT_EQ("http://tovaklite.example.invalid/", call.file);
        EXPECT_TRUE(call.parametersNull);
        EXPECT_TRUE(call.directoryNull);
        EXPECT_EQ(SW_SHOW, call.showCommand);
    }
    EXPECT_TRUE(fake.dialogs.empty());
    click(about, IDC_ABOUT, false);
}

TEST(MinimizedIcon, IsCentredInTheClientArea) {
    RECT client = {0, 0, 32, 32};
    POINT origin = centredIconOrigin(client, 32, 32);
    EXPECT_EQ(0, origin.x);
    EXPECT_EQ(0, origin.y);

    client = {0, 0, 33, 34};
    origin = centredIconOrigin(client, 32, 32);
    EXPECT_EQ(1, origin.x);
    EXPECT_EQ(1, origin.y);

    client = {0, 0, 160, 100};
    origin = centredIconOrigin(client, 32, 32);
    EXPECT_EQ(64, origin.x);
    EXPECT_EQ(34, origin.y);
}

TEST(MinimizedIcon, NarrowerClientTruncatesTowardZero) {
    // (30 - 32 + 1) / 2 is -1 / 2: 0, not -1; (28 - 32 + 1) / 2 is -3 / 2: -1.
    RECT client = {0, 0, 30, 28};
    const POINT origin = centredIconOrigin(client, 32, 32);
    EXPECT_EQ(0, origin.x);
    EXPECT_EQ(-1, origin.y);
}

}  // namespace
