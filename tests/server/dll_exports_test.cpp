// The exports of tovak.dll as COM calls them: the GotoList class object, created once
// and cached; DllCanUnloadNow while class-object references, handlers or server locks
// live; the aggregation rule of CreateInstance.
#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/counting_unknown.h"
#include "tests/common/fake_data_object.h"
#include "tests/common/threads_together.h"

namespace {

const CLSID kGotoListClsid = {
    0x73616E24, 0x6788, 0x4341, {0x9E, 0xBC, 0xF4, 0x22, 0xB4, 0x98, 0x8B, 0xDC}};
// {73616E24-6788-4341-9EBC-F422B4988BDD}: one more in its last byte.
const CLSID kUnknownClsid = {
    0x73616E24, 0x6788, 0x4341, {0x9E, 0xBC, 0xF4, 0x22, 0xB4, 0x98, 0x8B, 0xDD}};

void* const kSentinel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xDEADBEEF));

using GetClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT(WINAPI*)();

class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        dll_ = LoadLibraryA("tovak.dll");
        ASSERT_NE(nullptr, dll_) << "LoadLibrary failed, error " << GetLastError();
        getClassObject_ = reinterpret_cast<GetClassObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(dll_, "DllGetClassObject")));
        canUnloadNow_ = reinterpret_cast<CanUnloadNowFunction>(
            reinterpret_cast<void*>(GetProcAddress(dll_, "DllCanUnloadNow")));
        ASSERT_NE(nullptr, getClassObject_);
        ASSERT_NE(nullptr, canUnloadNow_);
    }
    void TearDown() override {
        // Every scenario gives back what it took.
        if (canUnloadNow_) {
            EXPECT_EQ(S_OK, canUnloadNow());
        }
        if (dll_) FreeLibrary(dll_);
    }

    HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** out) {
        return getClassObject_(clsid, iid, out);
    }
    HRESULT canUnloadNow() { return canUnloadNow_(); }

    IClassFactory* classFactory() {
        void* out = kSentinel;
        const HRESULT hr = getClassObject_(kGotoListClsid, IID_IClassFactory, &out);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        return hr == S_OK ? static_cast<IClassFactory*>(out) : nullptr;
    }

    HMODULE dll_ = nullptr;
    GetClassObjectFunction getClassObject_ = nullptr;
    CanUnloadNowFunction canUnloadNow_ = nullptr;
};

TEST_F(Exports, ClassObjectIsTheSameEveryTime) {
    IClassFactory* first = classFactory();
    ASSERT_NE(nullptr, first);
    IClassFactory* second = classFactory();
    EXPECT_EQ(first, second);
    void* unknown = kSentinel;
    const HRESULT hr = getClassObject(kGotoListClsid, IID_IUnknown, &unknown);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(static_cast<void*>(first), unknown);
    if (hr == S_OK) static_cast<IUnknown*>(unknown)->Release();
    if (second) second->Release();
    first->Release();
}

TEST_F(Exports, UnknownClassOrInterfaceGivesNothing) {
    void* out = kSentinel;
    HRESULT hr = getClassObject(kUnknownClsid, IID_IClassFactory, &out);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    out = kSentinel;
    hr = getClassObject(GUID_NULL, IID_IClassFactory, &out);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    hr = getClassObject(kGotoListClsid, IID_IClassFactory, nullptr);
    EXPECT_EQ(E_POINTER, hr) << std::hex << hr;

    IClassFactory* before = classFactory();
    ASSERT_NE(nullptr, before);
    before->Release();
    out = kSentinel;
    hr = getClassObject(kGotoListClsid, IID_IContextMenu, &out);
    EXPECT_EQ(E_NOINTERFACE, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, canUnloadNow());
    // The class object stayed cached through all of it.
    IClassFactory* after = classFactory();
    EXPECT_EQ(before, after);
    if (after) after->Release();
}

