// A task allocator for tests: counts the blocks it has handed out and not got back, and
// can be told to fail every allocation or reallocation from a given one on.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <limits>

#include "registry_script/task_memory.h"

class CountingTaskMemory final : public TaskMemory {
public:
    void* allocate(std::size_t size) override {
        if (shouldFail()) return nullptr;
        void* block = std::malloc(size ? size : 1);
        if (block) ++outstanding_;
        return block;
    }
    void* reallocate(void* block, std::size_t size) override {
        if (shouldFail()) return nullptr;
        return std::realloc(block, size ? size : 1);
    }
    void release(void* block) override {
        if (!block) return;
        --outstanding_;
        std::free(block);
    }

    // Requests (allocations and reallocations) from the n-th on, counted from 0, fail.
    void failFrom(std::size_t n) {
        failFrom_ = n;
        requests_ = 0;
    }
    std::size_t requests() const { return requests_; }
    long outstanding() const { return outstanding_; }

private:
    bool shouldFail() { return requests_++ >= failFrom_; }

    std::size_t failFrom_ = std::numeric_limits<std::size_t>::max();
    std::size_t requests_ = 0;
    long outstanding_ = 0;
};
