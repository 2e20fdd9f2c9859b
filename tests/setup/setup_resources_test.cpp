// The setup tool's resources as the program carries them: dialog templates read back
// field by field, the string table, the icon and the version resource.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resources/setup_resource.h"
#include "setup/framework/resource_string.h"
#include "tests/setup/ansi_text.h"

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

// One control as a dialog template holds it.
struct Control {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    int id;
    std::wstring windowClass;  // "#128" etc. for the predefined classes
    std::wstring text;         // "#128" for an ordinal
};

struct Template {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring font;
    std::vector<Control> controls;
};

// Reads the words of a template resource in order.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : start_(data), p_(data) {}

    WORD word() { return take<WORD>(); }
    DWORD dword() { return take<DWORD>(); }
    short coordinate() { return static_cast<short>(take<WORD>()); }
    BYTE byte() { return take<BYTE>(); }

    // A string, or an ordinal (0xFFFF, value) written as "#value".
    std::wstring stringOrOrdinal() {
        if (peekWord() == 0xFFFF) {
            word();
            return L"#" + std::to_wstring(word());
        }
        return string();
    }
    std::wstring string() {
        std::wstring text;
        for (WORD c = word(); c != 0; c = word()) text.push_back(static_cast<wchar_t>(c));
        return text;
    }
    void alignToDword() {
        while ((p_ - start_) % 4 != 0) ++p_;
    }
    void skip(std::size_t bytes) { p_ += bytes; }

private:
    template <class T>
    T take() {
        T value;
        memcpy(&value, p_, sizeof(T));
        p_ += sizeof(T);
        return value;
    }
    WORD peekWord() const {
        WORD value;
        memcpy(&value, p_, sizeof(WORD));
        return value;
    }

    const BYTE* start_;
    const BYTE* p_;
};

const BYTE* japaneseResource(LPCSTR type, UINT id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kJapanese);
    if (!found) return nullptr;
    return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

Template readTemplate(UINT id) {
    Template dialog;
    const BYTE* data = japaneseResource(RT_DIALOG, id);
    EXPECT_NE(nullptr, data) << "no Japanese dialog " << id;
    if (!data) return dialog;
    TemplateReader reader(data);
    WORD count;
    const bool extended = reinterpret_cast<const WORD*>(data)[1] == 0xFFFF;
    if (extended) {
        EXPECT_EQ(1, reader.word());       // version
        EXPECT_EQ(0xFFFF, reader.word());  // signature
        reader.dword();                    // help id
        dialog.exStyle = reader.dword();
        dialog.style = reader.dword();
    } else {
        dialog.style = reader.dword();
        dialog.exStyle = reader.dword();
    }
    count = reader.word();
    dialog.x = reader.coordinate();
    dialog.y = reader.coordinate();
    dialog.cx = reader.coordinate();
    dialog.cy = reader.coordinate();
    EXPECT_EQ(L"", reader.stringOrOrdinal()) << "menu";
    EXPECT_EQ(L"", reader.stringOrOrdinal()) << "window class";
    dialog.caption = reader.string();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = reader.word();
        if (extended) {
            dialog.weight = reader.word();
            dialog.italic = reader.byte();
            dialog.charset = reader.byte();
        }
        dialog.font = reader.string();
    }
    for (WORD i = 0; i < count; ++i) {
        reader.alignToDword();
        Control control{};
        if (extended) {
            reader.dword();  // help id
            control.exStyle = reader.dword();
            control.style = reader.dword();
        } else {
            control.style = reader.dword();
            control.exStyle = reader.dword();
        }
        control.x = reader.coordinate();
        control.y = reader.coordinate();
        control.cx = reader.coordinate();
        control.cy = reader.coordinate();
        control.id =
            extended ? static_cast<int>(reader.dword()) : static_cast<short>(reader.word());
        control.windowClass = reader.stringOrOrdinal();
        control.text = reader.stringOrOrdinal();
        reader.skip(reader.word());  // creation data
        dialog.controls.push_back(control);
    }
    return dialog;
}

const std::wstring kButton = L"#128";
const std::wstring kStatic = L"#130";

