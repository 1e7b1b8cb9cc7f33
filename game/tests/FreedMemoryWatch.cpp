#include "game/tests/FreedMemoryWatch.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

const unsigned char kFreedPattern = 0xDD;
// Blocks beyond this many are freed at once, unwatched: the table must not
// allocate, since it lives inside operator delete.
const size_t kMaxKept = 1 << 18;

struct KeptBlock {
    void* address;
    size_t size;
};

bool g_watching = false;
KeptBlock g_kept[kMaxKept];
size_t g_keptCount = 0;

void Release(void* address)
{
    if (!address) return;
    if (g_watching && g_keptCount < kMaxKept) {
        const size_t size = _msize(address);
        std::memset(address, kFreedPattern, size);
        g_kept[g_keptCount++] = KeptBlock{address, size};
        return;
    }
    std::free(address);
}

} // namespace

// The replaceable deallocation functions of the test program; the
// allocation functions stay the runtime's, which take memory from malloc.
void operator delete(void* address) noexcept
{
    Release(address);
}

void operator delete[](void* address) noexcept
{
    Release(address);
}

void operator delete(void* address, std::size_t) noexcept
{
    Release(address);
}

void operator delete[](void* address, std::size_t) noexcept
{
    Release(address);
}

FreedMemoryWatch::FreedMemoryWatch()
{
    g_keptCount = 0;
    g_watching = true;
}

FreedMemoryWatch::~FreedMemoryWatch()
{
    g_watching = false;
    for (size_t i = 0; i < g_keptCount; ++i) std::free(g_kept[i].address);
    g_keptCount = 0;
}

size_t FreedMemoryWatch::GetFreedCount() const
{
    return g_keptCount;
}

size_t FreedMemoryWatch::CountWrittenAfterFree() const
{
    size_t written = 0;
    for (size_t i = 0; i < g_keptCount; ++i) {
        const unsigned char* bytes = static_cast<const unsigned char*>(g_kept[i].address);
        for (size_t b = 0; b < g_kept[i].size; ++b) {
            if (bytes[b] != kFreedPattern) {
                ++written;
                break;
            }
        }
    }
    return written;
}
