// A real run of dist/<arch>/TovakSetup.exe under Wine, driven from this process: the
// commands start the real regsvr32 on the real tovak.dll, message boxes are answered by
// their button ids, and every process started here is ended on every path.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/setup/ansi_text.h"
#include "tests/setup/setup_driver.h"
#include "tovak_version.h"

namespace {

const char kClsidKey[] = "CLSID\\{73616E24-6788-4341-9EBC-F422B4988BDC}";
const int kInstall = 1001, kUninstall = 1002, kAbout = 1000, kSite = 1004;
const UINT kAboutCommand = 0x0010;

// Z:\ is the root of the Linux file system in the Wine prefix.
std::string windowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string distDirectory() { return windowsPath(TOVAK_DIST_DIR); }
std::string setupProgram() { return distDirectory() + "\\TovakSetup.exe"; }

std::string testBinDirectory() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path);
    return directory.substr(0, directory.find_last_of('\\'));
}

bool keyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A record that another process has finished writing: each line ends with its newline.
bool wholeLines(const std::string& text) { return !text.empty() && text.back() == '\n'; }

// A fresh, empty folder under %TEMP% for one test; removed with its files afterwards.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* name) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + name + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA((path_ + "\\" + found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Points ".html" at help_viewer_stub.exe for the life of the object, then restores the
// previous association.
class HtmlViewerAssociation {
public:
    HtmlViewerAssociation() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".html", 0, KEY_READ, &key) == ERROR_SUCCESS) {
            char value[256] = {};
            DWORD size = sizeof(value) - 1;
            hadPrevious_ = RegQueryValueExA(key, nullptr, nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS;
            previous_ = value;
            RegCloseKey(key);
        }
        const std::string command = "\"" + testBinDirectory() + "\\help_viewer_stub.exe\" \"%1\"";
        setDefault(".html", kProgId);
        setDefault("TovakLite.TestHelpViewer\\shell\\open\\command", command.c_str());
    }
    ~HtmlViewerAssociation() {
        if (hadPrevious_) {
            setDefault(".html", previous_.c_str());
        } else {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ".html");
        }
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "TovakLite.TestHelpViewer\\shell\\open\\command");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "TovakLite.TestHelpViewer\\shell\\open");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, "TovakLite.TestHelpViewer\\shell");
        RegDeleteKeyA(HKEY_CLASSES_ROOT, kProgId);
    }

private:
    static constexpr const char* kProgId = "TovakLite.TestHelpViewer";
    static void setDefault(const char* path, const char* value) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>(strlen(value) + 1));
            RegCloseKey(key);
        }
    }
    bool hadPrevious_ = false;
    std::string previous_;
};

