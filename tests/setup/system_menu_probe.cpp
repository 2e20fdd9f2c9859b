// Loaded into the running TovakSetup.exe as a message hook, so a test can read the
// setup dialog's system menu, which another process cannot. On the message named
// kProbeMessage the hook writes the menu's last two items to kReportName in the
// temporary folder, in UTF-8:
//   count=<items>
//   icons=same|missing   (big and small window icon set, to one icon)
//   before-last=separator|string
//   last-id=<id, decimal>
//   last=<text>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t kProbeMessage[] = L"TovakLite.SystemMenuProbe";
const wchar_t kReportName[] = L"tovak_system_menu.txt";

std::string utf8(const std::wstring& text) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(length > 0 ? length - 1 : 0, '\0');
    if (length > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], length, nullptr, nullptr);
    return out;
}

std::string describeItem(HMENU menu, int position, UINT* id, std::wstring* text) {
    wchar_t buffer[256] = {};
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    item.dwTypeData = buffer;
    item.cch = 255;
    if (!GetMenuItemInfoW(menu, position, TRUE, &item)) return "unreadable";
    if (id) *id = item.wID;
    if (text) *text = buffer;
    return (item.fType & MFT_SEPARATOR) ? "separator" : "string";
}

void writeReport(HWND window) {
    wchar_t temp[MAX_PATH] = {};
    if (!GetTempPathW(MAX_PATH, temp)) return;
    const std::wstring path = std::wstring(temp) + kReportName;
    std::string report;
    HMENU menu = GetSystemMenu(window, FALSE);
    const int count = menu ? GetMenuItemCount(menu) : -1;
    report += "count=" + std::to_string(count) + "\n";
    // Icons are handles of the process that owns them, so they are read here as well.
    const HICON big = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    const HICON small = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    report += "icons=" + std::string(big && big == small ? "same" : "missing") + "\n";
    if (count >= 2) {
        report += "before-last=" + describeItem(menu, count - 2, nullptr, nullptr) + "\n";
        UINT id = 0;
        std::wstring text;
        describeItem(menu, count - 1, &id, &text);
        report += "last-id=" + std::to_string(id) + "\n";
        report += "last=" + utf8(text) + "\n";
    }
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return;
    fwrite(report.data(), 1, report.size(), file);
    fclose(file);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    systemMenuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT probeMessage = RegisterWindowMessageW(kProbeMessage);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        if (message && message->message == probeMessage) writeReport(message->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
