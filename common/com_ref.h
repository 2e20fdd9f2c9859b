// One counted reference to a COM interface, given back when replaced or destroyed.
#pragma once

#include <unknwn.h>

template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    // Takes a new reference to `pointer` (which may be null) and drops the old one.
    void Assign(Interface* pointer) {
        if (pointer) pointer->AddRef();
        Interface* old = pointer_;
        pointer_ = pointer;
        if (old) old->Release();
    }
    void Reset() { Assign(nullptr); }
    // Takes over a reference the caller already holds.
    void Attach(Interface* pointer) {
        Interface* old = pointer_;
        pointer_ = pointer;
        if (old) old->Release();
    }
    // Hands the reference over to the caller.
    Interface* Detach() {
        Interface* pointer = pointer_;
        pointer_ = nullptr;
        return pointer;
    }
    Interface** Receive() {
        Reset();
        return &pointer_;
    }

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

private:
    Interface* pointer_ = nullptr;
};
