// The GotoList handler's COM identity: one IUnknown behind every interface, the
// interfaces it refuses, creation and final release with their module lock, the site of
// IObjectWithSite, the aggregated form, and the routing of the menu messages.
#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "halvint.h"
#include "server/context_menu_handler.h"
#include "server/server_module.h"
#include "tests/common/counting_unknown.h"
#include "tests/common/fake_data_object.h"

namespace {

void* const kSentinel = reinterpret_cast<void*>(static_cast<UINT_PTR>(0xDEADBEEF));

class ModuleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { serverModule().Init(GetModuleHandleW(nullptr), nullptr); }
    void TearDown() override { serverModule().Term(); }
};
const auto* const kModule = ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

// The controlling object of an aggregate: counts its references and answers only
// IUnknown itself, or, when `inner` is set, hands every other interface to the
// aggregated handler's non-delegating IUnknown.
class CountingOuter : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        ++queries_;
        if (IsEqualIID(iid, IID_IUnknown)) {
            *out = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return inner_ ? inner_->QueryInterface(iid, out) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references_); }

    LONG references() const { return references_; }
    int queries() const { return queries_; }
    IUnknown* inner_ = nullptr;

private:
    LONG references_ = 0;
    int queries_ = 0;
};

template <class Interface>
Interface* query(IUnknown* object, REFIID iid) {
    void* out = kSentinel;
    const HRESULT hr = object->QueryInterface(iid, &out);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    return hr == S_OK ? static_cast<Interface*>(out) : nullptr;
}

class HandlerIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        locksBefore_ = serverModule().LockCount();
        void* out = kSentinel;
        const HRESULT hr = ContextMenuHandler::Create(nullptr, IID_IUnknown, &out);
        ASSERT_EQ(S_OK, hr) << std::hex << hr;
        unknown_ = static_cast<IUnknown*>(out);
        EXPECT_EQ(locksBefore_ + 1, serverModule().LockCount());
    }
    void TearDown() override {
        if (unknown_) {
            EXPECT_EQ(0u, unknown_->Release());
        }
        EXPECT_EQ(locksBefore_, serverModule().LockCount());
    }

    IUnknown* unknown_ = nullptr;
    LONG locksBefore_ = 0;
};

const IID* const kAnswered[] = {&IID_IGotoList,     &IID_IShellExtInit, &IID_IContextMenu,
                                &IID_IContextMenu2, &IID_IContextMenu3, &IID_IObjectWithSite};

TEST_F(HandlerIdentity, EveryInterfaceLeadsToTheSameIUnknownTheGotoListPointer) {
    IGotoList* goToList = query<IGotoList>(unknown_, IID_IGotoList);
    ASSERT_NE(nullptr, goToList);
    EXPECT_EQ(static_cast<IUnknown*>(goToList), unknown_);
    for (const IID* iid : kAnswered) {
        IUnknown* answer = query<IUnknown>(unknown_, *iid);
        ASSERT_NE(nullptr, answer);
        IUnknown* identity = query<IUnknown>(answer, IID_IUnknown);
        EXPECT_EQ(unknown_, identity);
        identity->Release();
        answer->Release();
    }
    EXPECT_EQ(1u, goToList->Release());  // the reference of unknown_ is left
    EXPECT_EQ(2u, unknown_->AddRef());
    EXPECT_EQ(1u, unknown_->Release());
}

TEST_F(HandlerIdentity, ContextMenuInterfacesShareOnePointer) {
    IUnknown* menu = query<IUnknown>(unknown_, IID_IContextMenu);
    IUnknown* menu2 = query<IUnknown>(unknown_, IID_IContextMenu2);
    IUnknown* menu3 = query<IUnknown>(menu2, IID_IContextMenu3);
    EXPECT_EQ(menu, menu2);
    EXPECT_EQ(menu, menu3);
    EXPECT_NE(static_cast<void*>(menu), static_cast<void*>(unknown_));
    menu3->Release();
    menu2->Release();
    EXPECT_EQ(1u, menu->Release());
}

