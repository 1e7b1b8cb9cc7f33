#include "core/DataScrambling.h"

#include <algorithm>
#include <cstdint>

namespace {

struct ScrambleKey {
    unsigned char bytes[kScrambleKeyLength];
};

// The key is generated at compile time from a fixed seed. Every scrambled
// file ever written depends on these bytes: neither the seed nor the
// generator may change.
constexpr ScrambleKey MakeScrambleKey()
{
    ScrambleKey key{};
    uint32_t state = 0x486D6572u;
    for (size_t i = 0; i < kScrambleKeyLength; ++i) {
        state = state * 1664525u + 1013904223u;
        key.bytes[i] = static_cast<unsigned char>(state >> 24);
    }
    return key;
}

constexpr ScrambleKey kScrambleKey = MakeScrambleKey();

// Walks the data one key length at a time, so that the position within the
// key needs no division per byte and the inner loop vectorises.
template <class Combine>
void ApplyKey(unsigned char* data, size_t size, Combine combine)
{
    for (size_t start = 0; start < size; start += kScrambleKeyLength) {
        unsigned char* block = data + start;
        const size_t count = std::min(size - start, kScrambleKeyLength);
        for (size_t i = 0; i < count; ++i) {
            block[i] = combine(block[i], kScrambleKey.bytes[i]);
        }
    }
}

} // namespace

void ScrambleBytes(unsigned char* data, size_t size)
{
    ApplyKey(data, size, [](unsigned char byte, unsigned char key) {
        return static_cast<unsigned char>(byte + key);
    });
}

void UnscrambleBytes(unsigned char* data, size_t size)
{
    ApplyKey(data, size, [](unsigned char byte, unsigned char key) {
        return static_cast<unsigned char>(byte - key);
    });
}
