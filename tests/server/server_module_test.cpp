// Module state: the lock count behind DllCanUnloadNow, the termination list, and the
// release of cached class objects at detach.
#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

#include "server/server_module.h"
#include "tests/common/counting_unknown.h"

namespace {

std::vector<DWORD_PTR> calls;
void recordCall(DWORD_PTR argument) { calls.push_back(argument); }

TEST(ServerModule, LockCountDecidesWhetherTheModuleMayUnload) {
    ServerModule module;
    module.Init(GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(0, module.LockCount());
    EXPECT_EQ(1, module.Lock());
    EXPECT_EQ(2, module.Lock());
    EXPECT_EQ(1, module.Unlock());
    EXPECT_EQ(1, module.LockCount());
    EXPECT_EQ(0, module.Unlock());
    module.Term();
}

TEST(ServerModule, TermRunsCallbacksNewestFirstEachOnce) {
    calls.clear();
    ServerModule module;
    module.Init(GetModuleHandleA(nullptr), nullptr);
    ASSERT_EQ(S_OK, module.AddTermCallback(recordCall, 1));
    ASSERT_EQ(S_OK, module.AddTermCallback(recordCall, 2));
    ASSERT_EQ(S_OK, module.AddTermCallback(recordCall, 3));
    EXPECT_TRUE(calls.empty());
    module.Term();
    EXPECT_EQ((std::vector<DWORD_PTR>{3, 2, 1}), calls);
}

TEST(ServerModule, TermReleasesCachedClassObjectsAndClearsTheCache) {
    CountingUnknown classObject;
    classObject.AddRef();  // the reference the cache holds
    ClassEntry table[] = {
        {&IID_IUnknown, nullptr, nullptr, nullptr, &classObject},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    ServerModule module;
    module.Init(GetModuleHandleA(nullptr), table);
    module.Term();
    EXPECT_EQ(0, classObject.references());
    EXPECT_EQ(nullptr, table[0].cachedClassObject);
}

TEST(ServerModule, DllCanUnloadNowIsOkRightAfterLoad) {
    HMODULE dll = LoadLibraryA("tovak.dll");
    ASSERT_NE(nullptr, dll) << "LoadLibrary failed, error " << GetLastError();
    auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    ASSERT_NE(nullptr, canUnload);
    EXPECT_EQ(S_OK, canUnload());
    FreeLibrary(dll);
}

}  // namespace
