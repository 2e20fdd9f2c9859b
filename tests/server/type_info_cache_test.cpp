// Automation of IGotoList through the module's TypeInfoCache: the load error while
// HALVINTLib is not registered, success right after registering it, and one load when
// several threads ask at once.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "halvint.h"
#include "common/com_ref.h"
#include "server/context_menu_handler.h"
#include "server/server_module.h"
#include "server/type_info_cache.h"
#include "tests/common/failing_allocator.h"
#include "tests/common/module_path.h"

namespace {

constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
constexpr DISPID kSentinelId = 0x7777;

class ModuleEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        serverModule().Init(GetModuleHandleW(nullptr), nullptr);
        CoInitialize(nullptr);
    }
    void TearDown() override {
        serverModule().Term();  // runs the caches' cleanup
        CoUninitialize();
    }
};
const auto* const kModule = ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

HRESULT loadEmbeddedLibrary(ITypeLib** out) {
    return LoadTypeLibEx(besideProgram(L"tovak.dll").c_str(), REGKIND_NONE, out);
}

// Registers HALVINTLib from tovak.dll for the life of a scope.
class RegisteredLibrary {
public:
    RegisteredLibrary() {
        ComRef<ITypeLib> library;
        std::wstring path = besideProgram(L"tovak.dll");
        hr_ = loadEmbeddedLibrary(library.Receive());
        if (SUCCEEDED(hr_)) hr_ = RegisterTypeLib(library.Get(), &path[0], nullptr);
    }
    ~RegisteredLibrary() { UnRegisterTypeLib(LIBID_HALVINTLib, 1, 0, 0, kSysKind); }
    RegisteredLibrary(const RegisteredLibrary&) = delete;
    RegisteredLibrary& operator=(const RegisteredLibrary&) = delete;

    HRESULT result() const { return hr_; }

private:
    HRESULT hr_ = E_FAIL;
};

TEST(GotoListAutomation, LoadErrorUntilRegisteredThenServedWithoutAnotherStep) {
    UnRegisterTypeLib(LIBID_HALVINTLib, 1, 0, 0, kSysKind);  // left over by a broken run
    void* out = nullptr;
    ASSERT_EQ(S_OK, ContextMenuHandler::Create(nullptr, IID_IGotoList, &out));
    ComRef<IGotoList> goToList;
    goToList.Attach(static_cast<IGotoList*>(out));

    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(static_cast<UINT_PTR>(0xDEADBEEF));
    HRESULT hr = goToList->GetTypeInfo(0, 0, &info);
    EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, info);
    OLECHAR addRef[] = L"AddRef";
    OLECHAR release[] = L"Release";
    OLECHAR* names[] = {addRef, release};
    DISPID ids[2] = {kSentinelId, kSentinelId};
    hr = goToList->GetIDsOfNames(IID_NULL, names, 2, 0, ids);
    EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, hr) << std::hex << hr;
    EXPECT_EQ(kSentinelId, ids[0]);
    EXPECT_EQ(kSentinelId, ids[1]);
    DISPPARAMS noArguments{};
    VARIANT result;
    VariantInit(&result);
    hr = goToList->Invoke(0x60000001, IID_NULL, 0, DISPATCH_METHOD, &noArguments, &result, nullptr,
                          nullptr);
    EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, hr) << std::hex << hr;

    RegisteredLibrary registered;
    ASSERT_EQ(S_OK, registered.result()) << std::hex << registered.result();

    hr = goToList->GetTypeInfo(0, 0, &info);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    ASSERT_NE(nullptr, info);
    ITypeInfo* again = nullptr;
    EXPECT_EQ(S_OK, goToList->GetTypeInfo(7, 0x0411, &again));  // any index, any locale
    EXPECT_EQ(info, again);
    again->Release();
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(IID_IGotoList, attributes->guid));
    info->ReleaseTypeAttr(attributes);
    info->Release();

    hr = goToList->GetIDsOfNames(IID_NULL, names, 2, 0, ids);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(0x60000001, ids[0]);
    EXPECT_EQ(0x60000002, ids[1]);

    // IGotoList has no members of its own: the type information itself now answers.
    hr = goToList->Invoke(0x4321, IID_NULL, 0, DISPATCH_METHOD, &noArguments, &result, nullptr,
                          nullptr);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, hr) << std::hex << hr;
}

TEST(GotoListAutomation, UnknownNameStopsWithEarlierIdsStored) {
    RegisteredLibrary registered;
    ASSERT_EQ(S_OK, registered.result()) << std::hex << registered.result();
    void* out = nullptr;
    ASSERT_EQ(S_OK, ContextMenuHandler::Create(nullptr, IID_IGotoList, &out));
    ComRef<IGotoList> goToList;
    goToList.Attach(static_cast<IGotoList*>(out));
    OLECHAR invoke[] = L"Invoke";
    OLECHAR unknown[] = L"Paste";
    OLECHAR query[] = L"QueryInterface";
    OLECHAR* names[] = {invoke, unknown, query};
    DISPID ids[3] = {kSentinelId, kSentinelId, kSentinelId};
    const HRESULT hr = goToList->GetIDsOfNames(IID_NULL, names, 3, 0, ids);
    EXPECT_EQ(DISP_E_UNKNOWNNAME, hr) << std::hex << hr;
    EXPECT_EQ(0x60010003, ids[0]);
    EXPECT_EQ(kSentinelId, ids[2]);
    EXPECT_EQ(S_OK, goToList->GetIDsOfNames(IID_NULL, names, 0, 0, ids));
}