// Saves a window's pixels as a BMP file into TOVAK_SCREENSHOT_DIR, when that is set.
void screenshot(HWND window, const char* name) {
    char directory[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TOVAK_SCREENSHOT_DIR", directory, MAX_PATH)) return;
    SetForegroundWindow(window);
    // Painted before the pixels are read: the paint is sent to the window's own thread
    // and this call returns once it is done.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(300);  // the X server draws what Wine sent it in its own time; nothing checks it
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + stride * height;
    const std::string path = std::string(directory) + "\\" + name + ".bmp";
    if (FILE* out = fopen(path.c_str(), "wb")) {
        fwrite(&file, sizeof(file), 1, out);
        fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out);
        fwrite(bits, 1, stride * height, out);
        fclose(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// F1 as the keyboard sends it: the system turns the key press into WM_HELP.
void pressF1(HWND dialog) {
    SetForegroundWindow(dialog);
    ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == dialog; }))
        << "the dialog never came to the foreground, so F1 would go elsewhere";
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

class SetupRun : public ::testing::Test {
protected:
    // Answers the question box of install or uninstall; returns the box's text.
    static std::wstring expectQuestion(RunningSetup& setup, int answer) {
        HWND box = setup.waitForNewWindow();
        EXPECT_NE(nullptr, box) << "no question box";
        if (!box) return std::wstring();
        EXPECT_EQ(L"Tovak", windowText(box));
        EXPECT_NE(nullptr, GetDlgItem(box, IDYES));
        EXPECT_NE(nullptr, GetDlgItem(box, IDNO));
        EXPECT_EQ(GetWindow(box, GW_OWNER), setup.dialog()) << "modal to the dialog";
        const std::wstring text = messageBoxText(box);
        EXPECT_TRUE(setup.answer(box, answer));
        return text;
    }

    // Reads and confirms the information or warning box that follows the question.
    static std::wstring expectInformation(RunningSetup& setup) {
        HWND box = setup.waitForNewWindow();
        EXPECT_NE(nullptr, box) << "no information box";
        if (!box) return std::wstring();
        EXPECT_EQ(L"Tovak", windowText(box));
        EXPECT_EQ(nullptr, GetDlgItem(box, IDNO));
        const std::wstring text = messageBoxText(box);
        EXPECT_TRUE(setup.answer(box, IDOK));
        return text;
    }

    static void exitSetup(RunningSetup& setup) {
        setup.click(IDOK);
        DWORD exitCode = 99;
        EXPECT_TRUE(setup.waitForExit(300000, &exitCode));
        EXPECT_EQ(0u, exitCode);
    }
};

TEST_F(SetupRun, StartsWithFocusOnInstallAndTheAboutEntryLastInTheSystemMenu) {
    RunningSetup setup(setupProgram(), distDirectory());
    ASSERT_TRUE(setup.started()) << "cannot start " << setupProgram() << ", error "
                                 << GetLastError();
    HWND dialog = setup.dialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(wideFromUtf8(u8"TovakLite セットアップツール ver " TOVAK_VERSION_TEXT),
              windowText(dialog));
    EXPECT_FALSE(IsWindowVisible(setup.control(IDCANCEL))) << "the Cancel button is hidden";
    EXPECT_NE(0, GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    ASSERT_TRUE(waitFor([&] { return GetGUIThreadInfo(thread, &gui) && gui.hwndFocus; }));
    EXPECT_EQ(setup.control(kInstall), gui.hwndFocus) << "focus on the install button";

    // The hook reads the system menu inside the setup tool's process.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string report = std::string(temp) + "tovak_system_menu.txt";
    DeleteFileA(report.c_str());
    HMODULE probe = LoadLibraryA("system_menu_probe.dll");
    ASSERT_NE(nullptr, probe) << "error " << GetLastError();
    auto hookProcedure = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(probe, "systemMenuProbeHook")));
    ASSERT_NE(nullptr, hookProcedure);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, hookProcedure, probe, thread);
    ASSERT_NE(nullptr, hook) << "error " << GetLastError();
    PostMessageW(dialog, RegisterWindowMessageW(L"TovakLite.SystemMenuProbe"), 0, 0);
    const bool reported = waitFor([&] {
        const std::string text = readFile(report);
        const std::size_t last = text.find("last=");
        return last != std::string::npos && text.find('\n', last) != std::string::npos;
    });
    UnhookWindowsHookEx(hook);
    FreeLibrary(probe);
    ASSERT_TRUE(reported) << "the probe wrote no report";
    const std::string menu = readFile(report);
    DeleteFileA(report.c_str());
    EXPECT_NE(std::string::npos, menu.find("icons=same\n")) << menu;
    EXPECT_NE(std::string::npos, menu.find("before-last=separator\n")) << menu;
    EXPECT_NE(std::string::npos, menu.find("last-id=16\n")) << menu;
    EXPECT_NE(std::string::npos, menu.find(u8"last=TovakLite のﾊﾞｰｼﾞｮﾝ情報(&A)...\n")) << menu;

    screenshot(dialog, "setup-dialog");
    exitSetup(setup);
}

