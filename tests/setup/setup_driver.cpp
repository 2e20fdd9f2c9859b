#include "tests/setup/setup_driver.h"

#include <tlhelp32.h>

#include <algorithm>

namespace {

struct EnumState {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK collectDialog(HWND window, LPARAM parameter) {
    EnumState* state = reinterpret_cast<EnumState*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    if (owner == state->processId && IsWindowVisible(window) && strcmp(className, "#32770") == 0) {
        state->windows.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK collectStaticText(HWND window, LPARAM parameter) {
    std::wstring* longest = reinterpret_cast<std::wstring*>(parameter);
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    if (lstrcmpiA(className, "Static") == 0) {
        const std::wstring text = windowText(window);
        if (text.size() > longest->size()) *longest = text;
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> visibleDialogs(DWORD processId) {
    EnumState state{processId, {}};
    EnumWindows(collectDialog, reinterpret_cast<LPARAM>(&state));
    return state.windows;
}

std::wstring windowText(HWND window) {
    wchar_t buffer[1024] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 5000, &length)) {
        return std::wstring();
    }
    return std::wstring(buffer, std::min<DWORD_PTR>(length, 1023));
}

std::wstring messageBoxText(HWND box) {
    std::wstring longest;
    EnumChildWindows(box, collectStaticText, reinterpret_cast<LPARAM>(&longest));
    return longest;
}

std::vector<DWORD> childProcesses(DWORD parentId, const FILETIME& notBefore,
                                  const FILETIME* notAfter, const char* exeName) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parentId || lstrcmpiA(entry.szExeFile, exeName) != 0) {
            continue;
        }
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process) continue;
        FILETIME created, exited, kernel, user;
        if (GetProcessTimes(process, &created, &exited, &kernel, &user) &&
            CompareFileTime(&created, &notBefore) >= 0 &&
            (!notAfter || CompareFileTime(&created, notAfter) <= 0)) {
            children.push_back(entry.th32ProcessID);
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return children;
}

std::string processName(DWORD processId) {
    std::string name = "<gone>";
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return name;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == processId) name = entry.szExeFile;
    }
    CloseHandle(snapshot);
    return name;
}

RunningSetup::RunningSetup(const std::string& program, const std::string& currentDirectory) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string commandLine = "\"" + program + "\"";
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.c_str(), &startup, &process_)) {
        process_ = PROCESS_INFORMATION{};
        return;
    }
    FILETIME exited, kernel, user;
    GetProcessTimes(process_.hProcess, &startTime_, &exited, &kernel, &user);
}

RunningSetup::~RunningSetup() {
    if (process_.hProcess) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 60000);
        }
        // A regsvr32 ended half-way would leave half its keys for the next test.
        waitForChildren();
        endChildren();
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
}

HWND RunningSetup::dialog() {
    if (dialog_ && IsWindow(dialog_)) return dialog_;
    dialog_ = nullptr;
    if (!started()) return nullptr;
    // The template's WS_VISIBLE shows the dialog before WM_INITDIALOG; the first wait for
    // input comes after it.
    WaitForInputIdle(process_.hProcess, 300000);
    waitFor([&] {
        for (HWND window : visibleDialogs(processId())) {
            if (GetDlgItem(window, 1001) && GetDlgItem(window, 1002)) {
                dialog_ = window;
                return true;
            }
        }
        return false;
    });
    if (dialog_) settle();
    return dialog_;
}

void RunningSetup::settle() {
    // A message sent from another thread is handled only when the receiving thread asks
    // for messages: in the dialog's loop, after WM_INITDIALOG and any command before it.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 300000, &result);
}

void RunningSetup::click(int id) { PostMessageW(control(id), BM_CLICK, 0, 0); }

HWND RunningSetup::waitForNewWindow(DWORD milliseconds) {
    HWND found = nullptr;
    HWND main = dialog();
    waitFor(
        [&] {
            for (HWND window : visibleDialogs(processId())) {
                if (window != main) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        milliseconds);
    return found;
}

bool RunningSetup::answer(HWND box, int id) {
    // IDCANCEL needs no button: Esc and the close box send it too.
    HWND button = GetDlgItem(box, id);
    if (!button && id != IDCANCEL) return false;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return waitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

bool RunningSetup::waitForExit(DWORD milliseconds, DWORD* exitCode) {
    if (!started() || WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) {
        return false;
    }
    if (exitCode) GetExitCodeProcess(process_.hProcess, exitCode);
    return true;
}

std::vector<DWORD> RunningSetup::children() const {
    // Process ids are reused at once: after the tool has ended, another program may hold
    // its id and start a regsvr32 of its own. A child of the tool was created before the
    // tool ended.
    FILETIME created, exited, kernel, user;
    const bool ended = WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0 &&
                       GetProcessTimes(process_.hProcess, &created, &exited, &kernel, &user);
    return childProcesses(processId(), startTime_, ended ? &exited : nullptr, "regsvr32.exe");
}

void RunningSetup::waitForChildren() {
    for (DWORD child : children()) {
        HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, child);
        if (!handle) continue;  // already gone
        WaitForSingleObject(handle, 300000);
        CloseHandle(handle);
    }
}

void RunningSetup::endChildren() {
    for (DWORD child : children()) {
        HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child);
        if (!handle) continue;
        TerminateProcess(handle, 1);
        WaitForSingleObject(handle, 60000);
        CloseHandle(handle);
    }
}
