#include "Render/PDrawable.h"

#include <cstring>

void IPDrawable::CopyIndices(uint16_t* dest, int count, uint16_t* firstIndex, uint16_t* lastIndex)
{
    (void)dest;
    (void)count;
    (void)firstIndex;
    (void)lastIndex;
}

void PrefetchMemory(const void* memory, size_t bytes)
{
    const size_t kCacheLine = 64;
    if (bytes == 0) return;
    const char* first = static_cast<const char*>(memory);
    for (size_t offset = 0; offset < bytes; offset += kCacheLine) __builtin_prefetch(first + offset);
    // The last line, which the stride steps over when the bytes do not
    // start on a line.
    __builtin_prefetch(first + bytes - 1);
}

// Four indices at a time in one 64-bit word: each 16-bit lane gets the base
// added with its carry kept out of the next lane, so the sums wrap in 16 bits
// exactly as one index at a time would.
void IPDrawable::WriteIndices(uint16_t* dest, const uint16_t* indices, int count, uint16_t baseVertex)
{
    const uint64_t kLaneLowBits = 0x7FFF7FFF7FFF7FFFull;
    const uint64_t kLaneHighBits = 0x8000800080008000ull;
    const int kLanes = 4;
    const uint64_t bases = baseVertex * 0x0001000100010001ull;
    int k = 0;
    for (; k + kLanes <= count; k += kLanes) {
        uint64_t word;
        std::memcpy(&word, indices + k, sizeof(word));
        word = ((word & kLaneLowBits) + (bases & kLaneLowBits)) ^ ((word ^ bases) & kLaneHighBits);
        std::memcpy(dest + k, &word, sizeof(word));
    }
    for (; k < count; ++k) dest[k] = static_cast<uint16_t>(baseVertex + indices[k]);
}