// The application manifest: the running program has an elevated token (so the commands
// take the administrator's command lines under Wine) and version 6 of the common
// controls; the manifest asks for highestAvailable, system DPI awareness and names the
// systems from Windows Vista to Windows 10 and 11.
TEST_F(SetupRun, ManifestGivesElevationSystemDpiAwarenessAndCommonControls6) {
    RunningSetup setup(setupProgram(), distDirectory());
    HWND dialog = setup.dialog();
    ASSERT_NE(nullptr, dialog);

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, setup.processId());
    ASSERT_NE(nullptr, process) << "error " << GetLastError();
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(process, TOKEN_QUERY, &token)) << "error " << GetLastError();
    TOKEN_ELEVATION elevation = {};
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    EXPECT_TRUE(GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size));
    EXPECT_TRUE(GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size));
    EXPECT_NE(0u, elevation.TokenIsElevated) << "elevation type " << type;
    CloseHandle(token);
    CloseHandle(process);

    // What Wine cannot show (it reports every program elevated and its windows DPI-aware
    // alike) is read from the manifest itself.
    HMODULE program = LoadLibraryExA(setupProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, program) << "error " << GetLastError();
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(nullptr, found) << "no RT_MANIFEST 1";
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(program, found))),
                               SizeofResource(program, found));
    FreeLibrary(program);
    for (const char* part :
         {"<requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/>",
          "<dpiAware "
          "xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
          "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
          "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
          "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""}) {
        EXPECT_NE(std::string::npos, manifest.find(part)) << part;
    }

    // The comctl32.dll of common controls version 6 (from the side-by-side store, not the
    // system folder's version 5) is loaded into the program.
    bool commonControls6 = false;
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, setup.processId());
    ASSERT_NE(INVALID_HANDLE_VALUE, modules) << "error " << GetLastError();
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32First(modules, &entry); more; more = Module32Next(modules, &entry)) {
        std::string path(entry.szExePath);
        for (char& c : path) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        if (path.find("common-controls") != std::string::npos &&
            path.find("comctl32.dll") != std::string::npos) {
            commonControls6 = true;
        }
    }
    CloseHandle(modules);
    EXPECT_TRUE(commonControls6);
    exitSetup(setup);
}

TEST_F(SetupRun, InstallRunsRegsvr32AndUninstallRemovesTheKeys) {
    if (keyExists(kClsidKey)) RegDeleteTreeA(HKEY_CLASSES_ROOT, kClsidKey);  // an earlier run
    ASSERT_FALSE(keyExists(kClsidKey));

    RunningSetup setup(setupProgram(), distDirectory());
    ASSERT_NE(nullptr, setup.dialog());

    setup.click(kInstall);
    EXPECT_EQ(wideFromUtf8(u8"TovakLite をインストールしますか？"), expectQuestion(setup, IDYES));
    const std::wstring started = expectInformation(setup);
    EXPECT_EQ(0u, started.find(wideFromUtf8(u8"「 DllRegisterServer in tovak.dll succeeded. 」")))
        << started.size() << " characters";
    // The tool does not wait for regsvr32; the keys are all there once it has ended.
    setup.waitForChildren();
    EXPECT_TRUE(keyExists(kClsidKey)) << "regsvr32 did not register tovak.dll";
    const std::string server = std::string(kClsidKey) + "\\InprocServer32";
    EXPECT_TRUE(keyExists(server.c_str()));

    setup.click(kUninstall);
    EXPECT_EQ(wideFromUtf8(u8"TovakLite をアンインストールしますか？"),
              expectQuestion(setup, IDYES));
    EXPECT_EQ(0u, expectInformation(setup).find(
                      wideFromUtf8(u8"「 DllUnregisterServer in tovak.dll succeeded. 」")));
    setup.waitForChildren();
    EXPECT_FALSE(keyExists(kClsidKey)) << "regsvr32 /u did not remove the keys";

    exitSetup(setup);
}

