#include "setup/setup_dialog.h"

#include <string>
#include <vector>

#include "resources/setup_resource.h"
#include "setup/about_dialog.h"
#include "setup/administrator_rights.h"
#include "setup/child_process.h"
#include "setup/framework/application.h"
#include "setup/framework/paint_scope.h"
#include "setup/framework/system_menu.h"
#include "setup/icon_placement.h"
#include "setup/system_program.h"

namespace {

HINSTANCE resourceInstance() {
    Application* application = currentApplication();
    return application ? application->resourceInstance() : GetModuleHandleA(nullptr);
}

std::string loadString(UINT id) {
    Application* application = currentApplication();
    return application ? application->loadString(id) : std::string();
}

int messageBox(UINT textId, UINT style) {
    Application* application = currentApplication();
    return application ? application->messageBox(textId, style) : 0;
}

}  // namespace

SetupDialog::SetupDialog()
    : Dialog(IDD_SETUP), icon_(LoadIconA(resourceInstance(), MAKEINTRESOURCEA(IDI_SETUP))) {}

const MessageTable& SetupDialog::messageTable() const {
    static const MessageEntry entries[] = {
        {WM_SYSCOMMAND, 0, 0, messageHandler(&SetupDialog::onSysCommand)},
        {WM_PAINT, 0, 0, messageHandler(&SetupDialog::onPaint)},
        {WM_QUERYDRAGICON, 0, 0, messageHandler(&SetupDialog::onQueryDragIcon)},
        {WM_COMMAND, BN_CLICKED, IDC_ABOUT, messageHandler(&SetupDialog::onAbout)},
        {WM_COMMAND, BN_CLICKED, IDC_INSTALL, messageHandler(&SetupDialog::onInstall)},
        {WM_COMMAND, BN_CLICKED, IDC_UNINSTALL, messageHandler(&SetupDialog::onUninstall)},
        {WM_HELP, 0, 0, messageHandler(&SetupDialog::onHelp)},
    };
    static const MessageTable table(entries);
    return table;
}

BOOL SetupDialog::OnInitDialog() {
    Dialog::OnInitDialog();
    addAboutMenuEntry();
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    // The dialog manager gives the focus to the first tab stop, the install button.
    return TRUE;
}

void SetupDialog::OnOK() { Dialog::OnOK(); }

void SetupDialog::OnCancel() { Dialog::OnCancel(); }

// A separator and "TovakLite のﾊﾞｰｼﾞｮﾝ情報(&A)..." at the end of the system menu, both or
// neither.
void SetupDialog::addAboutMenuEntry() {
    SystemMenu menu(hwnd());
    if (!menu.exists()) return;
    const std::string text = loadString(IDS_ABOUT_MENU);
    if (text.empty()) return;
    menu.appendSeparator();
    menu.appendString(IDM_ABOUT, text.c_str());
}

void SetupDialog::openAboutBox() {
    AboutDialog about;
    about.doModal();
}

LRESULT SetupDialog::onSysCommand(WPARAM command, LPARAM) {
    if ((command & 0xFFF0) == IDM_ABOUT) {
        openAboutBox();
    } else {
        Default();
    }
    return 0;
}

LRESULT SetupDialog::onPaint(WPARAM, LPARAM) {
    if (!IsIconic(hwnd())) {
        Default();
        return 0;
    }
    PaintScope paint(hwnd());
    SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.dc()), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(hwnd(), &client);
    const POINT origin = centredIconOrigin(client, iconWidth, iconHeight);
    DrawIcon(paint.dc(), origin.x, origin.y, icon_);
    return 0;
}

LRESULT SetupDialog::onQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(icon_); }

LRESULT SetupDialog::onAbout(WPARAM, LPARAM) {
    openAboutBox();
    return 0;
}

LRESULT SetupDialog::onInstall(WPARAM, LPARAM) {
    registrationCommand(IDS_ASK_INSTALL, IDS_INSTALL_COMMAND, IDS_INSTALL_USER_COMMAND,
                        IDS_INSTALL_STARTED, IDS_INSTALL_FAILED);
    return 0;
}

LRESULT SetupDialog::onUninstall(WPARAM, LPARAM) {
    registrationCommand(IDS_ASK_UNINSTALL, IDS_UNINSTALL_COMMAND, IDS_UNINSTALL_USER_COMMAND,
                        IDS_UNINSTALL_STARTED, IDS_UNINSTALL_FAILED);
    return 0;
}

void SetupDialog::registrationCommand(UINT question, UINT command, UINT userCommand, UINT started,
                                      UINT failed) {
    if (messageBox(question, MB_YESNO | MB_ICONQUESTION) == IDNO) return;

    // Without administrator rights regsvr32 cannot write for every user; it is asked to
    // register for the current user alone.
    const UINT commandId = runsWithAdministratorRights(platform()) ? command : userCommand;
    // CreateProcessA may write into its command line, so it gets a buffer of its own.
    const std::string text = loadString(commandId);
    std::vector<char> commandLine(text.begin(), text.end());
    commandLine.push_back('\0');

    // The system's own regsvr32, named by its full path: searched for by name, a
    // regsvr32.exe beside this program (a downloads folder) or in the current directory
    // would be found first and run with this program's rights.
    const std::string program = systemProgramPath(platform(), "regsvr32.exe");
    if (!program.empty() && startChildProcess(platform(), program.c_str(), commandLine.data())) {
        messageBox(started, MB_OK | MB_ICONINFORMATION);
    } else {
        messageBox(failed, MB_OK | MB_ICONEXCLAMATION);
    }
}

// F1: the help page in the current directory, opened by whatever the system associates
// with it. Nothing is reported when that fails.
LRESULT SetupDialog::onHelp(WPARAM, LPARAM) {
    platform().shellExecute(nullptr, "open", "help.html", nullptr, nullptr, SW_SHOW);
    return TRUE;
}
