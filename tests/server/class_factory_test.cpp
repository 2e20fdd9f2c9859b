// The class object and GetClassObject against a class table of the test's own: one
// class object per row, created on demand and cached; the module lock held by outside
// references and LockServer; CreateInstance's aggregation rule.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>

#include <gtest/gtest.h>

#include "server/class_factory.h"
#include "server/server_module.h"
#include "tests/common/counting_unknown.h"
#include "tests/common/threads_together.h"

namespace {

// {3C0B7E51-2F7A-4C55-8E1D-6A0F2B9C4D11}
const CLSID kTestClsid = {
    0x3C0B7E51, 0x2F7A, 0x4C55, {0x8E, 0x1D, 0x6A, 0x0F, 0x2B, 0x9C, 0x4D, 0x11}};
// {3C0B7E51-2F7A-4C55-8E1D-6A0F2B9C4D12}
const CLSID kOtherClsid = {
    0x3C0B7E51, 0x2F7A, 0x4C55, {0x8E, 0x1D, 0x6A, 0x0F, 0x2B, 0x9C, 0x4D, 0x12}};

void* const kSentinel = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xDEADBEEF));

// What the test instance creator was asked, and what it answers.
struct InstanceCalls {
    int count = 0;
    IUnknown* outer = nullptr;
    IID iid = GUID_NULL;
    HRESULT result = S_OK;
    CountingUnknown made;
};
InstanceCalls instanceCalls;

HRESULT testInstanceCreator(IUnknown* outer, REFIID iid, void** out) {
    ++instanceCalls.count;
    instanceCalls.outer = outer;
    instanceCalls.iid = iid;
    if (FAILED(instanceCalls.result)) return instanceCalls.result;
    instanceCalls.made.AddRef();
    *out = &instanceCalls.made;
    return instanceCalls.result;
}

// Counts class-object creations; fails while `failuresLeft` is positive; optionally
// lingers, so that concurrent requests overlap inside the class-table lock.
volatile LONG creations = 0;
LONG failuresLeft = 0;
DWORD lingerMs = 0;

HRESULT countingClassObjectCreator(InstanceCreator creator, REFIID iid, void** out) {
    InterlockedIncrement(&creations);
    if (lingerMs) Sleep(lingerMs);
    if (failuresLeft > 0) {
        --failuresLeft;
        return E_OUTOFMEMORY;
    }
    return ClassFactory::Create(creator, iid, out);
}

ClassEntry testTable[] = {
    {&kTestClsid, nullptr, countingClassObjectCreator, testInstanceCreator, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

class ClassFactoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        instanceCalls.count = 0;
        instanceCalls.outer = nullptr;
        instanceCalls.iid = GUID_NULL;
        instanceCalls.result = S_OK;
        creations = 0;
        failuresLeft = 0;
        lingerMs = 0;
        testTable[0].cachedClassObject = nullptr;
        serverModule().Init(GetModuleHandleA(nullptr), testTable);
    }
    void TearDown() override { serverModule().Term(); }

    IClassFactory* classFactory() {
        void* out = kSentinel;
        const HRESULT hr = serverModule().GetClassObject(kTestClsid, IID_IClassFactory, &out);
        EXPECT_EQ(S_OK, hr) << std::hex << hr;
        return static_cast<IClassFactory*>(out);
    }
};

TEST_F(ClassFactoryTest, GetClassObjectCreatesOnceAndHandsOutTheCachedObject) {
    IClassFactory* first = classFactory();
    ASSERT_NE(nullptr, first);
    IClassFactory* second = classFactory();
    EXPECT_EQ(first, second);
    EXPECT_EQ(1, creations);
    EXPECT_EQ(static_cast<IUnknown*>(first), testTable[0].cachedClassObject);

    void* unknown = kSentinel;
    HRESULT hr = serverModule().GetClassObject(kTestClsid, IID_IUnknown, &unknown);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(static_cast<void*>(first), unknown);
    static_cast<IUnknown*>(unknown)->Release();
    second->Release();
    first->Release();
}

