#include "setup/setup_dialog.h"

#include <string>
#include <vector>

#include "resources/setup_resource.h"
#include "setup/about_dialog.h"
#include "setup/administrator_rights.h"
#include "setup/child_process.h"
#include "common/paint_scope.h"
#include "setup/framework/system_menu.h"
#include "setup/icon_placement.h"
#include "setup/system_program.h"

SetupDialog::SetupDialog(const DialogContext& context)
    : Dialog(IDD_SETUP, context), icon_(LoadIconA(Instance(), MAKEINTRESOURCEA(IDI_SETUP))) {}

const MessageTable& SetupDialog::GetMessageTable() const {
    static const MessageEntry entries[] = {
        {WM_SYSCOMMAND, 0, 0, messageHandler(&SetupDialog::OnSysCommand)},
        {WM_PAINT, 0, 0, messageHandler(&SetupDialog::OnPaint)},
        {WM_QUERYDRAGICON, 0, 0, messageHandler(&SetupDialog::OnQueryDragIcon)},
        {WM_COMMAND, BN_CLICKED, IDC_ABOUT, messageHandler(&SetupDialog::OnAbout)},
        {WM_COMMAND, BN_CLICKED, IDC_INSTALL, messageHandler(&SetupDialog::OnInstall)},
        {WM_COMMAND, BN_CLICKED, IDC_UNINSTALL, messageHandler(&SetupDialog::OnUninstall)},
        {WM_HELP, 0, 0, messageHandler(&SetupDialog::OnHelp)},
    };
    static const MessageTable table(entries);
    return table;
}

BOOL SetupDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    AddAboutMenuEntry();
    SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    // The dialog manager gives the focus to the first tab stop, the install button.
    return TRUE;
}

// A separator and "TovakLite のﾊﾞｰｼﾞｮﾝ情報(&A)..." at the end of the system menu, both or
// neither.
void SetupDialog::AddAboutMenuEntry() {
    SystemMenu menu(Window());
    if (!menu.Exists()) return;
    const std::string text = ResourceString(IDS_ABOUT_MENU);
    if (text.empty()) return;
    menu.AppendSeparator();
    menu.AppendString(IDM_ABOUT, text.c_str());
}

void SetupDialog::OpenAboutBox() {
    AboutDialog about(OwnedContext());
    about.DoModal();
}

LRESULT SetupDialog::OnSysCommand(WPARAM command, LPARAM) {
    if ((command & 0xFFF0) == IDM_ABOUT) {
        OpenAboutBox();
    } else {
        Default();
    }
    return 0;
}

LRESULT SetupDialog::OnPaint(WPARAM, LPARAM) {
    if (!IsIconic(Window())) {
        Default();
        return 0;
    }
    PaintScope paint(Window());
    SendMessageA(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Dc()), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(Window(), &client);
    const POINT origin = centredIconOrigin(client, iconWidth, iconHeight);
    DrawIcon(paint.Dc(), origin.x, origin.y, icon_);
    return 0;
}

LRESULT SetupDialog::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon_); }

LRESULT SetupDialog::OnAbout(WPARAM, LPARAM) {
    OpenAboutBox();
    return 0;
}

LRESULT SetupDialog::OnInstall(WPARAM, LPARAM) {
    if (ShowMessage(IDS_ASK_INSTALL, MB_YESNO | MB_ICONQUESTION) == IDNO) return 0;
    if (!StartRegistration(IDS_INSTALL_COMMAND, IDS_INSTALL_USER_COMMAND, IDS_INSTALL_STARTED,
                           IDS_INSTALL_FAILED)) {
        return 0;
    }
    if (const auto package = windows11PackageCommands(Platform(), Instance())) {
        AddWindows11Menu(*package);
    }
    return 0;
}

