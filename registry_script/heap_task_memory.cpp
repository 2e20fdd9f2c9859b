// The process's task allocator on Linux: the C heap.
#include <cstdlib>

#include "registry_script/task_memory.h"

namespace {

class HeapTaskMemory final : public TaskMemory {
public:
    void* allocate(std::size_t size) override { return std::malloc(size ? size : 1); }
    void* reallocate(void* block, std::size_t size) override {
        return std::realloc(block, size ? size : 1);
    }
    void release(void* block) override { std::free(block); }
};

}  // namespace

TaskMemory& processTaskMemory() {
    static HeapTaskMemory memory;
    return memory;
}
