// The context-menu handler where the package is registered for the current user: its
// items would show twice in "Show more options", so QueryContextMenu adds none. The
// module's answer is kept for the life of the process, so this program asks first, with
// kernel32's calls replaced by fakes that find the package; the handler then sees it.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "extension/package_presence.h"
#include "server/context_menu_handler.h"
#include "server/server_module.h"

namespace {

int familyCalls = 0, packagesCalls = 0;

LONG WINAPI familyNameFromId(const PackageId*, UINT32* length, PWSTR familyName) {
    ++familyCalls;
    wcscpy(familyName, L"TovakLite_fake");
    *length = 15;
    return ERROR_SUCCESS;
}

LONG WINAPI packagesByFamily(PCWSTR, UINT32* count, PWSTR*, UINT32* bufferLength, WCHAR*) {
    ++packagesCalls;
    *count = 1;
    *bufferLength = 80;
    return ERROR_INSUFFICIENT_BUFFER;
}

PackageCalls registeredCalls() { return {familyNameFromId, packagesByFamily}; }

TEST(PackagedMenu, QueryContextMenuAddsNothingWhileThePackageIsRegistered) {
    serverModule().Init(GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(modulePackageRegistered(serverModule().Instance(), registeredCalls));
    void* out = nullptr;
    ASSERT_EQ(S_OK, ContextMenuHandler::Create(nullptr, IID_IContextMenu, &out));
    auto* handler = static_cast<IContextMenu*>(out);
    for (const UINT flags : {static_cast<UINT>(CMF_NORMAL), static_cast<UINT>(CMF_EXPLORE),
                             static_cast<UINT>(CMF_EXTENDEDVERBS)}) {
        HMENU menu = CreatePopupMenu();
        const HRESULT hr = handler->QueryContextMenu(menu, 0, 100, 200, flags);
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), hr) << flags << std::hex << " " << hr;
        EXPECT_EQ(0, GetMenuItemCount(menu)) << flags;
        DestroyMenu(menu);
    }
    EXPECT_EQ(0u, handler->Release());
    // Worked out once: the right-clicks asked nothing more.
    EXPECT_EQ(1, familyCalls);
    EXPECT_EQ(1, packagesCalls);
    serverModule().Term();
}

}  // namespace
