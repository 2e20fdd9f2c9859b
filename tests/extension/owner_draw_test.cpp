// Owner-drawn menu items: measuring, and drawing into a memory device context checked
// pixel by pixel (selected, grayed, focus-only, foreign controls), the icon file beside
// the module, and the release of every handle a drawing obtains.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "extension/handler_state.h"
#include "extension/menu_insertion.h"
#include "extension/owner_draw.h"
#include "extension/item_layout.h"
#include "tests/extension/dib_canvas.h"
#include "tests/common/module_path.h"

namespace {

constexpr UINT kFirstId = 100;
constexpr COLORREF kMenuBack = RGB(0x20, 0x70, 0x30);
constexpr COLORREF kMenuText = RGB(0x00, 0x00, 0x40);
constexpr COLORREF kGray = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBoard = RGB(0xB0, 0x7A, 0x42);  // tovak.ico's board colour
constexpr int kWidth = 160;
constexpr int kHeight = 80;
constexpr RECT kItem = {0, 40, 150, 60};

// The icon file the handler looks for: this program's path ending in "ico".
std::wstring iconBesideProgram() {
    wchar_t self[MAX_PATH * 2] = {};
    std::wstring program(self, GetModuleFileNameW(nullptr, self, MAX_PATH * 2));
    return program.substr(0, program.size() - 3) + L"ico";
}

COLORREF sysColor(int index) { return GetSysColor(index) & 0xFFFFFF; }

class OwnerDraw : public ::testing::Test {
protected:
    void SetUp() override {
        menu_ = CreatePopupMenu();
        ASSERT_NE(nullptr, menu_);
        ASSERT_EQ(2, HRESULT_CODE(insertMenuItems(menu_, 0, kFirstId, kFirstId + 50, 0,
                                                  state_.firstCommandId)));
        ASSERT_EQ(kFirstId, state_.firstCommandId);

        dc_ = CreateCompatibleDC(nullptr);
        ASSERT_NE(nullptr, dc_);
        bitmap_ = createTopDownCanvas(dc_, kWidth, kHeight, &bits_);
        ASSERT_NE(nullptr, bitmap_);
        oldBitmap_ = SelectObject(dc_, bitmap_);
        // Plain pixels only, so shadows and text can be told apart exactly.
        font_ = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                            DEFAULT_PITCH, L"Tahoma");
        ASSERT_NE(nullptr, font_);
        oldFont_ = SelectObject(dc_, font_);
        resetLook();
        for (int i = 0; i < kWidth * kHeight; ++i) bits_[i] = 0x00C0C0C0;
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

    // The look a menu prepares before asking for an item.
    void resetLook() {
        SetBkColor(dc_, kMenuBack);
        SetTextColor(dc_, kMenuText);
        SetBkMode(dc_, OPAQUE);
    }

    HRESULT draw(UINT itemId, UINT action, UINT state, UINT controlType = ODT_MENU) {
        DRAWITEMSTRUCT item{};
        item.CtlType = controlType;
        item.itemID = itemId;
        item.itemAction = action;
        item.itemState = state;
        item.hwndItem = reinterpret_cast<HWND>(menu_);
        item.hDC = dc_;
        item.rcItem = kItem;
        return handleOwnerDrawMessage(WM_DRAWITEM, reinterpret_cast<LPARAM>(&item),
                                      drawn_->firstCommandId, drawn_->icon, nullptr);
    }

    COLORREF pixel(int x, int y) const {
        const DWORD value = bits_[y * kWidth + x];  // 0x00RRGGBB
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }
    std::vector<DWORD> snapshot() const {
        return std::vector<DWORD>(bits_, bits_ + kWidth * kHeight);
    }
    int count(COLORREF colour, int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += pixel(x, y) == colour;
        return n;
    }

