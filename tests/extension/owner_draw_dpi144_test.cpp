// Owner-drawn items at 150 % scaling. This program runs in a Wine prefix of its own whose
// LogPixels is 144 (tools/wine-session.sh makes it; tools/wine-exec.sh picks it for
// programs named *_dpi144_test): the items grow so that the whole caption fits in the
// menu font, the icon is the 24-pixel picture of tovak.ico, and a site whose window
// runs at another DPI sizes the items for that DPI.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "extension/handler_state.h"
#include "extension/menu_insertion.h"
#include "extension/menu_texts.h"
#include "extension/owner_draw.h"
#include "extension/item_layout.h"
#include "tests/extension/dib_canvas.h"
#include "server/context_menu_handler.h"
#include "server/server_module.h"

namespace {

constexpr UINT kFirstId = 100;
constexpr int kDpi = 144;
constexpr COLORREF kMenuBack = RGB(0x20, 0x70, 0x30);
constexpr COLORREF kMenuText = RGB(0x00, 0x00, 0x40);
constexpr int kCanvasWidth = 420;
constexpr int kCanvasHeight = 50;
constexpr int kItemTop = 10;

class ModuleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { serverModule().Init(GetModuleHandleW(nullptr), nullptr); }
    void TearDown() override { serverModule().Term(); }
};
const auto* const kModule = ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

std::wstring iconBesideProgram() {
    wchar_t self[MAX_PATH * 2] = {};
    std::wstring program(self, GetModuleFileNameW(nullptr, self, MAX_PATH * 2));
    return program.substr(0, program.size() - 3) + L"ico";
}

std::string ansi(const char16_t* text) {
    char buffer[64] = {};
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(text), -1, buffer, sizeof(buffer),
                        nullptr, nullptr);
    return buffer;
}

LOGFONTW menuFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    return metrics.lfMenuFont;
}

// A site whose window is the one given.
class WindowSite : public IOleWindow {
public:
    explicit WindowSite(HWND window) : window_(window) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IOleWindow) return E_NOINTERFACE;
        *out = static_cast<IOleWindow*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    ULONG references() const { return references_; }

private:
    HWND window_;
    ULONG references_ = 1;
};

class OwnerDrawAt144Dpi : public ::testing::Test {
protected:
    void SetUp() override {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(kDpi, dpi) << "the Wine prefix does not run at 144 DPI";
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(iconBesideProgram().c_str()))
            << "the build puts the icon file beside the program, error " << GetLastError();
        menu_ = CreatePopupMenu();
        ASSERT_NE(nullptr, menu_);
        ASSERT_EQ(2, HRESULT_CODE(insertMenuItems(menu_, 0, kFirstId, kFirstId + 50, 0,
                                                  state_.firstCommandId)));

        dc_ = CreateCompatibleDC(nullptr);
        ASSERT_NE(nullptr, dc_);
        bitmap_ = createTopDownCanvas(dc_, kCanvasWidth, kCanvasHeight, &bits_);
        ASSERT_NE(nullptr, bitmap_);
        oldBitmap_ = SelectObject(dc_, bitmap_);
        // The menu draws its items in the menu font.
        const LOGFONTW logFont = menuFont();
        font_ = CreateFontIndirectW(&logFont);
        ASSERT_NE(nullptr, font_);
        oldFont_ = SelectObject(dc_, font_);
        SetBkColor(dc_, kMenuBack);
        SetTextColor(dc_, kMenuText);
        clear();
    }

    void TearDown() override {
        if (dc_) {
            SelectObject(dc_, oldFont_);
            SelectObject(dc_, oldBitmap_);
            DeleteDC(dc_);
        }
        if (font_) DeleteObject(font_);
        if (bitmap_) DeleteObject(bitmap_);
        if (menu_) DestroyMenu(menu_);
    }

    void clear() {
        RECT all = {0, 0, kCanvasWidth, kCanvasHeight};
        ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
        GdiFlush();
    }

    MEASUREITEMSTRUCT measure(UINT itemId) {
        MEASUREITEMSTRUCT item{};
        item.CtlType = ODT_MENU;
        item.itemID = itemId;
        const HRESULT hr = handleOwnerDrawMessage(WM_MEASUREITEM, reinterpret_cast<LPARAM>(&item),
                                                  state_.firstCommandId, state_.icon, nullptr);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        return item;
    }

    void draw(UINT itemId, const RECT& rect) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_MENU;
        item.itemID = itemId;
        item.itemAction = ODA_DRAWENTIRE;
        item.hDC = dc_;
        item.rcItem = rect;
        const HRESULT hr = handleOwnerDrawMessage(WM_DRAWITEM, reinterpret_cast<LPARAM>(&item),
                                                  state_.firstCommandId, state_.icon, nullptr);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        GdiFlush();
    }

    SIZE extent(const std::string& text) const {
        SIZE size{};
        GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size;
    }

    LayoutSize textSize(const std::string& text) const {
        const SIZE size = extent(text);
        return {size.cx, size.cy};
    }

    std::vector<DWORD> snapshot() const {
        return std::vector<DWORD>(bits_, bits_ + kCanvasWidth * kCanvasHeight);
    }

    HandlerState state_{GetModuleHandleW(nullptr)};  // the icon file lies beside this program
    HMENU menu_ = nullptr;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    DWORD* bits_ = nullptr;
};

