// Drives a running TovakSetup.exe from outside, as a user would: finds its windows,
// clicks its buttons, answers its message boxes by their button ids and reads their
// texts. Whatever it starts it also ends, on every path.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Top-level dialog windows (class "#32770") of a process that are visible.
std::vector<HWND> visibleDialogs(DWORD processId);

std::wstring windowText(HWND window);

// The text of a message box: its longest static text.
std::wstring messageBoxText(HWND box);

// Polls `condition` every 50 ms until it holds or `milliseconds` pass. The limit only
// ends a wait for something that never comes; every condition is the end of what the
// caller checks next, never its first sign.
template <class Condition>
bool waitFor(Condition condition, DWORD milliseconds = 300000) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(50);
    }
}

// Ids of running processes named `exeName` whose parent is `parentId` and that started
// no earlier than `notBefore` and, when the parent has ended, no later than its end
// (`notAfter`): process ids are reused, so a parent id alone may name a stranger. (Wine
// may start explorer.exe on behalf of a program; it is not counted.)
std::vector<DWORD> childProcesses(DWORD parentId, const FILETIME& notBefore,
                                  const FILETIME* notAfter, const char* exeName);

// The executable name of a running process, for messages.
std::string processName(DWORD processId);

// One TovakSetup.exe process, started in a given current directory.
class RunningSetup {
public:
    RunningSetup(const std::string& program, const std::string& currentDirectory);
    ~RunningSetup();
    RunningSetup(const RunningSetup&) = delete;
    RunningSetup& operator=(const RunningSetup&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    DWORD processId() const { return process_.dwProcessId; }

    // The main dialog, once shown and its thread is in its message loop (null if it does
    // not show in time).
    HWND dialog();

    // Returns once the dialog's thread has handled everything it was sent or posted
    // before: a command it is running has returned, or shows its box.
    void settle();
    HWND control(int id) { return GetDlgItem(dialog(), id); }

    // Clicks a button of the main dialog.
    void click(int id);

    // The next visible dialog window of the process other than the main dialog; null on
    // timeout.
    HWND waitForNewWindow(DWORD milliseconds = 300000);

    // Presses the button `id` of a dialog box (message box, About box) and waits until the
    // box is gone.
    bool answer(HWND box, int id);

    // Waits for the process to end; true and its exit code when it did.
    bool waitForExit(DWORD milliseconds, DWORD* exitCode = nullptr);

    // The regsvr32 processes this setup tool started that still run.
    std::vector<DWORD> children() const;
    // Waits until every regsvr32 this tool started has ended: what a regsvr32 writes is
    // complete only then. The tool starts each one before it says so in its box.
    void waitForChildren();
    // Ends those still running.
    void endChildren();

private:
    PROCESS_INFORMATION process_{};
    FILETIME startTime_{};
    HWND dialog_ = nullptr;
};
