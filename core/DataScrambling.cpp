#include "core/DataScrambling.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

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

// Sixteen bytes at a time, each on its own: sums and differences wrap
// within each byte and never carry into the next.
typedef unsigned char ByteLanes __attribute__((vector_size(16)));
const size_t kLaneCount = sizeof(ByteLanes);

// Adds the key to the bytes to scramble them, or takes it away to restore
// them, byte by byte or sixteen lanes at a time. Passed by reference: the
// compiler warns that handing a vector by value passes it differently in
// builds without SSE.
enum class KeyStep { kAdd, kSubtract };

template <KeyStep step, class Bytes>
void ApplyKeyStep(Bytes& bytes, const Bytes& key)
{
    if (step == KeyStep::kAdd) {
        bytes += key;
    } else {
        bytes -= key;
    }
}

// Walks the data one key length at a time, so that the position within the
// key needs no division per byte, and each block sixteen bytes at a time.
template <KeyStep step>
void ApplyKey(unsigned char* data, size_t size)
{
    for (size_t start = 0; start < size; start += kScrambleKeyLength) {
        unsigned char* block = data + start;
        const size_t count = std::min(size - start, kScrambleKeyLength);
        size_t i = 0;
        for (; i + kLaneCount <= count; i += kLaneCount) {
            ByteLanes bytes, key;
            std::memcpy(&bytes, block + i, kLaneCount);
            std::memcpy(&key, kScrambleKey.bytes + i, kLaneCount);
            ApplyKeyStep<step>(bytes, key);
            std::memcpy(block + i, &bytes, kLaneCount);
        }
        for (; i < count; ++i) {
            ApplyKeyStep<step>(block[i], kScrambleKey.bytes[i]);
        }
    }
}

} // namespace

void ScrambleBytes(unsigned char* data, size_t size)
{
    ApplyKey<KeyStep::kAdd>(data, size);
}

void UnscrambleBytes(unsigned char* data, size_t size)
{
    ApplyKey<KeyStep::kSubtract>(data, size);
}