// 225 x 30 (150 x 20 scaled), widened to the icon column, the frame, the wider caption
// in the menu font and the right margin.
TEST_F(OwnerDrawAt144Dpi, MeasureScalesTheItemAndFitsTheWholeCaption) {
    const int frame = GetSystemMetrics(SM_CXFRAME);
    int widest = 0;
    for (const char16_t* caption : kCaptions) {
        const SIZE size = extent(ansi(caption));
        if (size.cx > widest) widest = size.cx;
    }
    ASSERT_GT(widest, 100);
    const int needed = 9 + 24 + frame + 1 + widest + 9;
    const UINT expected = static_cast<UINT>(needed > 225 ? needed : 225);
    for (UINT id : {kFirstId, kFirstId + 1}) {
        const MEASUREITEMSTRUCT item = measure(id);
        EXPECT_EQ(expected, item.itemWidth) << "item " << id << ", caption " << widest;
        EXPECT_EQ(30u, item.itemHeight) << "item " << id;
    }
}

// Each item, drawn in the size its measure answered, holds its whole caption: the same
// text drawn by hand with no right edge gives the same pixels, none beyond the item;
// and its icon is the 24-pixel picture of tovak.ico, 24 pixels high.
TEST_F(OwnerDrawAt144Dpi, DrawsTheWholeCaptionAndThe24PixelIcon) {
    HICON icon24 = static_cast<HICON>(
        LoadImageW(nullptr, iconBesideProgram().c_str(), IMAGE_ICON, 24, 24, LR_LOADFROMFILE));
    ASSERT_NE(nullptr, icon24) << "error " << GetLastError();
    for (int offset = 0; offset < 2; ++offset) {
        SCOPED_TRACE(::testing::Message() << "item " << offset);
        const UINT id = kFirstId + offset;
        const MEASUREITEMSTRUCT size = measure(id);
        ASSERT_LT(static_cast<int>(size.itemWidth) + 40, kCanvasWidth);
        const RECT item = {0, kItemTop, static_cast<int>(size.itemWidth),
                           kItemTop + static_cast<int>(size.itemHeight)};
        clear();
        draw(id, item);
        const std::vector<DWORD> drawn = snapshot();

        // The icon column: the picture spans 24 rows, from the cell's top down.
        const ItemLayout layout = computeItemLayout({item.left, item.top, item.right, item.bottom},
                                                    {24, 24}, textSize(ansi(kCaptions[offset])),
                                                    GetSystemMetrics(SM_CXFRAME), kDpi);
        EXPECT_EQ(9, layout.iconCell.left);
        EXPECT_EQ(kItemTop + 3, layout.iconCell.top);
        const DWORD back = drawn[0];
        int top = kCanvasHeight, bottom = -1;
        for (int y = 0; y < kCanvasHeight; ++y) {
            for (int x = 0; x < layout.iconCell.right; ++x) {
                if (drawn[y * kCanvasWidth + x] == back) continue;
                if (y < top) top = y;
                bottom = y;
            }
        }
        EXPECT_EQ(layout.iconCell.top, top);
        EXPECT_EQ(layout.iconCell.top + 23, bottom);
        // Corners of the 24-pixel picture: outline, board, paper edge.
        const auto at = [&](int x, int y) {
            return drawn[(layout.iconCell.top + y) * kCanvasWidth + layout.iconCell.left + x];
        };
        EXPECT_EQ(0x5A3A1Eu, at(2, 23));
        EXPECT_EQ(0xB07A42u, at(3, 22));
        EXPECT_EQ(0xA0A0A0u, at(20, 21));

        // The same picture and caption drawn by hand, the caption with no right edge.
        clear();
        DrawIconEx(dc_, layout.iconCell.left, layout.iconCell.top, icon24, 24, 24, 0, nullptr,
                   DI_NORMAL);
        const std::string caption = ansi(kCaptions[offset]);
        RECT text = {layout.textRect.left, layout.textRect.top, kCanvasWidth, item.bottom};
        DrawTextA(dc_, caption.c_str(), static_cast<int>(caption.size()), &text, DT_EXPANDTABS);
        GdiFlush();
        int differences = 0, beyond = 0;
        for (int y = 0; y < kCanvasHeight; ++y) {
            for (int x = 0; x < kCanvasWidth; ++x) {
                const DWORD pixel = bits_[y * kCanvasWidth + x];
                differences += pixel != drawn[y * kCanvasWidth + x];
                beyond += x >= item.right && pixel != back;
            }
        }
        EXPECT_EQ(0, differences);
        EXPECT_EQ(0, beyond);
    }
    DestroyIcon(icon24);
}