void expectControl(const Control& actual, int id, const std::wstring& windowClass, DWORD style,
                   short x, short y, short cx, short cy, const char* utf8Text, int index) {
    SCOPED_TRACE("control " + std::to_string(index));
    EXPECT_EQ(id, actual.id);
    EXPECT_EQ(windowClass, actual.windowClass);
    EXPECT_EQ(style, actual.style) << std::hex << "0x" << actual.style << " wanted 0x" << style;
    EXPECT_EQ(0u, actual.exStyle);
    EXPECT_EQ(x, actual.x);
    EXPECT_EQ(y, actual.y);
    EXPECT_EQ(cx, actual.cx);
    EXPECT_EQ(cy, actual.cy);
    EXPECT_EQ(wideFromUtf8(utf8Text), actual.text);
}

TEST(SetupResources, SetupDialogTemplate) {
    const Template dialog = readTemplate(IDD_SETUP);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                                 DS_SETFONT),
              dialog.style)
        << std::hex << dialog.style;
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), dialog.exStyle);
    EXPECT_EQ(0, dialog.x);
    EXPECT_EQ(0, dialog.y);
    EXPECT_EQ(242, dialog.cx);
    EXPECT_EQ(153, dialog.cy);
    EXPECT_EQ(wideFromUtf8(u8"TovakLite セットアップツール ver 1.00"), dialog.caption);
    EXPECT_EQ(9, dialog.pointSize);
    EXPECT_EQ(0, dialog.weight);
    EXPECT_EQ(0, dialog.italic);
    EXPECT_EQ(1, dialog.charset);
    EXPECT_EQ(wideFromUtf8(u8"ＭＳ Ｐゴシック"), dialog.font);

    ASSERT_EQ(9u, dialog.controls.size());
    const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    const DWORD group = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
    const DWORD text = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
    const auto& c = dialog.controls;
    expectControl(c[0], IDC_INSTALL, kButton, button, 17, 29, 108, 26, u8"Tovak をインストール", 1);
    expectControl(c[1], IDC_UNINSTALL, kButton, button, 17, 93, 108, 26,
                  u8"Tovak をアンインストール", 2);
    expectControl(c[2], IDC_ABOUT, kButton, button, 39, 132, 67, 14, u8"バージョン情報", 3);
    expectControl(c[3], IDOK, kButton, button, 143, 132, 50, 14, u8"終了", 4);
    expectControl(c[4], IDCANCEL, kButton, WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 176, 123, 50, 14,
                  u8"ｷｬﾝｾﾙ", 5);
    expectControl(c[5], -1, kButton, group, 7, 12, 228, 56, u8"インストール", 6);
    expectControl(c[6], -1, kStatic, text, 136, 33, 93, 24,
                  u8"Tovak をインストールするには、左のボタンをクリックしてください", 7);
    expectControl(c[7], -1, kButton, group, 7, 75, 228, 56, u8"アンインストール", 8);
    expectControl(c[8], -1, kStatic, text, 136, 97, 93, 24,
                  u8"Tovak をアンインストールするには、左のボタンをクリックしてください", 9);
}

TEST(SetupResources, AboutDialogTemplate) {
    const Template dialog = readTemplate(IDD_ABOUT);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
              dialog.style)
        << std::hex << dialog.style;
    EXPECT_EQ(0u, dialog.exStyle);
    EXPECT_EQ(0, dialog.x);
    EXPECT_EQ(0, dialog.y);
    EXPECT_EQ(235, dialog.cx);
    EXPECT_EQ(55, dialog.cy);
    EXPECT_EQ(wideFromUtf8(u8"TovakLite のﾊﾞｰｼﾞｮﾝ情報"), dialog.caption);
    EXPECT_EQ(9, dialog.pointSize);
    EXPECT_EQ(wideFromUtf8(u8"ＭＳ Ｐゴシック"), dialog.font);

    ASSERT_EQ(5u, dialog.controls.size());
    const DWORD shown = WS_CHILD | WS_VISIBLE;
    const auto& c = dialog.controls;
    expectControl(c[0], -1, kStatic, shown | SS_ICON, 11, 17, 20, 20, "#128", 1);
    expectControl(c[1], -1, kStatic, shown | SS_LEFT | SS_NOPREFIX | WS_GROUP, 40, 10, 119, 8,
                  "TovakLite Version 1.00", 2);
    expectControl(c[2], -1, kStatic, shown | SS_LEFT | WS_GROUP, 40, 25, 119, 8,
                  "Copyright (C) 2026 TovakLite Project", 3);
    expectControl(c[3], IDOK, kButton, shown | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 178, 7, 50,
                  14, "OK", 4);
    expectControl(c[4], IDC_SITE, kButton, shown | BS_PUSHBUTTON | WS_TABSTOP, 159, 25, 69, 14,
                  u8"TovakLite のサイトへ", 5);
}

