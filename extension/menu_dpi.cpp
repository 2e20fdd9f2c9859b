#include "extension/menu_dpi.h"

#include <oleidl.h>

#include <cstddef>

#include "common/com_ref.h"
#include "common/gdi_objects.h"
#include "extension/item_layout.h"

namespace {

// A user32 function that older systems lack, or null.
template <typename Function>
Function user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

HWND windowOfSite(IUnknown* site) {
    if (!site) return nullptr;
    ComRef<IOleWindow> oleWindow;
    if (FAILED(
            site->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(oleWindow.Receive()))) ||
        !oleWindow) {
        return nullptr;
    }
    HWND window = nullptr;
    if (FAILED(oleWindow->GetWindow(&window))) window = nullptr;
    return window;
}

HWND menuOwner() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &info)) return nullptr;
    return info.hwndMenuOwner;
}

int systemDpi() {
    const ScreenDc screen;
    if (!screen.Get()) return kBaseDpi;
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int menuDpi(IUnknown* site) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow) {
        HWND window = windowOfSite(site);
        if (!window) window = menuOwner();
        if (window) {
            const UINT dpi = getDpiForWindow(window);
            if (dpi > 0) return static_cast<int>(dpi);
        }
    }
    return systemDpi();
}

int frameWidthForDpi(int dpi) {
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto forDpi =
        user32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(SM_CXFRAME, static_cast<UINT>(dpi));
    return GetSystemMetrics(SM_CXFRAME);
}

bool menuFontForDpi(int dpi, LOGFONTW* font) {
    using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto forDpi =
        user32Function<SystemParametersInfoForDpiFunction>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    if (forDpi) {
        metrics.cbSize = sizeof(metrics);
        if (!forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, static_cast<UINT>(dpi))) {
            return false;
        }
    } else {
        // Systems before Vista know the structure without its last member.
        metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
            return false;
        }
    }
    *font = metrics.lfMenuFont;
    return true;
}