// Explorer's window may run at another DPI than the system: the items follow the DPI of
// the window the handler's site gives. A window made DPI-unaware runs at 96 DPI.
TEST(OwnerDrawSite, ItemsFollowTheDpiOfTheSitesWindow) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    using SetContextFunction = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    const auto setContext = reinterpret_cast<SetContextFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
    using GetDpiFunction = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = reinterpret_cast<GetDpiFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
    ASSERT_NE(nullptr, setContext);
    ASSERT_NE(nullptr, getDpiForWindow);
    const DPI_AWARENESS_CONTEXT previous = setContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    HWND unaware = CreateWindowExW(0, L"STATIC", L"site", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
    setContext(previous);
    ASSERT_NE(nullptr, unaware);
    ASSERT_EQ(96u, getDpiForWindow(unaware));

    void* out = nullptr;
    HRESULT hr = ContextMenuHandler::Create(nullptr, IID_IContextMenu3, &out);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    auto* handler = static_cast<IContextMenu3*>(out);
    HMENU menu = CreatePopupMenu();
    handler->QueryContextMenu(menu, 0, kFirstId, kFirstId + 50, 0);
    IObjectWithSite* withSite = nullptr;
    hr = handler->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite));
    ASSERT_EQ(S_OK, hr) << std::hex << hr;

    WindowSite site(unaware);
    struct Row {
        IUnknown* site;
        UINT width;
        UINT height;
    } rows[] = {{&site, 150, 20}, {nullptr, 0, 30}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.site ? "site with a 96-DPI window" : "no site");
        hr = withSite->SetSite(row.site);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        MEASUREITEMSTRUCT item{};
        item.CtlType = ODT_MENU;
        item.itemID = kFirstId;
        hr = handler->HandleMenuMsg2(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item), nullptr);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        if (row.width) {
            EXPECT_EQ(row.width, item.itemWidth);
        }
        EXPECT_GE(item.itemWidth, 150u);
        EXPECT_EQ(row.height, item.itemHeight);
    }
    withSite->Release();
    handler->Release();
    DestroyMenu(menu);
    DestroyWindow(unaware);
    EXPECT_EQ(1u, site.references());
}

}  // namespace