    // Every white pixel of the item is the shadow of a grey one one pixel up-left, and
    // every grey pixel whose lower-right neighbour is not grey has its white shadow there.
    void expectShadowOfGrayText() const {
        int shadows = 0;
        for (int y = kItem.top + 1; y < kItem.bottom; ++y) {
            for (int x = 23; x < kItem.right; ++x) {
                const bool white = pixel(x, y) == kWhite;
                const bool shadowed = pixel(x - 1, y - 1) == kGray && pixel(x, y) != kGray;
                EXPECT_EQ(shadowed, white) << "at (" << x << ", " << y << ")";
                shadows += white;
                if (HasFailure()) return;
            }
        }
        EXPECT_GT(shadows, 20);
    }

    HandlerState state_{GetModuleHandleW(nullptr)};  // the icon file lies beside this program
    HandlerState* drawn_ = &state_;                  // the state that draw() asks
    HMENU menu_ = nullptr;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    DWORD* bits_ = nullptr;
};

// The tests that need the icon file put a copy of tovak.ico where the handler looks.
class OwnerDrawWithIcon : public OwnerDraw {
protected:
    void SetUp() override {
        OwnerDraw::SetUp();
        ASSERT_TRUE(
            CopyFileW(besideProgram(L"tovak.ico").c_str(), iconBesideProgram().c_str(), FALSE))
            << "no tovak.ico beside the program, error " << GetLastError();
    }
    void TearDown() override {
        DeleteFileW(iconBesideProgram().c_str());
        OwnerDraw::TearDown();
    }
};

TEST_F(OwnerDraw, MeasureAnswers150By20) {
    for (UINT id : {kFirstId, kFirstId + 1, kFirstId + 7}) {
        for (UINT type : {UINT(ODT_MENU), UINT(ODT_LISTBOX)}) {
            MEASUREITEMSTRUCT measure{};
            measure.CtlType = type;
            measure.itemID = id;
            measure.itemWidth = 1;
            measure.itemHeight = 2;
            const HRESULT hr =
                handleOwnerDrawMessage(WM_MEASUREITEM, reinterpret_cast<LPARAM>(&measure),
                                       state_.firstCommandId, state_.icon, nullptr);
            EXPECT_EQ(S_OK, hr) << std::hex << hr;
            EXPECT_EQ(150u, measure.itemWidth);
            EXPECT_EQ(20u, measure.itemHeight);
        }
    }
}

TEST_F(OwnerDraw, OtherMessagesAndNullStructuresHaveNoEffect) {
    for (UINT message : {UINT(WM_INITMENUPOPUP), UINT(WM_MENUCHAR), UINT(WM_MENUSELECT)}) {
        EXPECT_EQ(S_OK,
                  handleOwnerDrawMessage(message, 0, state_.firstCommandId, state_.icon, nullptr));
    }
    EXPECT_EQ(S_OK, handleOwnerDrawMessage(WM_MEASUREITEM, 0, state_.firstCommandId, state_.icon,
                                           nullptr));
    EXPECT_EQ(S_OK,
              handleOwnerDrawMessage(WM_DRAWITEM, 0, state_.firstCommandId, state_.icon, nullptr));
    EXPECT_EQ(nullptr, state_.icon.AtSize(16)) << "the icon file was looked for";
}

TEST_F(OwnerDrawWithIcon, SelectedItemOnTheHighlightColour) {
    EXPECT_EQ(S_OK, draw(kFirstId + 1, ODA_DRAWENTIRE, ODS_SELECTED));
    const COLORREF highlight = sysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(highlight, pixel(0, 40));
    EXPECT_EQ(highlight, pixel(3, 59));
    EXPECT_EQ(highlight, pixel(149, 40));
    EXPECT_EQ(highlight, pixel(149, 59));
    EXPECT_GT(count(sysColor(COLOR_HIGHLIGHTTEXT), 27, 40, 150, 60), 20);
    EXPECT_EQ(0, count(kMenuText, 0, 40, 150, 60));
    // The icon sits in its cell at (6, 42); nothing outside the item moved.
    EXPECT_EQ(kBoard, pixel(6 + 2, 42 + 2));
    EXPECT_EQ(kWidth * 40, count(RGB(0xC0, 0xC0, 0xC0), 0, 0, kWidth, 40));
    EXPECT_EQ(kWidth * 20, count(RGB(0xC0, 0xC0, 0xC0), 0, 60, kWidth, 80));
    EXPECT_EQ(10 * 20, count(RGB(0xC0, 0xC0, 0xC0), 150, 40, 160, 60));
}

TEST_F(OwnerDrawWithIcon, NormalItemKeepsTheMenuColours) {
    EXPECT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, 0));
    EXPECT_EQ(kMenuBack, pixel(0, 40));
    EXPECT_EQ(kMenuBack, pixel(149, 59));
    EXPECT_GT(count(kMenuText, 27, 40, 150, 60), 20);
    EXPECT_EQ(0, count(kMenuText, 0, 40, 27, 60));
    EXPECT_EQ(kBoard, pixel(6 + 2, 42 + 2));
}

