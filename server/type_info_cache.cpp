#include "server/type_info_cache.h"

#include <new>

#include "common/critical_section_lock.h"
#include "halvint.h"
#include "common/com_ref.h"
#include "server/server_module.h"

TypeInfoCache::TypeInfoCache(const IID& iid, const GUID& libid, WORD majorVersion,
                             WORD minorVersion, TypeLibLoader loader)
    : iid_(iid),
      libid_(libid),
      majorVersion_(majorVersion),
      minorVersion_(minorVersion),
      loader_(loader) {}

HRESULT TypeInfoCache::EnsureLoaded(LCID lcid) {
    if (CachedTypeInfo()) return S_OK;
    HRESULT hr = E_FAIL;
    {
        CriticalSectionLock lock(serverModule().StaticDataLock());
        // One termination entry, whichever attempt comes first: failed loads repeat
        // while the library is not registered, and threads may race here.
        if (!cleanupAdded_) {
            cleanupAdded_ = SUCCEEDED(serverModule().AddTermCallback(
                &TypeInfoCache::Cleanup, reinterpret_cast<DWORD_PTR>(this)));
        }
        if (CachedTypeInfo()) {
            hr = S_OK;
        } else {
            ComRef<ITypeLib> library;
            ComRef<ITypeInfo> info;
            hr = loader_(libid_, majorVersion_, minorVersion_, lcid, library.Receive());
            if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(iid_, info.Receive());
            if (SUCCEEDED(hr)) {
                ITypeInfo2* info2 = nullptr;
                if (SUCCEEDED(
                        info->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(&info2))) &&
                    info2) {
                    info.Attach(info2);
                }
                BuildNameCache(info.Get());
                info->AddRef();  // the cache's own reference
                typeInfo_.store(info.Get(), std::memory_order_release);
            }
        }
    }
    return hr;
}

void TypeInfoCache::BuildNameCache(ITypeInfo* info) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes)) || !attributes) return;
    const LONG count = attributes->cFuncs;
    NameCacheEntry* entries = nullptr;
    if (count > 0) {
        entries = new (std::nothrow) NameCacheEntry[count];
        if (entries) {
            for (LONG i = 0; i < count; ++i) entries[i] = {nullptr, 0, 0};
            for (LONG i = 0; i < count; ++i) {
                FUNCDESC* function = nullptr;
                if (FAILED(info->GetFuncDesc(static_cast<UINT>(i), &function)) || !function) {
                    continue;
                }
                BSTR name = nullptr;
                if (SUCCEEDED(info->GetDocumentation(function->memid, &name, nullptr, nullptr,
                                                     nullptr))) {
                    entries[i] = {name, static_cast<LONG>(SysStringLen(name)), function->memid};
                }
                info->ReleaseFuncDesc(function);
            }
        }
    }
    names_ = entries;
    nameCount_ = entries ? count : 0;
    info->ReleaseTypeAttr(attributes);
}

bool TypeInfoCache::FindName(const OLECHAR* name, DISPID* id) const {
    const LONG length = static_cast<LONG>(lstrlenW(name));
    for (LONG i = nameCount_ - 1; i >= 0; --i) {
        const NameCacheEntry& entry = names_[i];
        if (!entry.name || entry.length != length) continue;
        if (memcmp(entry.name, name, static_cast<size_t>(length) * sizeof(OLECHAR)) == 0) {
            *id = entry.dispid;
            return true;
        }
    }
    return false;
}

HRESULT TypeInfoCache::GetTypeInfo(LCID lcid, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    HRESULT hr = S_OK;
    if (!CachedTypeInfo()) hr = EnsureLoaded(lcid);
    ITypeInfo* info = CachedTypeInfo();
    if (!info) return hr;
    info->AddRef();
    *out = info;
    return S_OK;
}

HRESULT TypeInfoCache::GetIDsOfNames(LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
    HRESULT hr = S_OK;
    if (!CachedTypeInfo()) hr = EnsureLoaded(lcid);
    ITypeInfo* info = CachedTypeInfo();
    if (!info) return hr;
    if (count > 0 && (!names || !ids)) return E_POINTER;
    for (UINT i = 0; i < count; ++i) {
        if (names[i] && FindName(names[i], &ids[i])) continue;
        hr = info->GetIDsOfNames(&names[i], 1, &ids[i]);
        if (FAILED(hr)) return hr;
    }
    return hr;
}

HRESULT TypeInfoCache::Invoke(IDispatch* instance, DISPID member, LCID lcid, WORD flags,
                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                              UINT* argumentError) {
    HRESULT hr = S_OK;
    if (!CachedTypeInfo()) hr = EnsureLoaded(lcid);
    ITypeInfo* info = CachedTypeInfo();
    if (!info) return hr;
    return info->Invoke(instance, member, flags, params, result, exception, argumentError);
}

void TypeInfoCache::Cleanup(DWORD_PTR argument) {
    auto* cache = reinterpret_cast<TypeInfoCache*>(argument);
    if (!cache) return;
    if (ITypeInfo* info = cache->typeInfo_.exchange(nullptr)) info->Release();
    for (LONG i = 0; i < cache->nameCount_; ++i) SysFreeString(cache->names_[i].name);
    delete[] cache->names_;
    cache->names_ = nullptr;
    cache->nameCount_ = 0;
    cache->cleanupAdded_ = false;  // the entry has run: a later load needs a new one
}

TypeInfoCache& gotoListTypeInfo() {
    static TypeInfoCache cache(IID_IGotoList, LIBID_HALVINTLib, 1, 0);
    return cache;
}
