// The copy commands: exactly what lands on the clipboard, and when nothing does.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "extension/handler_state.h"
#include "tests/common/drop_block.h"
#include "tests/common/fake_data_object.h"
#include "tests/extension/clipboard_probe.h"

namespace {

using clipboard_probe::bytesOf;

HRESULT invoke(HandlerState& state, ULONG_PTR verb) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = reinterpret_cast<LPCSTR>(verb);
    return state.invokeCommand(&info);
}

class CopyCommands : public ::testing::Test {
protected:
    void select(const std::vector<std::u16string>& paths) {
        data_ = std::make_unique<FakeDataObject>(drop_block::wide(paths));
        ASSERT_EQ(S_OK, state_.initialize(nullptr, data_.get()));
    }
    // Runs a command and returns the CF_TEXT block.
    std::vector<unsigned char> copy(CommandOffset command) {
        const HRESULT hr = invoke(state_, command);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        return clipboard_probe::read(CF_TEXT);
    }

    std::unique_ptr<FakeDataObject> data_;
    HandlerState state_;
};

TEST_F(CopyCommands, OnePathIsItsTextAndThreeZeroBytes) {
    select({u"C:\\dir\\a.txt"});
    EXPECT_EQ(bytesOf("C:\\dir\\a.txt\0\0\0"), copy(CopyPaths));
    EXPECT_EQ(L"C:\\dir\\a.txt", clipboard_probe::readUnicodeText());
    EXPECT_EQ(bytesOf("a.txt\0\0\0"), copy(CopyNames));
    EXPECT_EQ(L"a.txt", clipboard_probe::readUnicodeText());
}

TEST_F(CopyCommands, LinesAreJoinedWithCrLfAndNothingFollowsTheLast) {
    select({u"C:\\x\\a.txt", u"C:\\x\\b.txt"});
    EXPECT_EQ(bytesOf("a.txt\r\nb.txt\0\0\0"), copy(CopyNames));
    EXPECT_EQ(L"C:\\x\\a.txt\r\nC:\\x\\b.txt",
              (copy(CopyPaths), clipboard_probe::readUnicodeText()));
}

TEST_F(CopyCommands, ADriveRootInTheMiddleGivesAnEmptyLine) {
    select({u"C:\\x\\a", u"C:\\", u"D:\\work\\src"});
    EXPECT_EQ(bytesOf("a\r\n\r\nsrc\0\0\0"), copy(CopyNames));
    EXPECT_EQ(bytesOf("C:\\x\\a\r\nC:\\\r\nD:\\work\\src\0\0\0"), copy(CopyPaths));
}

TEST_F(CopyCommands, NamesFollowEverySeparator) {
    select({u"\\\\server\\share\\f.txt", u"C:f.txt", u"C:/x/y.txt"});
    EXPECT_EQ(bytesOf("f.txt\r\nf.txt\r\ny.txt\0\0\0"), copy(CopyNames));
}

// Characters with no form in the code page (not even a best-fit one) become its default
// character in CF_TEXT, and stay whole in CF_UNICODETEXT.
TEST_F(CopyCommands, CharactersOutsideTheCodePageKeepTheirUnicodeForm) {
    select({u"C:\\x\\\u8868\u2603.txt"});
    EXPECT_EQ(bytesOf("??.txt\0\0\0"), copy(CopyNames));
    EXPECT_EQ(L"\u8868\u2603.txt", clipboard_probe::readUnicodeText());
    EXPECT_EQ(bytesOf("C:\\x\\??.txt\0\0\0"), copy(CopyPaths));
    EXPECT_EQ(L"C:\\x\\\u8868\u2603.txt", clipboard_probe::readUnicodeText());
}

// A verb the handler does not have is refused with E_FAIL and changes nothing, so that it
// reaches the other handlers of the menu. With CMIC_MASK_UNICODE in a structure as large
// as CMINVOKECOMMANDINFOEX, lpVerbW names the verb and lpVerb is not read.
TEST_F(CopyCommands, OnlyTheTwoCommandOffsetsAreCarriedOut) {
    select({u"C:\\dir\\a.txt"});
    const DWORD ex = sizeof(CMINVOKECOMMANDINFOEX), plain = sizeof(CMINVOKECOMMANDINFO);
    const struct {
        DWORD size, mask;
        LPCSTR verb;
        LPCWSTR verbW;
        HRESULT result;
        std::vector<unsigned char> clipboard;
    } cases[] = {
        {plain, 0, "open", nullptr, E_FAIL, bytesOf("before\0")},
        {plain, 0, "copy", nullptr, E_FAIL, bytesOf("before\0")},
        {plain, 0, MAKEINTRESOURCEA(2), nullptr, E_FAIL, bytesOf("before\0")},
        {plain, 0, MAKEINTRESOURCEA(0xFFFF), nullptr, E_FAIL, bytesOf("before\0")},
        {ex, CMIC_MASK_UNICODE, nullptr, L"copy", E_FAIL, bytesOf("before\0")},
        {ex, CMIC_MASK_UNICODE, nullptr, MAKEINTRESOURCEW(2), E_FAIL, bytesOf("before\0")},
        {ex, CMIC_MASK_UNICODE, "copy", MAKEINTRESOURCEW(CopyPaths), S_OK,
         bytesOf("C:\\dir\\a.txt\0\0\0")},
        {ex, 0, MAKEINTRESOURCEA(CopyNames), L"copy", S_OK, bytesOf("a.txt\0\0\0")},
        {plain, CMIC_MASK_UNICODE, MAKEINTRESOURCEA(CopyNames), L"copy", S_OK,
         bytesOf("a.txt\0\0\0")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        ASSERT_TRUE(clipboard_probe::seed("before"));
        CMINVOKECOMMANDINFOEX info = {};
        info.cbSize = c.size;
        info.fMask = c.mask;
        info.lpVerb = c.verb;
        info.lpVerbW = c.verbW;  // beyond cbSize in the plain structure, never read there
        const HRESULT hr = state_.invokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
        EXPECT_EQ(c.result, hr) << std::hex << hr;
        EXPECT_EQ(c.clipboard, clipboard_probe::read(CF_TEXT));
    }
    const HRESULT hr = state_.invokeCommand(nullptr);
    EXPECT_EQ(E_INVALIDARG, hr) << std::hex << hr;
}

TEST_F(CopyCommands, AClipboardHeldByAnotherWindowIsLeftAlone) {
    select({u"C:\\dir\\a.txt"});
    ASSERT_TRUE(clipboard_probe::seed("held"));
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HWND window = CreateWindowA("STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
        const BOOL open = OpenClipboard(window);
        SetEvent(opened);
        WaitForSingleObject(done, 10000);
        if (open) CloseClipboard();
        DestroyWindow(window);
    });
    WaitForSingleObject(opened, 10000);
    const HRESULT names = invoke(state_, CopyNames);
    const HRESULT paths = invoke(state_, CopyPaths);
    SetEvent(done);
    holder.join();
    CloseHandle(opened);
    CloseHandle(done);
    EXPECT_EQ(S_OK, names) << std::hex << names;
    EXPECT_EQ(S_OK, paths) << std::hex << paths;
    EXPECT_EQ(bytesOf("held\0"), clipboard_probe::read(CF_TEXT));
}

TEST_F(CopyCommands, AnEmptySelectionPutsAnEmptyText) {
    EXPECT_EQ(bytesOf("\0\0\0"), copy(CopyPaths));
}

}  // namespace
