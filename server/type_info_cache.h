// The type information of one dual interface, loaded once per process from its
// registered type library and shared by every object that answers IDispatch calls
// from it. Loading is serialized by the module's static-data lock; once loaded, the
// type information and the name cache never change until module termination.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>

class TypeInfoCache {
public:
    // How the type library is found: LoadRegTypeLib, or a stand-in in tests.
    using TypeLibLoader = HRESULT(STDAPICALLTYPE*)(REFGUID libid, WORD major, WORD minor, LCID lcid,
                                                   ITypeLib** out);

    TypeInfoCache(const IID& iid, const GUID& libid, WORD majorVersion, WORD minorVersion,
                  TypeLibLoader loader = &LoadRegTypeLib);
    ~TypeInfoCache() = default;  // the termination callback frees what was loaded
    TypeInfoCache(const TypeInfoCache&) = delete;
    TypeInfoCache& operator=(const TypeInfoCache&) = delete;

    // Loads the type information unless it is cached; S_OK or the error of the load.
    HRESULT EnsureLoaded(LCID lcid);

    // IDispatch on behalf of an object; each loads the type information on demand.
    HRESULT GetTypeInfo(LCID lcid, ITypeInfo** out);
    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
    HRESULT Invoke(IDispatch* instance, DISPID member, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError);

    // Termination callback (argument: the cache): releases the type information and
    // frees the name cache. Harmless when run again.
    static void Cleanup(DWORD_PTR cache);

private:
    struct NameCacheEntry {
        BSTR name;
        LONG length;  // in UTF-16 code units
        DISPID dispid;
    };

    // The cached type information (no new reference), or null.
    ITypeInfo* CachedTypeInfo() const { return typeInfo_.load(std::memory_order_acquire); }
    void BuildNameCache(ITypeInfo* info);
    bool FindName(const OLECHAR* name, DISPID* id) const;

    const IID iid_;
    const GUID libid_;
    const WORD majorVersion_;
    const WORD minorVersion_;
    std::atomic<ITypeInfo*> typeInfo_{nullptr};
    NameCacheEntry* names_ = nullptr;
    LONG nameCount_ = 0;
    TypeLibLoader loader_;
    bool cleanupAdded_ = false;  // guarded by the module's static-data lock
};

// The cache describing IGotoList, shared by every handler object of the module.
TypeInfoCache& gotoListTypeInfo();