// regsvr32.exe files of the test's own beside the program and in its current directory,
// where a search by name finds them before the system folder: neither is started. The
// system's regsvr32 is, with the command lines of a run with administrator rights (Wine
// runs the tool elevated), and loads the tovak.dll of the current directory.
TEST_F(SetupRun, StartsTheSystemRegsvr32NotOnePlantedBesideItOrInTheCurrentDirectory) {
    ScratchFolder program("tovak_planted_program_");
    ScratchFolder current("tovak_planted_current_");
    const std::string copy = program.path() + "\\TovakSetup.exe";
    ASSERT_TRUE(CopyFileA(setupProgram().c_str(), copy.c_str(), FALSE));
    const std::string planted = testBinDirectory() + "\\planted_regsvr32.exe";
    for (const std::string& folder : {program.path(), current.path()}) {
        ASSERT_TRUE(CopyFileA(planted.c_str(), (folder + "\\regsvr32.exe").c_str(), FALSE));
    }
    ASSERT_TRUE(CopyFileA((testBinDirectory() + "\\registration_recorder.dll").c_str(),
                          (current.path() + "\\tovak.dll").c_str(), FALSE));
    const std::string record = current.path() + "\\record.txt";
    SetEnvironmentVariableA("TOVAK_REGSVR32_RECORD", record.c_str());
    // A 32-bit program on 64-bit Windows starts the system folder's regsvr32 from the
    // folder the system maps it to, SysWOW64, which is the name that regsvr32 then has.
    char systemFolder[MAX_PATH] = {};
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    ASSERT_NE(0u, wow64 ? GetSystemWow64DirectoryA(systemFolder, MAX_PATH)
                        : GetSystemDirectoryA(systemFolder, MAX_PATH));
    const std::string systemRegsvr32 = std::string(systemFolder) + "\\regsvr32.exe";

    RunningSetup setup(copy, current.path());
    ASSERT_NE(nullptr, setup.dialog());
    const struct {
        int button;
        const char* commandLine;
    } commands[] = {{kInstall, "regsvr32 /c tovak.dll"}, {kUninstall, "regsvr32 /c /u tovak.dll"}};
    for (const auto& command : commands) {
        SCOPED_TRACE(command.commandLine);
        DeleteFileA(record.c_str());
        setup.click(command.button);
        expectQuestion(setup, IDYES);
        expectInformation(setup);
        setup.waitForChildren();
        std::string line = readFile(record);
        ASSERT_FALSE(line.empty()) << "no regsvr32 called tovak.dll";
        EXPECT_EQ(std::string::npos, line.find("planted")) << line;
        ASSERT_EQ(line.size() - 1, line.find('\n')) << "one start only: " << line;
        line.pop_back();
        const std::size_t bar = line.find('|');
        ASSERT_NE(std::string::npos, bar) << line;
        EXPECT_EQ(0, lstrcmpiA(systemRegsvr32.c_str(), line.substr(0, bar).c_str())) << line;
        EXPECT_EQ(command.commandLine, line.substr(bar + 1));
    }
    exitSetup(setup);
    SetEnvironmentVariableA("TOVAK_REGSVR32_RECORD", nullptr);
}

TEST_F(SetupRun, AnsweringNoStartsNothing) {
    RunningSetup setup(setupProgram(), distDirectory());
    ASSERT_NE(nullptr, setup.dialog());
    setup.click(kUninstall);
    expectQuestion(setup, IDNO);
    setup.settle();
    EXPECT_EQ(nullptr, setup.waitForNewWindow(1500)) << "nothing follows No";
    for (DWORD child : setup.children()) {
        ADD_FAILURE() << "a child process was started: " << processName(child);
    }
    EXPECT_TRUE(IsWindowEnabled(setup.dialog()));
    exitSetup(setup);
}

TEST_F(SetupRun, F1OpensHelpHtmlBesideTheProgram) {
    HtmlViewerAssociation association;
    ScratchFolder records("tovak_help_");
    const std::string record = records.path() + "\\opened.txt";
    SetEnvironmentVariableA("TOVAK_HELP_RECORD", record.c_str());

    RunningSetup setup(setupProgram(), distDirectory());
    HWND dialog = setup.dialog();
    ASSERT_NE(nullptr, dialog);
    pressF1(dialog);
    EXPECT_TRUE(waitFor([&] { return wholeLines(readFile(record)); }))
        << "no program was asked to open help.html";
    const std::string opened = readFile(record);
    EXPECT_NE(std::string::npos, opened.find(distDirectory() + "\\help.html")) << opened;
    EXPECT_EQ(nullptr, setup.waitForNewWindow(500)) << "F1 shows no box";
    EXPECT_TRUE(IsWindowEnabled(dialog));
    exitSetup(setup);
    SetEnvironmentVariableA("TOVAK_HELP_RECORD", nullptr);
}

TEST_F(SetupRun, F1FindsHelpHtmlInTheCurrentDirectory) {
    HtmlViewerAssociation association;
    ScratchFolder program("tovak_program_");  // the program alone, without help.html
    const std::string copy = program.path() + "\\TovakSetup.exe";
    ASSERT_TRUE(CopyFileA(setupProgram().c_str(), copy.c_str(), FALSE));
    const std::string record = program.path() + "\\opened.txt";
    SetEnvironmentVariableA("TOVAK_HELP_RECORD", record.c_str());

    RunningSetup setup(copy, distDirectory());
    HWND dialog = setup.dialog();
    ASSERT_NE(nullptr, dialog);
    pressF1(dialog);
    EXPECT_TRUE(waitFor([&] { return wholeLines(readFile(record)); }))
        << "help.html of the current directory was not opened";
    EXPECT_NE(std::string::npos, readFile(record).find(distDirectory() + "\\help.html"));
    exitSetup(setup);
    SetEnvironmentVariableA("TOVAK_HELP_RECORD", nullptr);
}

