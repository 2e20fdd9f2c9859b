// Global memory blocks: an owned block (freed unless handed over) and a lock scope.
#pragma once

#include <windows.h>

#include <cstddef>

#include "common/scoped_handle.h"

struct FreeGlobalMemory {
    void operator()(HGLOBAL block) const { GlobalFree(block); }
};

// A global block (GlobalAlloc), freed with its holder unless Release() hands it to someone
// else, such as the clipboard.
using GlobalMemory = ScopedHandle<HGLOBAL, FreeGlobalMemory>;

// GlobalLock for the life of a scope; Data() is null when the lock failed.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL handle)
        : handle_(handle), data_(handle ? GlobalLock(handle) : nullptr) {}
    ~GlobalLockScope() {
        if (data_) GlobalUnlock(handle_);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;

    void* Data() const { return data_; }
    std::size_t Size() const { return data_ ? GlobalSize(handle_) : 0; }

private:
    HGLOBAL handle_;
    void* data_;
};