TEST_F(OwnerDrawWithIcon, GrayedItemHasTheWhiteShadowDownRight) {
    EXPECT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, ODS_GRAYED));
    EXPECT_EQ(kMenuBack, pixel(149, 59));
    EXPECT_GT(count(kGray, 27, 40, 150, 60), 20);
    EXPECT_EQ(0, count(kMenuText, 0, 40, 150, 60));
    expectShadowOfGrayText();
}

TEST_F(OwnerDrawWithIcon, SelectedGrayedItemHasGrayTextAndShadowOnTheHighlight) {
    EXPECT_EQ(S_OK, draw(kFirstId + 1, ODA_SELECT, ODS_SELECTED | ODS_GRAYED));
    EXPECT_EQ(sysColor(COLOR_HIGHLIGHT), pixel(149, 59));
    EXPECT_GT(count(kGray, 27, 40, 150, 60), 20);
    expectShadowOfGrayText();
}

// A menu draws its items one after another on the same device context: whatever look
// the first took, the context goes back to the menu's colours, mode and objects, and the
// next normal item comes out exactly as on a fresh context.
TEST_F(OwnerDrawWithIcon, ItemDrawnAfterAnotherOnTheSameContextIsUnaffected) {
    EXPECT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, 0));
    const std::vector<DWORD> alone = snapshot();
    const HGDIOBJ font = GetCurrentObject(dc_, OBJ_FONT);
    const HGDIOBJ brush = GetCurrentObject(dc_, OBJ_BRUSH);
    const HGDIOBJ pen = GetCurrentObject(dc_, OBJ_PEN);
    for (UINT first : {0u, UINT(ODS_SELECTED), UINT(ODS_GRAYED), UINT(ODS_SELECTED | ODS_GRAYED)}) {
        SCOPED_TRACE(::testing::Message() << "first item state 0x" << std::hex << first);
        for (int i = 0; i < kWidth * kHeight; ++i) bits_[i] = 0x00C0C0C0;
        resetLook();
        EXPECT_EQ(S_OK, draw(kFirstId + 1, ODA_DRAWENTIRE, first));
        EXPECT_EQ(kMenuBack, GetBkColor(dc_));
        EXPECT_EQ(kMenuText, GetTextColor(dc_));
        EXPECT_EQ(OPAQUE, GetBkMode(dc_));
        EXPECT_EQ(font, GetCurrentObject(dc_, OBJ_FONT));
        EXPECT_EQ(brush, GetCurrentObject(dc_, OBJ_BRUSH));
        EXPECT_EQ(pen, GetCurrentObject(dc_, OBJ_PEN));

        EXPECT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, 0));
        GdiFlush();
        EXPECT_TRUE(alone == snapshot());
    }
}

