// A handle of one kind, given back by `Free` (a function object that frees one) when its
// holder ends, unless it was handed over first. The holders of the GDI objects, icons,
// global blocks and the rest are this template with their kind's `Free`.
#pragma once

template <class Handle, class Free>
class ScopedHandle {
public:
    ScopedHandle() = default;
    // Takes over `handle`, which may be null (nothing was made).
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ~ScopedHandle() { Reset(nullptr); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    Handle Get() const { return handle_; }
    // Frees the handle held so far and takes over `handle`.
    void Reset(Handle handle) {
        if (handle_) Free()(handle_);
        handle_ = handle;
    }
    // Hands the handle over to the caller.
    Handle Release() {
        Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }

private:
    Handle handle_ = nullptr;
};
