// A security identifier made by AllocateAndInitializeSid, freed with its holder.
#pragma once

#include <windows.h>

class SidHolder {
public:
    SidHolder() = default;
    ~SidHolder() {
        if (sid_) FreeSid(sid_);
    }
    SidHolder(const SidHolder&) = delete;
    SidHolder& operator=(const SidHolder&) = delete;

    // For AllocateAndInitializeSid: the place to receive the SID (the holder is empty).
    PSID* Receive() { return &sid_; }
    PSID Get() const { return sid_; }

private:
    PSID sid_ = nullptr;
};