TEST_F(OwnerDrawWithIcon, FocusOnlyForeignControlsAndUnknownIdsChangeNoPixel) {
    const std::vector<DWORD> before = snapshot();
    EXPECT_EQ(S_OK, draw(kFirstId, ODA_FOCUS, ODS_SELECTED | ODS_FOCUS));
    EXPECT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, ODS_SELECTED, ODT_BUTTON));
    EXPECT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, ODS_SELECTED, ODT_LISTBOX));
    EXPECT_EQ(S_OK, draw(kFirstId + 2, ODA_DRAWENTIRE, ODS_SELECTED));
    EXPECT_EQ(S_OK, draw(kFirstId - 1, ODA_DRAWENTIRE, ODS_SELECTED));
    EXPECT_TRUE(before == snapshot());
    EXPECT_EQ(kMenuBack, GetBkColor(dc_));
}

// The icon file beside the module is found at the first draw, a focus-only one too, and
// serves both items.
TEST_F(OwnerDrawWithIcon, TheIconBesideTheModuleIsFoundAtTheFirstDraw) {
    EXPECT_EQ(nullptr, state_.icon.AtSize(16));
    EXPECT_EQ(S_OK, draw(kFirstId, ODA_FOCUS, 0));  // found before the focus-only stop
    const IconImage* found = state_.icon.AtSize(16);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(16, found->Size().width);
    for (UINT id : {kFirstId + 1, kFirstId}) {
        for (int i = 0; i < kWidth * kHeight; ++i) bits_[i] = 0x00C0C0C0;
        EXPECT_EQ(S_OK, draw(id, ODA_DRAWENTIRE, ODS_SELECTED));
        EXPECT_EQ(kBoard, pixel(6 + 2, 42 + 2)) << "item " << id;
    }
}

// The caption of the requested item lands where the layout puts it: the same text
// drawn by hand (wide, transparent) into the layout's text rectangle gives the same
// pixels right of the icon column.
TEST_F(OwnerDrawWithIcon, CaptionOfTheRequestedItemAtTheLayoutsTextRectangle) {
    EXPECT_EQ(S_OK, draw(kFirstId + 1, ODA_DRAWENTIRE, 0));
    const std::vector<DWORD> drawn = snapshot();

    for (int i = 0; i < kWidth * kHeight; ++i) bits_[i] = drawn[i];
    RECT textFill = {22, 40, 150, 60};
    HBRUSH back = CreateSolidBrush(kMenuBack);
    FillRect(dc_, &textFill, back);
    DeleteObject(back);
    SIZE extent{};
    const std::wstring caption = L"フルパスをコピー";
    GetTextExtentPoint32W(dc_, caption.c_str(), static_cast<int>(caption.size()), &extent);
    const ItemLayout layout = computeItemLayout({0, 40, 150, 60}, {16, 16}, {extent.cx, extent.cy},
                                                GetSystemMetrics(SM_CXFRAME));
    RECT text = {layout.textRect.left, layout.textRect.top, layout.textRect.right,
                 layout.textRect.bottom};
    SetBkMode(dc_, TRANSPARENT);
    DrawTextW(dc_, caption.c_str(), static_cast<int>(caption.size()), &text, DT_EXPANDTABS);
    GdiFlush();

    int differences = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) differences += bits_[i] != drawn[i];
    EXPECT_EQ(0, differences);
    EXPECT_GT(count(kMenuText, 22, 40, 150, 60), 20);
}

