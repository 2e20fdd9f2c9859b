// A BSTR (SysAllocString and the calls that hand one out), freed with its holder.
#pragma once

#include <windows.h>
#include <oleauto.h>

class BstrHolder {
public:
    BstrHolder() = default;
    ~BstrHolder() { SysFreeString(text_); }
    BstrHolder(const BstrHolder&) = delete;
    BstrHolder& operator=(const BstrHolder&) = delete;

    // For calls that hand out a string: the place to receive it (the holder is empty).
    BSTR* Receive() { return &text_; }
    BSTR Get() const { return text_; }

private:
    BSTR text_ = nullptr;
};