LRESULT SetupDialog::OnUninstall(WPARAM, LPARAM) {
    if (ShowMessage(IDS_ASK_UNINSTALL, MB_YESNO | MB_ICONQUESTION) == IDNO) return 0;
    // The package's commands name the classes that regsvr32 /u is about to remove.
    if (const auto package = windows11PackageCommands(Platform(), Instance())) {
        RemoveWindows11Menu(*package);
    }
    StartRegistration(IDS_UNINSTALL_COMMAND, IDS_UNINSTALL_USER_COMMAND, IDS_UNINSTALL_STARTED,
                      IDS_UNINSTALL_FAILED);
    return 0;
}

bool SetupDialog::StartRegistration(UINT command, UINT userCommand, UINT started, UINT failed) {
    // Without administrator rights regsvr32 cannot write for every user; it is asked to
    // register for the current user alone.
    const UINT commandId = runsWithAdministratorRights(Platform()) ? command : userCommand;
    // CreateProcessA may write into its command line, so it gets a buffer of its own.
    const std::string text = ResourceString(commandId);
    std::vector<char> commandLine(text.begin(), text.end());
    commandLine.push_back('\0');

    // The system's own regsvr32, named by its full path: searched for by name, a
    // regsvr32.exe beside this program (a downloads folder) or in the current directory
    // would be found first and run with this program's rights.
    const std::string program = systemProgramPath(Platform(), "regsvr32.exe");
    if (!program.empty() && startChildProcess(Platform(), program.c_str(), commandLine.data())) {
        ShowMessage(started, MB_OK | MB_ICONINFORMATION);
        return true;
    }
    ShowMessage(failed, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool SetupDialog::RunPackageCommand(const Windows11PackageCommands& commands,
                                    const std::string& commandLine, std::string* failure) {
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    DWORD exitCode = 0;
    std::string output;
    if (!Platform().RunToEnd(commands.powerShell.c_str(), buffer.data(), &exitCode, &output)) {
        *failure = ResourceString(IDS_POWERSHELL_NOT_STARTED) + "\n" + commands.powerShell + "\n" +
                   (output.empty() ? std::to_string(exitCode) : output);
        return false;
    }
    if (exitCode == 0) return true;
    // PowerShell's own error text where it wrote one, else its exit code (a status such as
    // 0xC0000135 in hexadecimal).
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    if (!output.empty()) {
        *failure = output;
    } else {
        char code[16] = {};
        wsprintfA(code, exitCode > 0xFFFF ? "0x%08lX" : "%lu", exitCode);
        *failure = ResourceString(IDS_POWERSHELL_EXIT_CODE) + code;
    }
    return false;
}

void SetupDialog::AddWindows11Menu(const Windows11PackageCommands& commands) {
    std::string failure;
    if (RunPackageCommand(commands, commands.addCommand, &failure)) {
        ShowMessage(IDS_WINDOWS11_MENU_ADDED, MB_OK | MB_ICONINFORMATION);
    } else {
        ShowMessageWithDetail(IDS_WINDOWS11_MENU_NOT_ADDED, failure, MB_OK | MB_ICONEXCLAMATION);
    }
}

void SetupDialog::RemoveWindows11Menu(const Windows11PackageCommands& commands) {
    std::string failure;
    if (!RunPackageCommand(commands, commands.removeCommand, &failure)) {
        ShowMessageWithDetail(IDS_WINDOWS11_MENU_NOT_REMOVED, failure, MB_OK | MB_ICONEXCLAMATION);
    }
}

void SetupDialog::ShowMessageWithDetail(UINT textId, const std::string& detail, UINT style) const {
    ShowMessageText(ResourceString(textId) + "\n\n" + detail, style);
}

// F1: the help page in the current directory, opened by whatever the system associates
// with it. Nothing is reported when that fails.
LRESULT SetupDialog::OnHelp(WPARAM, LPARAM) {
    Platform().ShellExecuteA(nullptr, "open", "help.html", nullptr, nullptr, SW_SHOW);
    return TRUE;
}
