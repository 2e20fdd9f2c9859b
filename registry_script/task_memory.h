// Task memory (CoTaskMemAlloc / CoTaskMemRealloc / CoTaskMemFree) behind an interface, so
// the registry script code can be run against an allocator that fails on demand.
#pragma once

#include <cstddef>

class TaskMemory {
public:
    virtual ~TaskMemory() = default;
    virtual void* allocate(std::size_t size) = 0;
    // Like realloc: on failure null, and the old block stays valid.
    virtual void* reallocate(void* block, std::size_t size) = 0;
    virtual void release(void* block) = 0;
};

// The process's task allocator: COM's on Windows, the C heap elsewhere.
TaskMemory& processTaskMemory();