// Installed in a folder whose name the ANSI code page cannot spell, the icon is still
// found: the icon path comes from the wide module path.
TEST_F(OwnerDrawWithIcon, IconIsFoundInAFolderOutsideTheAnsiCodePage) {
    const std::wstring folder = besideProgram(L"\uD55C\uAD6D\uC5B4 \u0E44\u0E17\u0E22");
    const std::wstring dll = folder + L"\\tovak.dll";
    const std::wstring icon = folder + L"\\tovak.ico";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CopyFileW(besideProgram(L"tovak.dll").c_str(), dll.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(besideProgram(L"tovak.ico").c_str(), icon.c_str(), FALSE));
    HMODULE module = LoadLibraryW(dll.c_str());
    ASSERT_NE(nullptr, module) << "LoadLibrary failed, error " << GetLastError();
    // The handler takes its icon from this module, as it would inside the DLL.
    HandlerState inDll(module);
    insertMenuItems(menu_, 0, kFirstId, kFirstId + 50, 0, inDll.firstCommandId);
    drawn_ = &inDll;

    EXPECT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, 0));
    const bool iconDrawn = pixel(6 + 2, 42 + 2) == kBoard;

    drawn_ = &state_;
    FreeLibrary(module);
    DeleteFileW(dll.c_str());
    DeleteFileW(icon.c_str());
    RemoveDirectoryW(folder.c_str());
    EXPECT_TRUE(iconDrawn);
}

TEST_F(OwnerDraw, WithoutTheIconFileTheIconColumnStaysEmpty) {
    DeleteFileW(iconBesideProgram().c_str());
    EXPECT_EQ(S_OK, draw(kFirstId + 1, ODA_DRAWENTIRE, ODS_SELECTED));
    EXPECT_EQ(nullptr, state_.icon.AtSize(16));
    const COLORREF highlight = sysColor(COLOR_HIGHLIGHT);
    // The whole item is filled, the icon column and the frame gap hold nothing else.
    const int textLeft = 22 + GetSystemMetrics(SM_CXFRAME) + 1;
    EXPECT_EQ(textLeft * 20, count(highlight, 0, 40, textLeft, 60));
    EXPECT_GT(count(sysColor(COLOR_HIGHLIGHTTEXT), textLeft, 40, 150, 60), 20);
}

// An open menu redraws its items at every move of the mouse: the icon file is read at the
// first draw only, and that icon serves the handler's later draws, whatever became of the
// file.
TEST_F(OwnerDrawWithIcon, TheIconReadAtTheFirstDrawServesEveryLaterDraw) {
    ASSERT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, 0));
    ASSERT_TRUE(DeleteFileW(iconBesideProgram().c_str())) << "error " << GetLastError();
    for (UINT id : {kFirstId + 1, kFirstId}) {
        for (int i = 0; i < kWidth * kHeight; ++i) bits_[i] = 0x00C0C0C0;
        EXPECT_EQ(S_OK, draw(id, ODA_SELECT, ODS_SELECTED));
        EXPECT_EQ(kBoard, pixel(6 + 2, 42 + 2)) << "item " << id;
    }
}

// An icon file of one 16-pixel picture in one colour, 32 bits a pixel.
std::string solidIconFile(COLORREF colour) {
    const BYTE header[] = {0,    0,  1,  0, 1,  0,                      // ICONDIR: one icon
                           16,   16, 0,  0, 1,  0, 32, 0,               // 16 x 16, 32 bits
                           0x68, 4,  0,  0, 22, 0, 0,  0,               // 1128 bytes at 22
                           40,   0,  0,  0, 16, 0, 0,  0, 32, 0, 0, 0,  // BITMAPINFOHEADER
                           1,    0,  32, 0};
    std::string file(reinterpret_cast<const char*>(header), sizeof header);
    file.resize(22 + 40);
    const char pixel[4] = {static_cast<char>(GetBValue(colour)),
                           static_cast<char>(GetGValue(colour)),
                           static_cast<char>(GetRValue(colour)), static_cast<char>(0xFF)};
    for (int i = 0; i < 16 * 16; ++i) file.append(pixel, 4);
    file.append(16 * 4, '\0');  // the mask: every pixel shows
    return file;
}

