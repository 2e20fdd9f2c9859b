// Shows a real popup menu with the handler's two owner-drawn items, the way Explorer
// builds a file's context menu, and saves pictures of it: as it opens, and with the
// first of the two items selected. Usage: menu_screenshot <normal.bmp> <selected.bmp>
// tovak.dll and tovak.ico must lie beside the program; the handler takes its icon path
// from the DLL's module path, as it does inside Explorer.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "server/context_menu_handler.h"
#include "server/server_module.h"

namespace {

constexpr UINT kFirstId = 100;
constexpr int kMargin = 6;

IContextMenu3* handler = nullptr;
HWND owner = nullptr;
std::string normalPicture;
std::string selectedPicture;
bool saved = false;

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
        case WM_INITMENUPOPUP:
        case WM_MENUCHAR: {
            LRESULT result = 0;
            if (handler && SUCCEEDED(handler->HandleMenuMsg2(message, wParam, lParam, &result))) {
                return message == WM_MENUCHAR ? result : TRUE;
            }
            break;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_WINDOW));
            EndPaint(window, &paint);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Copies a rectangle of the screen into a 24-bit BMP file.
bool saveScreen(const RECT& area, const std::string& path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    header.biSizeImage = stride * static_cast<DWORD>(height);
    std::string pixels(header.biSizeImage, '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &pixels[0],
              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&header, sizeof(header), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

// The menu window with a small margin of the owner window around it.
bool menuArea(RECT* area) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu || !IsWindowVisible(menu) || !GetWindowRect(menu, area)) return false;
    InflateRect(area, kMargin, kMargin);
    return true;
}

void key(WPARAM virtualKey) {
    PostMessageW(owner, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(owner, WM_KEYUP, virtualKey, 0xC0000001);
    Sleep(150);
}

// Runs while the menu's modal loop owns the main thread.
DWORD WINAPI photographer(void*) {
    RECT area{};
    for (int i = 0; i < 200 && !menuArea(&area); ++i) Sleep(50);
    Sleep(700);  // let the menu finish painting
    if (menuArea(&area) && saveScreen(area, normalPicture)) {
        // Down to the first owner-drawn item: past "開く" and "印刷".
        key(VK_DOWN);
        key(VK_DOWN);
        key(VK_DOWN);
        Sleep(700);
        saved = menuArea(&area) && saveScreen(area, selectedPicture);
    }
    key(VK_ESCAPE);
    key(VK_ESCAPE);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: menu_screenshot <normal.bmp> <selected.bmp>\n");
        return 2;
    }
    // Explorer sees the real DPI; so does the menu here.
    SetProcessDPIAware();
    normalPicture = argv[1];
    selectedPicture = argv[2];
    HMODULE dll = LoadLibraryW(L"tovak.dll");
    if (!dll) {
        std::fprintf(stderr, "tovak.dll not found, error %lu\n", GetLastError());
        return 1;
    }
    serverModule().Init(dll, nullptr);
    void* out = nullptr;
    HRESULT hr = ContextMenuHandler::Create(nullptr, IID_IContextMenu3, &out);
    if (FAILED(hr)) {
        std::fprintf(stderr, "no handler, hr 0x%08lx\n", static_cast<unsigned long>(hr));
        return 1;
    }
    handler = static_cast<IContextMenu3*>(out);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ownerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = L"TovakMenuScreenshot";
    RegisterClassW(&windowClass);
    owner = CreateWindowExW(0, windowClass.lpszClassName, L"Tovak", WS_POPUP | WS_VISIBLE, 0, 0,
                            400, 260, nullptr, nullptr, windowClass.hInstance, nullptr);
    SetForegroundWindow(owner);
    UpdateWindow(owner);

    // A file's context menu: the shell's own items, then the handler's two.
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"開く(&O)");
    AppendMenuW(menu, MF_STRING, 2, L"印刷(&P)");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, 3, L"プロパティ(&R)");
    hr = handler->QueryContextMenu(menu, 3, kFirstId, kFirstId + 0x7FFF, CMF_NORMAL);
    if (HRESULT_CODE(hr) != 2) {
        std::fprintf(stderr, "QueryContextMenu gave 0x%08lx\n", static_cast<unsigned long>(hr));
        return 1;
    }

    HANDLE thread = CreateThread(nullptr, 0, photographer, nullptr, 0, nullptr);
    TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, 20, 20, owner, nullptr);
    WaitForSingleObject(thread, 30000);
    CloseHandle(thread);

    DestroyMenu(menu);
    handler->Release();
    DestroyWindow(owner);
    serverModule().Term();
    FreeLibrary(dll);
    if (!saved) std::fprintf(stderr, "the menu could not be photographed\n");
    return saved ? 0 : 1;
}
