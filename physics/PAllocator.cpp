#include "physics/PAllocator.h"

#include <cstdlib>

namespace {

class HeapAllocator : public IPAllocator {
public:
    void* Allocate(size_t bytes) override { return std::malloc(bytes); }
    void Free(void* memory) override { std::free(memory); }
};

} // namespace

IPAllocator* GetHeapAllocator()
{
    static HeapAllocator heap;
    return &heap;
}