// Explorer keeps a loaded DLL and makes a new handler for every right-click: a new handler
// draws the icon the module read before while the file keeps its size and last-write
// time (bytes that are no icon at all, under the old size and time, are never read), and
// reads the file again once it has changed.
TEST_F(OwnerDrawWithIcon, ANewHandlerReadsTheIconFileAgainOnlyWhenItHasChanged) {
    const COLORREF kRed = RGB(0xFF, 0x00, 0x00);
    ASSERT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, 0));
    ASSERT_EQ(kBoard, pixel(6 + 2, 42 + 2));
    const struct {
        const char* change;
        bool keepSizeAndTime;
        COLORREF drawn;
    } cases[] = {{"unreadable bytes under the same size and time", true, kBoard},
                 {"another picture", false, kRed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        const std::wstring path = iconBesideProgram();
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << "error " << GetLastError();
        FILETIME written{};
        GetFileTime(file, nullptr, nullptr, &written);
        std::string bytes(GetFileSize(file, nullptr), '\0');
        if (!c.keepSizeAndTime) bytes = solidIconFile(kRed);
        DWORD done = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        SetEndOfFile(file);
        if (c.keepSizeAndTime) SetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);

        HandlerState handler{GetModuleHandleW(nullptr)};
        HMENU menu = CreatePopupMenu();
        insertMenuItems(menu, 0, kFirstId, kFirstId + 50, 0, handler.firstCommandId);
        drawn_ = &handler;
        for (int i = 0; i < kWidth * kHeight; ++i) bits_[i] = 0x00C0C0C0;
        EXPECT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, 0));
        drawn_ = &state_;
        DestroyMenu(menu);
        EXPECT_EQ(c.drawn, pixel(6 + 2, 42 + 2));
    }
}

// Each handler keeps the icon it drew until it goes; a shell makes and drops handlers by
// the thousand, and none may leave a handle behind. The process's GDI table is filled up
// to a small headroom first: a leak of even one handle per handler exhausts it long
// before the loop ends (Wine's GetGuiResources reports nothing, so the count below only
// bites on Windows).
TEST_F(OwnerDrawWithIcon, ThousandsOfDrawsLeaveNoHandleBehind) {
    constexpr int kHeadroom = 400;
    constexpr int kDraws = 2000;
    ASSERT_EQ(S_OK, draw(kFirstId, ODA_DRAWENTIRE, 0));  // the shell's own caches
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);

    std::vector<HBITMAP> filler;
    while (filler.size() < 200000) {
        HBITMAP one = CreateBitmap(1, 1, 1, 1, nullptr);
        if (!one) break;
        filler.push_back(one);
    }
    for (int i = 0; i < kHeadroom && !filler.empty(); ++i) {
        DeleteObject(filler.back());
        filler.pop_back();
    }
    for (int i = 0; i < kDraws / 4; ++i) {
        HandlerState handler{GetModuleHandleW(nullptr)};
        HMENU menu = CreatePopupMenu();
        insertMenuItems(menu, 0, kFirstId, kFirstId + 50, 0, handler.firstCommandId);
        drawn_ = &handler;
        for (int d = 0; d < 4; ++d) {
            draw(kFirstId + (d & 1), ODA_DRAWENTIRE, (d & 2) ? ODS_SELECTED : 0);
        }
        drawn_ = &state_;
        DestroyMenu(menu);
    }
    const bool iconStillDrawn = pixel(6 + 2, 42 + 2) == kBoard;
    int reclaimed = 0;
    while (reclaimed < kHeadroom) {
        HBITMAP one = CreateBitmap(1, 1, 1, 1, nullptr);
        if (!one) break;
        filler.push_back(one);
        ++reclaimed;
    }
    for (HBITMAP one : filler) DeleteObject(one);

    EXPECT_TRUE(iconStillDrawn);
    EXPECT_GE(reclaimed, kHeadroom - 20) << "handles lost over " << kDraws << " draws";
    EXPECT_EQ(gdiBefore, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    EXPECT_EQ(userBefore, GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
}

}  // namespace
