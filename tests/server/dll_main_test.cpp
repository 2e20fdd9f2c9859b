// DllMain's detach: FreeLibrary gives back the cached class object; process exit, where
// COM may already be gone and the loader lock is held, leaves it to the system.
#include <windows.h>
#include <ocidl.h>

#include <cstdint>

#include <gtest/gtest.h>

#include "halvint.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

void* const kSentinel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xDEADBEEF));

TEST(DllMainDetach, ReleasesTheCachedClassObjectOnFreeLibraryOnly) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    // The process-exit case runs last: after it the module is never attached again.
    const struct {
        const char* name;
        void* reserved;
        ULONG referencesLeft;  // ours, plus the cache's if it kept its own
    } cases[] = {{"FreeLibrary", nullptr, 1}, {"process exit", reinterpret_cast<void*>(1), 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(DllMain(module, DLL_PROCESS_ATTACH, nullptr));
        void* out = kSentinel;
        const HRESULT hr = DllGetClassObject(CLSID_GotoList, IID_IClassFactory, &out);
        ASSERT_EQ(S_OK, hr) << std::hex << hr;
        auto* factory = static_cast<IClassFactory*>(out);
        EXPECT_EQ(3u, factory->AddRef());  // the cache's, ours and this one
        factory->Release();

        EXPECT_TRUE(DllMain(module, DLL_PROCESS_DETACH, c.reserved));
        EXPECT_EQ(c.referencesLeft + 1, factory->AddRef());
        factory->Release();
        factory->Release();
    }
}

}  // namespace