TEST_F(Exports, ClassObjectReferenceKeepsTheModule) {
    EXPECT_EQ(S_OK, canUnloadNow());
    IClassFactory* factory = classFactory();
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(S_FALSE, canUnloadNow());
    EXPECT_EQ(3u, factory->AddRef());
    EXPECT_EQ(2u, factory->Release());
    EXPECT_EQ(S_FALSE, canUnloadNow());
    EXPECT_EQ(1u, factory->Release());
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(Exports, LockServerKeepsTheModule) {
    IClassFactory* factory = classFactory();
    ASSERT_NE(nullptr, factory);
    factory->Release();
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, canUnloadNow());
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(Exports, LiveHandlerKeepsTheModule) {
    IClassFactory* factory = classFactory();
    ASSERT_NE(nullptr, factory);
    void* handler = kSentinel;
    const HRESULT hr = factory->CreateInstance(nullptr, IID_IContextMenu, &handler);
    factory->Release();
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    ASSERT_NE(nullptr, handler);
    EXPECT_EQ(S_FALSE, canUnloadNow());
    EXPECT_EQ(0u, static_cast<IContextMenu*>(handler)->Release());
    EXPECT_EQ(S_OK, canUnloadNow());
}

TEST_F(Exports, AggregationIsOfferedThroughIUnknownOnly) {
    IClassFactory* factory = classFactory();
    ASSERT_NE(nullptr, factory);
    CountingUnknown outer;
    for (const IID* iid :
         {&IID_IContextMenu, &IID_IShellExtInit, &IID_IClassFactory, &IID_IDispatch}) {
        void* out = kSentinel;
        const HRESULT hr = factory->CreateInstance(&outer, *iid, &out);
        EXPECT_EQ(CLASS_E_NOAGGREGATION, hr) << std::hex << hr;
        EXPECT_EQ(nullptr, out);
    }
    EXPECT_EQ(0, outer.references());

    void* inner = kSentinel;
    HRESULT hr = factory->CreateInstance(&outer, IID_IUnknown, &inner);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    ASSERT_NE(nullptr, inner);
    EXPECT_EQ(S_FALSE, canUnloadNow());
    EXPECT_EQ(0u, static_cast<IUnknown*>(inner)->Release());
    EXPECT_EQ(0, outer.references());

    hr = factory->CreateInstance(nullptr, IID_IContextMenu, nullptr);
    EXPECT_EQ(E_POINTER, hr) << std::hex << hr;
    factory->Release();
    EXPECT_EQ(S_OK, canUnloadNow());
}

// A fake that asks DllCanUnloadNow each time a reference to it is given back.
template <class Fake>
class AskingOnRelease : public Fake {
public:
    template <class... Arguments>
    AskingOnRelease(CanUnloadNowFunction canUnloadNow, Arguments... arguments)
        : Fake(arguments...), canUnloadNow_(canUnloadNow) {}
    STDMETHODIMP_(ULONG) Release() override {
        answers.push_back(canUnloadNow_());
        return Fake::Release();
    }
    std::vector<HRESULT> answers;

private:
    CanUnloadNowFunction canUnloadNow_;
};

// The final release gives the data object and the site back while the module is still
// locked, standalone and inside an aggregate alike.
TEST_F(Exports, FinalReleaseGivesTheModuleLockBackLast) {
    for (const bool aggregated : {false, true}) {
        SCOPED_TRACE(aggregated ? "aggregated" : "standalone");
        IClassFactory* factory = classFactory();
        ASSERT_NE(nullptr, factory);
        CountingUnknown outer;
        AskingOnRelease<FakeDataObject> data(canUnloadNow_, DV_E_FORMATETC);
        AskingOnRelease<CountingUnknown> site(canUnloadNow_);
        void* out = kSentinel;
        HRESULT hr = factory->CreateInstance(aggregated ? &outer : nullptr, IID_IUnknown, &out);
        factory->Release();
        ASSERT_EQ(S_OK, hr) << std::hex << hr;
        auto* object = static_cast<IUnknown*>(out);
        IShellExtInit* init = nullptr;
        ASSERT_EQ(S_OK, object->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)));
        init->Initialize(nullptr, &data, nullptr);  // no drop list; the data object stays held
        IObjectWithSite* withSite = nullptr;
        ASSERT_EQ(S_OK,
                  init->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite)));
        EXPECT_EQ(S_OK, withSite->SetSite(&site));
        withSite->Release();
        init->Release();
        EXPECT_EQ(0, outer.references());

        EXPECT_EQ(0u, object->Release());
        EXPECT_EQ(0, data.references());
        EXPECT_EQ(0, site.references());
        EXPECT_EQ((std::vector<HRESULT>{S_FALSE}), data.answers);
        EXPECT_EQ((std::vector<HRESULT>{S_FALSE}), site.answers);
    }
}

TEST_F(Exports, EightThreadsAtOnceGetOneClassObject) {
    constexpr int kThreads = 8;
    void* classObjects[kThreads];
    HRESULT results[kThreads];
    std::fill(classObjects, classObjects + kThreads, kSentinel);
    std::fill(results, results + kThreads, E_FAIL);
    runTogether(kThreads, [&](int i) {
        results[i] = getClassObject_(kGotoListClsid, IID_IClassFactory, &classObjects[i]);
    });
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(S_OK, results[i]) << std::hex << results[i];
        EXPECT_EQ(classObjects[0], classObjects[i]);
    }
    EXPECT_EQ(S_FALSE, canUnloadNow());
    for (int i = 0; i < kThreads; ++i) {
        if (results[i] == S_OK) static_cast<IUnknown*>(classObjects[i])->Release();
    }
    EXPECT_EQ(S_OK, canUnloadNow());
}

}  // namespace