TEST_F(HandlerIdentity, RefusesIDispatchAndStrangersWithANullOutPointer) {
    for (const IID* iid : {&IID_IDispatch, &IID_IClassFactory, &IID_IContextMenuCB}) {
        void* out = kSentinel;
        const HRESULT hr = unknown_->QueryInterface(*iid, &out);
        EXPECT_EQ(E_NOINTERFACE, hr) << std::hex << hr;
        EXPECT_EQ(nullptr, out);
    }
    EXPECT_EQ(E_POINTER, unknown_->QueryInterface(IID_IContextMenu, nullptr));
    EXPECT_EQ(2u, unknown_->AddRef());
    EXPECT_EQ(1u, unknown_->Release());
}

TEST(HandlerCreation, UnknownInterfaceIsRefusedAndTheLockGivenBack) {
    const LONG before = serverModule().LockCount();
    void* out = kSentinel;
    HRESULT hr = ContextMenuHandler::Create(nullptr, IID_IDispatch, &out);
    EXPECT_EQ(E_NOINTERFACE, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(before, serverModule().LockCount());

    EXPECT_EQ(E_POINTER, ContextMenuHandler::Create(nullptr, IID_IUnknown, nullptr));
    EXPECT_EQ(before, serverModule().LockCount());

    hr = ContextMenuHandler::Create(nullptr, IID_IContextMenu3, &out);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(before + 1, serverModule().LockCount());
    EXPECT_EQ(0u, static_cast<IUnknown*>(out)->Release());
    EXPECT_EQ(before, serverModule().LockCount());
}

TEST_F(HandlerIdentity, SiteIsHeldCountedAndReplaced) {
    IObjectWithSite* withSite = query<IObjectWithSite>(unknown_, IID_IObjectWithSite);
    ASSERT_NE(nullptr, withSite);
    void* out = kSentinel;
    HRESULT hr = withSite->GetSite(IID_IUnknown, &out);
    EXPECT_EQ(E_FAIL, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, withSite->GetSite(IID_IUnknown, nullptr));

    CountingUnknown first, second;
    EXPECT_EQ(S_OK, withSite->SetSite(&first));
    EXPECT_EQ(1, first.references());
    hr = withSite->GetSite(IID_IUnknown, &out);
    EXPECT_EQ(S_OK, hr) << std::hex << hr;
    EXPECT_EQ(static_cast<IUnknown*>(&first), out);
    EXPECT_EQ(2, first.references());
    first.Release();
    out = kSentinel;
    hr = withSite->GetSite(IID_IDispatch, &out);  // the site's own answer
    EXPECT_EQ(E_NOINTERFACE, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);

    EXPECT_EQ(S_OK, withSite->SetSite(&second));
    EXPECT_EQ(0, first.references());
    EXPECT_EQ(1, second.references());
    EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
    EXPECT_EQ(0, second.references());
    out = kSentinel;
    EXPECT_EQ(E_FAIL, withSite->GetSite(IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    withSite->Release();
}

TEST(HandlerRelease, FinalReleaseGivesBackSiteDataObjectAndLockOnce) {
    const LONG before = serverModule().LockCount();
    CountingUnknown site;
    FakeDataObject data(DV_E_FORMATETC);  // counts references, gives no drop list
    void* out = nullptr;
    ASSERT_EQ(S_OK, ContextMenuHandler::Create(nullptr, IID_IShellExtInit, &out));
    auto* init = static_cast<IShellExtInit*>(out);
    init->Initialize(nullptr, &data, nullptr);  // no drop list: the data object stays held
    EXPECT_EQ(1, data.references());
    IObjectWithSite* withSite = query<IObjectWithSite>(init, IID_IObjectWithSite);
    ASSERT_NE(nullptr, withSite);
    EXPECT_EQ(S_OK, withSite->SetSite(&site));
    EXPECT_EQ(1u, withSite->Release());
    EXPECT_EQ(before + 1, serverModule().LockCount());

    EXPECT_EQ(0u, init->Release());
    EXPECT_EQ(0, site.references());
    EXPECT_EQ(0, data.references());
    EXPECT_EQ(before, serverModule().LockCount());
}

TEST(HandlerAggregation, InterfacesCountOnTheOuterObject) {
    const LONG before = serverModule().LockCount();
    CountingOuter outer;
    void* out = kSentinel;
    HRESULT hr = ContextMenuHandler::Create(&outer, IID_IContextMenu, &out);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, hr) << std::hex << hr;
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(before, serverModule().LockCount());

    hr = ContextMenuHandler::Create(&outer, IID_IUnknown, &out);
    ASSERT_EQ(S_OK, hr) << std::hex << hr;
    auto* inner = static_cast<IUnknown*>(out);
    EXPECT_EQ(0, outer.references());
    EXPECT_EQ(before + 1, serverModule().LockCount());
    EXPECT_EQ(2u, inner->AddRef());  // the non-delegating IUnknown counts for itself
    EXPECT_EQ(1u, inner->Release());

    // Through the non-delegating IUnknown: the new reference lands on the outer object.
    IContextMenu3* menu = query<IContextMenu3>(inner, IID_IContextMenu3);
    ASSERT_NE(nullptr, menu);
    EXPECT_NE(static_cast<void*>(menu), static_cast<void*>(inner));
    EXPECT_EQ(1, outer.references());
    EXPECT_EQ(2u, menu->AddRef());
    EXPECT_EQ(2, outer.references());
    EXPECT_EQ(2u, inner->AddRef());  // its own count did not move
    EXPECT_EQ(1u, inner->Release());
    EXPECT_EQ(1u, menu->Release());

    // The outer object answers IUnknown: it is the identity of the aggregate.
    IUnknown* identity = query<IUnknown>(menu, IID_IUnknown);
    EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
    EXPECT_EQ(2, outer.references());
    identity->Release();

    // The outer object refuses IShellExtInit; the handler then answers for itself.
    IShellExtInit* init = query<IShellExtInit>(menu, IID_IShellExtInit);
    ASSERT_NE(nullptr, init);
    EXPECT_GT(outer.queries(), 0);
    EXPECT_EQ(2, outer.references());
    void* refused = kSentinel;
    EXPECT_EQ(E_NOINTERFACE, menu->QueryInterface(IID_IDispatch, &refused));
    EXPECT_EQ(nullptr, refused);
    init->Release();
    menu->Release();
    EXPECT_EQ(0, outer.references());
    EXPECT_EQ(before + 1, serverModule().LockCount());  // alive until the aggregator lets go

    EXPECT_EQ(0u, inner->Release());
    EXPECT_EQ(before, serverModule().LockCount());
    EXPECT_EQ(0, outer.references());
}

TEST(HandlerAggregation, DelegatingOuterHandsInterfacesToTheInnerObject) {
    const LONG before = serverModule().LockCount();
    CountingOuter outer;
    void* out = nullptr;
    ASSERT_EQ(S_OK, ContextMenuHandler::Create(&outer, IID_IUnknown, &out));
    outer.inner_ = static_cast<IUnknown*>(out);
    IObjectWithSite* withSite = query<IObjectWithSite>(&outer, IID_IObjectWithSite);
    ASSERT_NE(nullptr, withSite);
    IGotoList* goToList = query<IGotoList>(withSite, IID_IGotoList);
    ASSERT_NE(nullptr, goToList);
    EXPECT_EQ(2, outer.references());
    goToList->Release();
    withSite->Release();
    EXPECT_EQ(0, outer.references());
    EXPECT_EQ(0u, outer.inner_->Release());
    EXPECT_EQ(before, serverModule().LockCount());
}

TEST_F(HandlerIdentity, MenuMessagesReachTheHandlerStateWithTheResultUntouched) {
    IContextMenu3* menu3 = query<IContextMenu3>(unknown_, IID_IContextMenu3);
    ASSERT_NE(nullptr, menu3);
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    EXPECT_EQ(S_OK, menu3->HandleMenuMsg(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(150u, measure.itemWidth);
    EXPECT_EQ(20u, measure.itemHeight);
    measure = MEASUREITEMSTRUCT{};
    LRESULT result = 0x4242;
    EXPECT_EQ(S_OK, menu3->HandleMenuMsg2(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure),
                                          &result));
    EXPECT_EQ(150u, measure.itemWidth);
    EXPECT_EQ(20u, measure.itemHeight);
    EXPECT_EQ(0x4242, result);
    EXPECT_EQ(S_OK, menu3->HandleMenuMsg2(WM_MENUCHAR, 'a', 0, &result));
    EXPECT_EQ(0x4242, result);

    IGotoList* goToList = query<IGotoList>(unknown_, IID_IGotoList);
    UINT count = 7;
    EXPECT_EQ(S_OK, goToList->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    EXPECT_EQ(E_POINTER, goToList->GetTypeInfoCount(nullptr));
    EXPECT_EQ(E_POINTER, goToList->GetTypeInfo(0, 0, nullptr));
    goToList->Release();
    menu3->Release();
}

}  // namespace