TEST(SetupResources, StringTableInTheAnsiCodePage) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    ASSERT_NE(nullptr, japaneseResource(RT_STRING, IDS_ABOUT_MENU / 16 + 1));
    const struct {
        UINT id;
        const char* text;
    } strings[] = {
        {IDS_ABOUT_MENU, u8"TovakLite のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
        {IDS_SITE_ADDRESS, "http://tovaklite.example.invalid/"},
        {IDS_ASK_INSTALL, u8"TovakLite をインストールしますか？"},
        {IDS_ASK_UNINSTALL, u8"TovakLite をアンインストールしますか？"},
        {IDS_INSTALL_COMMAND, "regsvr32 /c tovak.dll"},
        {IDS_UNINSTALL_COMMAND, "regsvr32 /c /u tovak.dll"},
        {IDS_INSTALL_USER_COMMAND, "regsvr32 /c /n /i:user tovak.dll"},
        {IDS_UNINSTALL_USER_COMMAND, "regsvr32 /c /u /n /i:user tovak.dll"},
    };
    for (const auto& s : strings) {
        EXPECT_EQ(ansiFromUtf8(s.text), loadResourceString(module, s.id)) << s.id;
    }
    // The long texts survive whole: no truncation at a buffer size.
    const std::string started = loadResourceString(module, IDS_INSTALL_STARTED);
    EXPECT_EQ(0u,
              started.find(ansiFromUtf8(u8"「 DllRegisterServer in tovak.dll succeeded. 」\n")));
    EXPECT_NE(std::string::npos,
              started.find(ansiFromUtf8(u8"Tovakメニューが追加されたか確認してください。")));
    EXPECT_EQ(loadResourceString(module, IDS_INSTALL_FAILED),
              loadResourceString(module, IDS_UNINSTALL_FAILED));
    EXPECT_EQ("", loadResourceString(module, 109)) << "no such string";
}

TEST(SetupResources, IconIsOne32By32SixteenColourImage) {
    const BYTE* group = japaneseResource(RT_GROUP_ICON, IDI_SETUP);
    ASSERT_NE(nullptr, group);
    const WORD* header = reinterpret_cast<const WORD*>(group);
    EXPECT_EQ(1, header[1]) << "type icon";
    ASSERT_EQ(1, header[2]) << "one image";
    const BYTE* entry = group + 6;
    EXPECT_EQ(32, entry[0]);
    EXPECT_EQ(32, entry[1]);
    EXPECT_EQ(16, entry[2]);
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_SETUP));
    ASSERT_NE(nullptr, icon);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_NE(nullptr, info.hbmMask) << "transparency mask";
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
}

TEST(SetupResources, VersionResource) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_NE(0u, size);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);
    EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0411, translation[0]);
    EXPECT_EQ(0x04B0, translation[1]);

    const struct {
        const wchar_t* name;
        const char* value;
    } values[] = {
        {L"Comments", ""},
        {L"CompanyName", ""},
        {L"FileDescription", "TovakSetup"},
        {L"FileVersion", "1, 0, 0, 1"},
        {L"InternalName", "TovakSetup"},
        {L"LegalCopyright", "Copyright (C) 2026 TovakLite Project"},
        {L"LegalTrademarks", ""},
        {L"OriginalFilename", "TovakSetup.EXE"},
        {L"PrivateBuild", ""},
        {L"ProductName", u8"TovakSetup ｱﾌﾟﾘｹｰｼｮﾝ"},
        {L"ProductVersion", "1, 0, 0, 1"},
        {L"SpecialBuild", ""},
    };
    for (const auto& v : values) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\041104b0\\") + v.name;
        wchar_t* text = nullptr;
        length = 0;
        EXPECT_TRUE(
            VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&text), &length))
            << "missing " << std::string(v.name, v.name + wcslen(v.name));
        if (text) {
            EXPECT_EQ(wideFromUtf8(v.value), std::wstring(text))
                << std::string(v.name, v.name + wcslen(v.name));
        }
    }
}

}  // namespace
