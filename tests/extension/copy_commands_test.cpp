// The copy commands: exactly what lands on the clipboard, and when nothing does.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
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

// Another window that opens the clipboard, puts "held" on it and keeps it open for
// `holdMs` or until let go; released() tells whether it has closed the clipboard.
class ClipboardHolder {
public:
    explicit ClipboardHolder(DWORD holdMs) : thread_([this, holdMs] { hold(holdMs); }) {
        WaitForSingleObject(opened_, INFINITE);
    }
    ~ClipboardHolder() {
        SetEvent(letGo_);
        thread_.join();
        CloseHandle(opened_);
        CloseHandle(letGo_);
        CloseHandle(released_);
    }
    bool released() const { return WaitForSingleObject(released_, 0) == WAIT_OBJECT_0; }
    void letGoAndWait() {
        SetEvent(letGo_);
        WaitForSingleObject(released_, INFINITE);
    }

private:
    void hold(DWORD holdMs) {
        HWND window = CreateWindowA("STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    nullptr, nullptr);
        const bool open = OpenClipboard(window) && EmptyClipboard();
        if (open) {
            HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
            std::memcpy(GlobalLock(block), "held", 5);
            GlobalUnlock(block);
            if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
        }
        SetEvent(opened_);
        // As the owner, it answers the messages that others' OpenClipboard sends it under
        // Wine, like the window of any program would.
        const DWORD start = GetTickCount();
        for (DWORD held = 0; held < holdMs; held = GetTickCount() - start) {
            if (MsgWaitForMultipleObjects(1, &letGo_, FALSE, holdMs - held, QS_ALLINPUT) ==
                WAIT_OBJECT_0) {
                break;
            }
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        }
        if (open) CloseClipboard();
        SetEvent(released_);
        DestroyWindow(window);
    }

    HANDLE opened_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE letGo_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE released_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread thread_;
};

TEST_F(CopyCommands, AClipboardBusyForAMomentIsWaitedFor) {
    select({u"C:\\dir\\a.txt", u"C:\\dir\\b.txt"});
    ClipboardHolder holder(150);
    const HRESULT hr = invoke(state_, CopyPaths);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(bytesOf("C:\\dir\\a.txt\r\nC:\\dir\\b.txt\0\0\0"), clipboard_probe::read(CF_TEXT));
    EXPECT_EQ(L"C:\\dir\\a.txt\r\nC:\\dir\\b.txt", clipboard_probe::readUnicodeText());
}

// The call gives up while the other window still holds the clipboard, and says so.
TEST_F(CopyCommands, AClipboardHeldLongerIsReportedAndLeftAlone) {
    select({u"C:\\dir\\a.txt"});
    ClipboardHolder holder(5000);
    const HRESULT hr = invoke(state_, CopyNames);
    const bool stillHeld = !holder.released();
    holder.letGoAndWait();
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_TRUE(stillHeld) << "the call returned only after the other window let go";
    EXPECT_EQ(bytesOf("held\0"), clipboard_probe::read(CF_TEXT));
}

TEST_F(CopyCommands, AnEmptySelectionPutsAnEmptyText) {
    EXPECT_EQ(bytesOf("\0\0\0"), copy(CopyPaths));
}

}  // namespace
