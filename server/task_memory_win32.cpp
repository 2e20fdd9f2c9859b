#include "registry_script/task_memory.h"

#include <objbase.h>

namespace {

class ComTaskMemory final : public TaskMemory {
public:
    void* allocate(std::size_t size) override { return CoTaskMemAlloc(size); }
    void* reallocate(void* block, std::size_t size) override {
        return CoTaskMemRealloc(block, size);
    }
    void release(void* block) override { CoTaskMemFree(block); }
};

}  // namespace

TaskMemory& processTaskMemory() {
    static ComTaskMemory memory;
    return memory;
}