// A stand-in for LoadRegTypeLib that counts its calls and takes its time, so that
// threads asking together really overlap.
LONG loads = 0;
HRESULT loadFailing = S_OK;
HRESULT STDAPICALLTYPE slowLoader(REFGUID, WORD major, WORD minor, LCID, ITypeLib** out) {
    InterlockedIncrement(&loads);
    Sleep(100);
    if (major != 1 || minor != 0) return E_INVALIDARG;
    if (FAILED(loadFailing)) {
        *out = nullptr;
        return loadFailing;
    }
    return loadEmbeddedLibrary(out);
}

HRESULT STDAPICALLTYPE failingLoader(REFGUID, WORD, WORD, LCID, ITypeLib** out) {
    *out = nullptr;
    return TYPE_E_CANTLOADLIBRARY;
}

TEST(TypeInfoCache, ThreadsAskingTogetherLoadOnce) {
    static TypeInfoCache cache(IID_IGotoList, LIBID_HALVINTLib, 1, 0, &slowLoader);
    loads = 0;
    loadFailing = S_OK;
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    constexpr int kThreads = 8;
    HRESULT results[kThreads];
    ITypeInfo* seen[kThreads] = {};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            CoInitialize(nullptr);
            WaitForSingleObject(start, INFINITE);
            results[i] = cache.GetTypeInfo(0, &seen[i]);
            CoUninitialize();
        });
    }
    SetEvent(start);
    for (std::thread& thread : threads) thread.join();
    CloseHandle(start);

    EXPECT_EQ(1, loads);
    ASSERT_NE(nullptr, seen[0]);
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(S_OK, results[i]) << std::hex << results[i];
        EXPECT_EQ(seen[0], seen[i]);
    }
    // Loaded: later calls neither load nor change anything.
    EXPECT_EQ(S_OK, cache.EnsureLoaded(0x0411));
    EXPECT_EQ(1, loads);
    for (ITypeInfo* info : seen) {
        if (info) info->Release();
    }

    // The cleanup empties the cache and may run again, as termination will do: the next
    // call loads again.
    TypeInfoCache::Cleanup(reinterpret_cast<DWORD_PTR>(&cache));
    TypeInfoCache::Cleanup(reinterpret_cast<DWORD_PTR>(&cache));
    ITypeInfo* reloaded = nullptr;
    EXPECT_EQ(S_OK, cache.GetTypeInfo(0, &reloaded));
    EXPECT_EQ(2, loads);
    ASSERT_NE(nullptr, reloaded);
    reloaded->Release();
}

TEST(TypeInfoCache, FailedLoadCachesNothingAndIsTriedAgain) {
    static TypeInfoCache cache(IID_IGotoList, LIBID_HALVINTLib, 1, 0, &slowLoader);
    loads = 0;
    loadFailing = TYPE_E_CANTLOADLIBRARY;
    ITypeInfo* info = nullptr;
    EXPECT_EQ(TYPE_E_CANTLOADLIBRARY, cache.GetTypeInfo(0, &info));
    EXPECT_EQ(nullptr, info);
    EXPECT_EQ(TYPE_E_CANTLOADLIBRARY, cache.EnsureLoaded(0));
    EXPECT_EQ(2, loads);

    loadFailing = S_OK;
    EXPECT_EQ(S_OK, cache.GetTypeInfo(0, &info));
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(3, loads);
    ITypeInfo* again = nullptr;
    EXPECT_EQ(S_OK, cache.GetTypeInfo(0, &again));
    EXPECT_EQ(info, again);
    EXPECT_EQ(3, loads);
    info->Release();
    if (again) again->Release();
}

// While the library cannot be loaded, every IDispatch call tries again; however often,
// and however many threads race, the cache adds one termination entry: once it has, no
// further call allocates anything (the allocation counted from then on never comes).
TEST(TypeInfoCache, FailedLoadsLeaveOneTerminationEntry) {
    static TypeInfoCache cache(IID_IGotoList, LIBID_HALVINTLib, 1, 0, &failingLoader);
    failAllocation(1);
    EXPECT_EQ(TYPE_E_CANTLOADLIBRARY, cache.EnsureLoaded(0));
    EXPECT_TRUE(stopFailingAllocations()) << "the first attempt adds its entry";
    EXPECT_EQ(TYPE_E_CANTLOADLIBRARY, cache.EnsureLoaded(0));  // the entry, now added
    failAllocation(1);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(TYPE_E_CANTLOADLIBRARY, cache.EnsureLoaded(0));
    EXPECT_FALSE(stopFailingAllocations()) << "a later attempt added another entry";

    static TypeInfoCache raced(IID_IGotoList, LIBID_HALVINTLib, 1, 0, &failingLoader);
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::thread> threads;
    threads.reserve(8);
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] {
            WaitForSingleObject(start, INFINITE);
            for (int k = 0; k < 100; ++k) raced.EnsureLoaded(0);
        });
    }
    // The first entry is allocation 1; a second one would be allocation 2.
    failAllocation(2);
    SetEvent(start);
    for (std::thread& thread : threads) thread.join();
    CloseHandle(start);
    EXPECT_FALSE(stopFailingAllocations()) << "racing threads added more than one entry";
}

}  // namespace
