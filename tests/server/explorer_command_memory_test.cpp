// Every allocation of an Explorer command's life made to fail in turn: creation, the
// texts, the state and the copy of a selection read from items. This program's operator
// new fails on request (tests/common/failing_allocator.cpp). Each run must answer every
// call with an HRESULT, give back the module lock and every item reference, and leave
// the clipboard either as it was or with the whole text.
#include <windows.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "server/explorer_command.h"
#include "server/server_module.h"
#include "tests/common/failing_allocator.h"
#include "tests/extension/clipboard_probe.h"
#include "tests/server/fake_shell_items.h"

namespace {

constexpr long kMostAllocations = 2000;

// One command's life: the answers it gave (S_FALSE for a call not reached), kept without
// allocating while allocations fail.
struct Life {
    HRESULT created = S_FALSE, title = S_FALSE, icon = S_FALSE, state = S_FALSE, invoke = S_FALSE;
    bool allSucceeded() const {
        return created == S_OK && title == S_OK && icon == S_OK && state == S_OK && invoke == S_OK;
    }
    // Each call reached succeeded or said that memory ran out.
    bool answered() const {
        for (const HRESULT hr : {created, title, icon, state, invoke}) {
            if (hr != S_OK && hr != S_FALSE && hr != E_OUTOFMEMORY) return false;
        }
        return true;
    }
};

void live(IShellItemArray* items, Life& life) {
    void* out = nullptr;
    life.created = ExplorerCommand::CreateCopyPaths(nullptr, IID_IExplorerCommand, &out);
    if (life.created != S_OK) return;
    auto* command = static_cast<IExplorerCommand*>(out);
    wchar_t* text = nullptr;
    life.title = command->GetTitle(items, &text);
    CoTaskMemFree(text);
    text = nullptr;
    life.icon = command->GetIcon(items, &text);
    CoTaskMemFree(text);
    EXPCMDSTATE state = ECS_DISABLED;
    life.state = command->GetState(items, TRUE, &state);
    if (life.state == S_OK && state != ECS_ENABLED) life.state = E_UNEXPECTED;
    life.invoke = command->Invoke(items, nullptr);
    command->Release();
}

TEST(ExplorerCommandMemory, EveryAllocationFailingInTurnLeavesNothingBehind) {
    serverModule().Init(GetModuleHandleW(nullptr), nullptr);
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'長') + L".txt";
    FakeShellItem first(longPath), virtualItem, second(L"C:\\dir\\b.txt");
    FakeShellItemArray items({&first, &virtualItem, &second});
    const std::wstring whole = longPath + L"\r\nC:\\dir\\b.txt";
    for (long n = 1; n <= kMostAllocations; ++n) {
        ASSERT_TRUE(clipboard_probe::seed("before"));
        Life life;
        failAllocation(n);
        live(&items, life);
        const bool failed = stopFailingAllocations();
        SCOPED_TRACE(::testing::Message() << "allocation " << n << " failed");
        EXPECT_EQ(0, serverModule().lockCount());
        EXPECT_EQ(0, items.references());
        for (const FakeShellItem* item : {&first, &virtualItem, &second}) {
            EXPECT_EQ(0, item->references());
        }
        const std::wstring copied = clipboard_probe::readUnicodeText();
        EXPECT_TRUE(life.answered()) << std::hex << life.created << " " << life.title << " "
                                     << life.icon << " " << life.state << " " << life.invoke;
        if (life.invoke == S_OK) {
            EXPECT_EQ(whole, copied);
        } else {
            EXPECT_EQ(clipboard_probe::bytesOf("before\0"), clipboard_probe::read(CF_TEXT));
        }
        if (!failed) {
            std::printf("completed at run %ld: %ld allocations failed in turn\n", n, n - 1);
            EXPECT_TRUE(life.allSucceeded());
            EXPECT_GT(n, 1) << "the command allocates nothing";
            break;
        }
        if (::testing::Test::HasFailure()) break;
    }
    serverModule().Term();
}

}  // namespace