TEST_F(ClassFactoryTest, GetClassObjectFailures) {
    void* out = kSentinel;
    HRESULT hr = serverModule().GetClassObject(kOtherClsid, IID_IClassFactory, &out);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0, creations);

    hr = serverModule().GetClassObject(kTestClsid, IID_IClassFactory, nullptr);
    EXPECT_EQ(E_POINTER, hr) << std::hex << hr;

    // A known class asked for an interface its class object lacks: nothing handed out,
    // but the class object stays cached and is not made again.
    out = kSentinel;
    hr = serverModule().GetClassObject(kTestClsid, IID_IDispatch, &out);
    EXPECT_EQ(E_NOINTERFACE, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    IUnknown* cached = testTable[0].cachedClassObject;
    ASSERT_NE(nullptr, cached);
    EXPECT_EQ(0, serverModule().LockCount());
    IClassFactory* factory = classFactory();
    EXPECT_EQ(static_cast<IUnknown*>(factory), cached);
    EXPECT_EQ(1, creations);
    factory->Release();
}

TEST_F(ClassFactoryTest, ClassObjectThatCannotBeMadeIsTriedAgainLater) {
    failuresLeft = 1;
    void* out = kSentinel;
    HRESULT hr = serverModule().GetClassObject(kTestClsid, IID_IClassFactory, &out);
    EXPECT_EQ(E_OUTOFMEMORY, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(nullptr, testTable[0].cachedClassObject);

    IClassFactory* factory = classFactory();
    EXPECT_NE(nullptr, factory);
    EXPECT_EQ(2, creations);
    if (factory) factory->Release();
}

TEST_F(ClassFactoryTest, OutsideReferencesTogetherHoldOneModuleLock) {
    EXPECT_EQ(0, serverModule().LockCount());
    IClassFactory* factory = classFactory();
    ASSERT_NE(nullptr, factory);
    // The cache's reference and the one handed out.
    EXPECT_EQ(1, serverModule().LockCount());
    EXPECT_EQ(3u, factory->AddRef());
    EXPECT_EQ(1, serverModule().LockCount());
    EXPECT_EQ(2u, factory->Release());
    EXPECT_EQ(1, serverModule().LockCount());
    EXPECT_EQ(1u, factory->Release());
    EXPECT_EQ(0, serverModule().LockCount());

    // Still cached: the next request takes the lock again without a new object.
    IClassFactory* again = classFactory();
    EXPECT_EQ(factory, again);
    EXPECT_EQ(1, serverModule().LockCount());
    again->Release();
    EXPECT_EQ(0, serverModule().LockCount());
    EXPECT_EQ(1, creations);
}

TEST_F(ClassFactoryTest, QueryInterfaceAnswersIClassFactoryAndIUnknownOnly) {
    IClassFactory* factory = classFactory();
    ASSERT_NE(nullptr, factory);
    void* out = kSentinel;
    HRESULT hr = factory->QueryInterface(IID_IUnknown, &out);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(static_cast<void*>(factory), out);
    static_cast<IUnknown*>(out)->Release();

    for (const IID* iid : {&IID_IClassFactory2, &IID_IDispatch, &IID_IContextMenu}) {
        out = kSentinel;
        hr = factory->QueryInterface(*iid, &out);
        EXPECT_EQ(E_NOINTERFACE, hr) << std::hex << hr;
        EXPECT_EQ(nullptr, out);
    }
    hr = factory->QueryInterface(IID_IClassFactory, nullptr);
    EXPECT_EQ(E_POINTER, hr) << std::hex << hr;
    EXPECT_EQ(1u, factory->Release());
}

TEST_F(ClassFactoryTest, LockServerCountsWithoutGuard) {
    IClassFactory* factory = classFactory();
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(1u, factory->Release());
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(1, serverModule().LockCount());
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(0, serverModule().LockCount());
}

TEST_F(ClassFactoryTest, CreateInstancePassesThroughTheInstanceCreator) {
    IClassFactory* factory = classFactory();
    ASSERT_NE(nullptr, factory);

    void* out = kSentinel;
    HRESULT hr = factory->CreateInstance(nullptr, IID_IContextMenu, &out);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(static_cast<void*>(&instanceCalls.made), out);
    EXPECT_EQ(nullptr, instanceCalls.outer);
    EXPECT_TRUE(IsEqualIID(IID_IContextMenu, instanceCalls.iid));
    EXPECT_EQ(1, instanceCalls.made.references());

    // Aggregation is asked with IID_IUnknown.
    CountingUnknown outer;
    out = kSentinel;
    hr = factory->CreateInstance(&outer, IID_IUnknown, &out);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(&outer, instanceCalls.outer);
    EXPECT_EQ(2, instanceCalls.count);

    // The creator's failure is the result, with nothing handed out.
    instanceCalls.result = E_NOINTERFACE;
    out = kSentinel;
    hr = factory->CreateInstance(nullptr, IID_IShellExtInit, &out);
    EXPECT_EQ(E_NOINTERFACE, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    factory->Release();
}

TEST_F(ClassFactoryTest, CreateInstanceRefusesAggregationForAnyOtherInterface) {
    IClassFactory* factory = classFactory();
    ASSERT_NE(nullptr, factory);
    CountingUnknown outer;
    for (const IID* iid : {&IID_IContextMenu, &IID_IShellExtInit, &IID_IDispatch}) {
        void* out = kSentinel;
        const HRESULT hr = factory->CreateInstance(&outer, *iid, &out);
        EXPECT_EQ(CLASS_E_NOAGGREGATION, hr) << std::hex << hr;
        EXPECT_EQ(nullptr, out);
    }
    EXPECT_EQ(0, instanceCalls.count);
    EXPECT_EQ(0, outer.references());

    const HRESULT hr = factory->CreateInstance(nullptr, IID_IUnknown, nullptr);
    EXPECT_EQ(E_POINTER, hr) << std::hex << hr;
    EXPECT_EQ(0, instanceCalls.count);
    factory->Release();
}

TEST_F(ClassFactoryTest, ConcurrentRequestsMakeOneClassObject) {
    lingerMs = 50;
    constexpr int kThreads = 8;
    void* classObjects[kThreads];
    HRESULT results[kThreads];
    std::fill(classObjects, classObjects + kThreads, kSentinel);
    std::fill(results, results + kThreads, E_FAIL);
    runTogether(kThreads, [&](int i) {
        results[i] = serverModule().GetClassObject(kTestClsid, IID_IClassFactory, &classObjects[i]);
    });

    EXPECT_EQ(1, creations);
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(S_OK, results[i]) << std::hex << results[i];
        EXPECT_EQ(classObjects[0], classObjects[i]);
    }
    // Eight outside references hold one module lock.
    EXPECT_EQ(1, serverModule().LockCount());
    for (int i = 0; i < kThreads; ++i) {
        if (results[i] == S_OK) static_cast<IUnknown*>(classObjects[i])->Release();
    }
    EXPECT_EQ(0, serverModule().LockCount());
}

TEST_F(ClassFactoryTest, CreatorHandsOutOnlyWhatTheFactoryAnswers) {
    void* out = kSentinel;
    HRESULT hr = ClassFactory::Create(testInstanceCreator, IID_IDispatch, &out);
    EXPECT_EQ(E_NOINTERFACE, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0, serverModule().LockCount());
    hr = ClassFactory::Create(testInstanceCreator, IID_IClassFactory, nullptr);
    EXPECT_EQ(E_POINTER, hr) << std::hex << hr;

    // A factory held only by its creator's caller: the first reference takes no lock.
    out = kSentinel;
    hr = ClassFactory::Create(testInstanceCreator, IID_IClassFactory, &out);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    auto* factory = static_cast<IClassFactory*>(out);
    EXPECT_EQ(0, serverModule().LockCount());
    EXPECT_EQ(2u, factory->AddRef());
    EXPECT_EQ(1, serverModule().LockCount());
    EXPECT_EQ(1u, factory->Release());
    EXPECT_EQ(0, serverModule().LockCount());
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(0, serverModule().LockCount());
}

TEST_F(ClassFactoryTest, RowWithoutClassObjectCreatorGivesNoObject) {
    ClassEntry table[] = {
        {&kOtherClsid, nullptr, nullptr, testInstanceCreator, nullptr},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    ServerModule module;
    module.Init(GetModuleHandleA(nullptr), table);
    void* out = kSentinel;
    const HRESULT hr = module.GetClassObject(kOtherClsid, IID_IClassFactory, &out);
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    module.Term();
}

}  // namespace
