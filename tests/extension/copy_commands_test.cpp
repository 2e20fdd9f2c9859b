// The copy commands: exactly what lands on the clipboard, and when nothing does.
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "extension/copy_commands.h"
#include "extension/handler_state.h"
#include "extension/selection_capture.h"
#include "tests/common/drop_block.h"
#include "tests/common/fake_data_object.h"
#include "tests/extension/clipboard_probe.h"

namespace {

using clipboard_probe::bytesOf;

HRESULT invoke(HandlerState& state, ULONG_PTR verb) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = reinterpret_cast<LPCSTR>(verb);
    return invokeCopyCommand(&info, state.selection);
}

class CopyCommands : public ::testing::Test {
protected:
    void select(const std::vector<std::u16string>& paths) {
        data_ = std::make_unique<FakeDataObject>(drop_block::wide(paths));
        ASSERT_EQ(S_OK,
                  captureSelection(nullptr, data_.get(), state_.dataObject, state_.selection));
    }
    // Runs a command and returns the CF_TEXT block.
    std::vector<unsigned char> copy(CommandOffset offset) {
        const HRESULT hr = invoke(state_, offset);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        return clipboard_probe::read(CF_TEXT);
    }

    std::unique_ptr<FakeDataObject> data_;
    HandlerState state_{nullptr};
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
        LPCWSTR verbW;  // beyond cbSize in the plain structure
        bool copies;
    } cases[] = {
        {plain, 0, "copy", nullptr, false},
        {plain, 0, MAKEINTRESOURCEA(2), nullptr, false},
        {plain, 0, MAKEINTRESOURCEA(0xFFFF), nullptr, false},
        {ex, CMIC_MASK_UNICODE, nullptr, L"copy", false},
        {ex, CMIC_MASK_UNICODE, nullptr, MAKEINTRESOURCEW(2), false},
        {ex, CMIC_MASK_UNICODE, "copy", MAKEINTRESOURCEW(CopyPaths), true},
        {ex, 0, MAKEINTRESOURCEA(CopyPaths), L"copy", true},
        {plain, CMIC_MASK_UNICODE, MAKEINTRESOURCEA(CopyPaths), L"copy", true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(clipboard_probe::seed("before"));
        CMINVOKECOMMANDINFOEX info = {c.size, c.mask, nullptr, c.verb};
        info.lpVerbW = c.verbW;
        const HRESULT hr =
            invokeCopyCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info), state_.selection);
        EXPECT_EQ(c.copies ? S_OK : E_FAIL, hr) << "case " << &c - cases << std::hex << " " << hr;
        EXPECT_EQ(c.copies ? bytesOf("C:\\dir\\a.txt\0\0\0") : bytesOf("before\0"),
                  clipboard_probe::read(CF_TEXT))
            << "case " << &c - cases;
    }
    EXPECT_EQ(E_INVALIDARG, invokeCopyCommand(nullptr, state_.selection));
}

// Another program's window: it puts "held" on the clipboard and keeps it open for
// `holdMs` or until `letGo`, answering its messages meanwhile as a window does (under
// Wine, OpenClipboard sends one to the owner); `released` is set once it has closed it.
void holdClipboard(DWORD holdMs, HANDLE opened, HANDLE letGo, std::atomic<bool>* released) {
    HWND window =
        CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const bool open = OpenClipboard(window) && EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
    std::memcpy(GlobalLock(block), "held", 5);
    GlobalUnlock(block);
    if (!open || !SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    SetEvent(opened);
    MSG message;
    for (DWORD start = GetTickCount(), held = 0;
         (held = GetTickCount() - start) < holdMs &&
         MsgWaitForMultipleObjects(1, &letGo, FALSE, holdMs - held, QS_ALLINPUT) !=
             WAIT_OBJECT_0;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    if (open) CloseClipboard();
    *released = true;
    DestroyWindow(window);
}

// A clipboard held for a moment is waited for; one held longer keeps its content, and the
// call fails while the other window still holds it.
TEST_F(CopyCommands, ABusyClipboardIsWaitedForBriefly) {
    select({u"C:\\dir\\a.txt"});
    for (const DWORD holdMs : {150u, 5000u}) {
        HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE letGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::atomic<bool> released{false};
        std::thread holder(holdClipboard, holdMs, opened, letGo, &released);
        WaitForSingleObject(opened, INFINITE);
        const HRESULT hr = invoke(state_, CopyPaths);
        const bool stillHeld = !released;
        SetEvent(letGo);
        holder.join();
        CloseHandle(opened);
        CloseHandle(letGo);
        const bool brief = holdMs < 1000;
        EXPECT_EQ(brief, SUCCEEDED(hr)) << holdMs << " ms" << std::hex << ", hr " << hr;
        EXPECT_TRUE(brief || stillHeld) << "the call returned only once the holder let go";
        EXPECT_EQ(brief ? bytesOf("C:\\dir\\a.txt\0\0\0") : bytesOf("held\0"),
                  clipboard_probe::read(CF_TEXT));
    }
}

TEST_F(CopyCommands, AnEmptySelectionPutsAnEmptyText) {
    EXPECT_EQ(bytesOf("\0\0\0"), copy(CopyPaths));
}

}  // namespace