TEST_F(SetupRun, F1WithoutHelpHtmlShowsNothing) {
    HtmlViewerAssociation association;
    ScratchFolder elsewhere("tovak_nohelp_");  // neither help.html nor tovak.dll here
    const std::string copy = elsewhere.path() + "\\TovakSetup.exe";
    ASSERT_TRUE(CopyFileA(setupProgram().c_str(), copy.c_str(), FALSE));
    const std::string record = elsewhere.path() + "\\opened.txt";
    SetEnvironmentVariableA("TOVAK_HELP_RECORD", record.c_str());

    RunningSetup setup(copy, elsewhere.path());
    HWND dialog = setup.dialog();
    ASSERT_NE(nullptr, dialog);
    pressF1(dialog);
    EXPECT_EQ(nullptr, setup.waitForNewWindow(2000)) << "nothing is reported";
    EXPECT_TRUE(readFile(record).empty()) << readFile(record);
    EXPECT_TRUE(IsWindowEnabled(dialog));

    // The install command still starts regsvr32 here and says so at once, although
    // tovak.dll is missing: the child itself starts.
    setup.click(kInstall);
    expectQuestion(setup, IDYES);
    EXPECT_EQ(0u, expectInformation(setup).find(
                      wideFromUtf8(u8"「 DllRegisterServer in tovak.dll succeeded. 」")));
    setup.waitForChildren();
    exitSetup(setup);
    SetEnvironmentVariableA("TOVAK_HELP_RECORD", nullptr);
}

TEST_F(SetupRun, ExitEscAndTheCloseBoxEndTheProgram) {
    {
        RunningSetup setup(setupProgram(), distDirectory());
        ASSERT_NE(nullptr, setup.dialog());
        exitSetup(setup);
    }
    {
        RunningSetup setup(setupProgram(), distDirectory());
        ASSERT_NE(nullptr, setup.dialog());
        PostMessageW(setup.control(kInstall), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        DWORD exitCode = 99;
        EXPECT_TRUE(setup.waitForExit(300000, &exitCode)) << "Esc";
        EXPECT_EQ(0u, exitCode);
    }
    {
        RunningSetup setup(setupProgram(), distDirectory());
        ASSERT_NE(nullptr, setup.dialog());
        PostMessageW(setup.dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD exitCode = 99;
        EXPECT_TRUE(setup.waitForExit(300000, &exitCode)) << "close box";
        EXPECT_EQ(0u, exitCode);
    }
}

TEST_F(SetupRun, AboutBoxFromTheButtonAndFromTheSystemMenu) {
    RunningSetup setup(setupProgram(), distDirectory());
    HWND dialog = setup.dialog();
    ASSERT_NE(nullptr, dialog);

    setup.click(kAbout);
    HWND about = setup.waitForNewWindow();
    ASSERT_NE(nullptr, about);
    EXPECT_EQ(wideFromUtf8(u8"TovakLite のﾊﾞｰｼﾞｮﾝ情報"), windowText(about));
    EXPECT_EQ(dialog, GetWindow(about, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(dialog)) << "the setup dialog is disabled meanwhile";
    EXPECT_EQ(L"OK", windowText(GetDlgItem(about, IDOK)));
    EXPECT_NE(nullptr, GetDlgItem(about, kSite));
    screenshot(about, "about-box");
    EXPECT_TRUE(setup.answer(about, IDOK));
    EXPECT_TRUE(waitFor([&] { return IsWindowEnabled(dialog) != FALSE; }));

    for (UINT command : {kAboutCommand, kAboutCommand + 0x0F}) {
        PostMessageW(dialog, WM_SYSCOMMAND, command, 0);
        about = setup.waitForNewWindow();
        ASSERT_NE(nullptr, about) << std::hex << command;
        EXPECT_EQ(wideFromUtf8(u8"TovakLite のﾊﾞｰｼﾞｮﾝ情報"), windowText(about));
        EXPECT_TRUE(setup.answer(about, IDCANCEL));
    }
    exitSetup(setup);
}

}  // namespace
