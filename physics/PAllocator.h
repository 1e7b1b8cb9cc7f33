#pragma once

#include <cstddef>

// Where the simulator takes its memory: its pools, its broad-phase tables and
// the simulator object itself. Allocate answers null when memory runs out.
class IPAllocator {
public:
    virtual ~IPAllocator() = default;
    virtual void* Allocate(size_t bytes) = 0;
    virtual void Free(void* memory) = 0;
};

// The runtime heap.
IPAllocator* GetHeapAllocator();
