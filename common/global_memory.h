// Global memory blocks: an owned block (freed unless handed over) and a lock scope.
#pragma once

#include <windows.h>

#include <cstddef>

// Owns a moveable global block until Release() hands it to someone else.
class GlobalMemory {
public:
    GlobalMemory() = default;  // holds no block
    explicit GlobalMemory(std::size_t size) : handle_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
    GlobalMemory(GlobalMemory&& other) noexcept : handle_(other.Release()) {}
    ~GlobalMemory() {
        if (handle_) GlobalFree(handle_);
    }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;

    HGLOBAL Get() const { return handle_; }
    HGLOBAL Release() {
        HGLOBAL handle = handle_;
        handle_ = nullptr;
        return handle;
    }

private:
    HGLOBAL handle_ = nullptr;
};

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
