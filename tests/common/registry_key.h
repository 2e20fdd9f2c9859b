// An open registry key, closed with its holder.
#pragma once

#include <windows.h>

class RegistryKeyHandle {
public:
    RegistryKeyHandle() = default;
    ~RegistryKeyHandle() { reset(); }
    RegistryKeyHandle(const RegistryKeyHandle&) = delete;
    RegistryKeyHandle& operator=(const RegistryKeyHandle&) = delete;

    // For RegOpenKeyEx and RegCreateKeyEx, which leave null there when they fail: closes
    // the key held so far.
    HKEY* receive() {
        reset();
        return &key_;
    }
    void reset() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};
