#include "core/bench/HeapCounter.h"

#include <cstdlib>
#include <new>

namespace {

size_t g_allocations = 0;

} // namespace

size_t HeapAllocationCount()
{
    return g_allocations;
}

void* operator new(size_t size)
{
    ++g_allocations;
    void* memory = std::malloc(size ? size : 1);
    if (!memory) throw std::bad_alloc();
    return memory;
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, size_t) noexcept
{
    std::free(memory);
}
