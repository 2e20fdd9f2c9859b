// A loaded module (LoadLibrary, LoadLibraryEx), freed with its holder.
#pragma once

#include <windows.h>

class ModuleHandle {
public:
    // Takes over `module`, which may be null (nothing was loaded).
    explicit ModuleHandle(HMODULE module) : module_(module) {}
    ~ModuleHandle() {
        if (module_) FreeLibrary(module_);
    }
    ModuleHandle(const ModuleHandle&) = delete;
    ModuleHandle& operator=(const ModuleHandle&) = delete;

    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};
