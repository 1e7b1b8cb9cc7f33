#pragma once

#include <cstdint>

// Spreads an address over 64 bits by a multiplicative (Fibonacci) hash: the
// high bits of the product depend on every bit of the address, so a table
// of a power-of-two size can take its slot from them even where the
// addresses differ only in a few middle bits, as objects from one heap do.
inline uint64_t SpreadAddress(const void* address)
{
    const uint64_t kGoldenRatio = 0x9E3779B97F4A7C15ull;
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(address)) * kGoldenRatio;
}
