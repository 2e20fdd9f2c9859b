// A kernel object handle (process, thread, access token), closed when its holder ends.
#pragma once

#include <windows.h>

class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    ~KernelHandle() {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    HANDLE Get() const { return handle_; }
    // For calls that hand out a handle: the place to receive it (the holder is empty).
    HANDLE* Receive() { return &handle_; }

private:
    HANDLE handle_ = nullptr;
};
