// The name cache of TypeInfoCache: built once from the type information's functions,
// searched from its last entry with exact, case-sensitive names, and passing only the
// names it lacks on to the type information.
#include <windows.h>
#include <oaidl.h>

#include <gtest/gtest.h>

#include "server/server_module.h"
#include "server/type_info_cache.h"

namespace {

class ModuleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { serverModule().Init(GetModuleHandleW(nullptr), nullptr); }
    void TearDown() override { serverModule().Term(); }
};
const auto* const kModule = ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

// Functions of the fake type: "Paste" twice, "Copy", and one whose name is unavailable.
struct Function {
    const wchar_t* name;
    MEMBERID id;
};
const Function kFunctions[] = {{L"Paste", 10}, {L"Copy", 20}, {L"Paste", 30}, {nullptr, 40}};
constexpr DISPID kAskedId = 0x500;

// Only what building the cache and looking up a name need; counts the lookups it is
// asked for and answers every name but "Unknown".
class FakeTypeInfo : public ITypeInfo {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_ITypeInfo)) {
            return E_NOINTERFACE;
        }
        *out = static_cast<ITypeInfo*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }

    STDMETHODIMP GetTypeAttr(TYPEATTR** out) override {
        attributes_ = TYPEATTR{};
        attributes_.cFuncs = static_cast<WORD>(sizeof(kFunctions) / sizeof(kFunctions[0]));
        *out = &attributes_;
        return S_OK;
    }
    STDMETHODIMP GetFuncDesc(UINT index, FUNCDESC** out) override {
        function_ = FUNCDESC{};
        function_.memid = kFunctions[index].id;
        *out = &function_;
        return S_OK;
    }
    STDMETHODIMP GetDocumentation(MEMBERID id, BSTR* name, BSTR*, DWORD*, BSTR*) override {
        for (const Function& function : kFunctions) {
            if (function.id == id && function.name) {
                *name = SysAllocString(function.name);
                return S_OK;
            }
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }
    STDMETHODIMP GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
        ++lookups;
        if (count != 1 || lstrcmpW(names[0], L"Unknown") == 0) return DISP_E_UNKNOWNNAME;
        ids[0] = kAskedId;
        return S_OK;
    }
    STDMETHODIMP_(void) ReleaseTypeAttr(TYPEATTR*) override {}
    STDMETHODIMP_(void) ReleaseFuncDesc(FUNCDESC*) override {}

    STDMETHODIMP GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }
    STDMETHODIMP GetVarDesc(UINT, VARDESC**) override { return E_NOTIMPL; }
    STDMETHODIMP GetNames(MEMBERID, BSTR*, UINT, UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetRefTypeOfImplType(UINT, HREFTYPE*) override { return E_NOTIMPL; }
    STDMETHODIMP GetImplTypeFlags(UINT, INT*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(PVOID, MEMBERID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetRefTypeInfo(HREFTYPE, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP AddressOfMember(MEMBERID, INVOKEKIND, PVOID*) override { return E_NOTIMPL; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, PVOID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMops(MEMBERID, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainingTypeLib(ITypeLib**, UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP_(void) ReleaseVarDesc(VARDESC*) override {}

    LONG references = 0;
    int lookups = 0;

private:
    TYPEATTR attributes_{};
    FUNCDESC function_{};
};

class FakeTypeLib : public ITypeLib {
public:
    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }
    STDMETHODIMP GetTypeInfoOfGuid(REFGUID, ITypeInfo** out) override {
        info.AddRef();
        *out = &info;
        return S_OK;
    }
    STDMETHODIMP_(UINT) GetTypeInfoCount() override { return 1; }
    STDMETHODIMP GetTypeInfo(UINT, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfoType(UINT, TYPEKIND*) override { return E_NOTIMPL; }
    STDMETHODIMP GetLibAttr(TLIBATTR**) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }
    STDMETHODIMP GetDocumentation(INT, BSTR*, BSTR*, DWORD*, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP IsName(LPOLESTR, ULONG, BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP FindName(LPOLESTR, ULONG, ITypeInfo**, MEMBERID*, USHORT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP_(void) ReleaseTLibAttr(TLIBATTR*) override {}

    LONG references = 0;
    FakeTypeInfo info;
};

FakeTypeLib library;

HRESULT STDAPICALLTYPE fakeLoader(REFGUID, WORD, WORD, LCID, ITypeLib** out) {
    library.AddRef();
    *out = &library;
    return S_OK;
}

TEST(NameCache, AnswersKnownNamesItselfFromTheLastEntryDown) {
    static TypeInfoCache cache(IID_IDispatch, GUID_NULL, 1, 0, &fakeLoader);
    ASSERT_EQ(S_OK, cache.EnsureLoaded(0));
    EXPECT_EQ(0, library.references);       // the library is let go after loading
    EXPECT_EQ(1, library.info.references);  // the cache keeps one reference

    OLECHAR paste[] = L"Paste";
    OLECHAR copy[] = L"Copy";
    OLECHAR* names[] = {paste, copy};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(S_OK, cache.GetIDsOfNames(names, 2, 0, ids));
    EXPECT_EQ(30, ids[0]);  // the later of the two "Paste" entries
    EXPECT_EQ(20, ids[1]);
    EXPECT_EQ(0, library.info.lookups);

    // Case and length must match exactly; the rest is asked of the type information.
    OLECHAR lower[] = L"paste";
    OLECHAR longer[] = L"Pastes";
    OLECHAR empty[] = L"";
    OLECHAR* others[] = {lower, longer, empty, copy};
    DISPID otherIds[4] = {0, 0, 0, 0};
    EXPECT_EQ(S_OK, cache.GetIDsOfNames(others, 4, 0, otherIds));
    EXPECT_EQ(kAskedId, otherIds[0]);
    EXPECT_EQ(kAskedId, otherIds[1]);
    EXPECT_EQ(kAskedId, otherIds[2]);  // the entry without a name never matches
    EXPECT_EQ(20, otherIds[3]);
    EXPECT_EQ(3, library.info.lookups);

    OLECHAR unknown[] = L"Unknown";
    OLECHAR* failing[] = {copy, unknown, paste};
    DISPID failingIds[3] = {7, 7, 7};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, cache.GetIDsOfNames(failing, 3, 0, failingIds));
    EXPECT_EQ(20, failingIds[0]);
    EXPECT_EQ(7, failingIds[2]);

    TypeInfoCache::Cleanup(reinterpret_cast<DWORD_PTR>(&cache));
    EXPECT_EQ(0, library.info.references);
    TypeInfoCache::Cleanup(reinterpret_cast<DWORD_PTR>(&cache));
    EXPECT_EQ(0, library.info.references);
}

}  // namespace
