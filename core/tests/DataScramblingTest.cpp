#include "core/DataScrambling.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<unsigned char> CountingBytes(size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7);
    return bytes;
}

TEST(DataScrambling, UnscrambleUndoesScrambleAcrossKeyRepeats)
{
    const std::vector<unsigned char> plain = CountingBytes(2 * kScrambleKeyLength + 5);
    std::vector<unsigned char> bytes = plain;
    ScrambleBytes(bytes.data(), bytes.size());
    EXPECT_NE(bytes, plain);
    UnscrambleBytes(bytes.data(), bytes.size());
    EXPECT_EQ(bytes, plain);
}

TEST(DataScrambling, KeyRepeatsEveryKeyLengthFromTheFirstByte)
{
    std::vector<unsigned char> zeros(kScrambleKeyLength + 3, 0);
    ScrambleBytes(zeros.data(), zeros.size());
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(zeros[kScrambleKeyLength + i], zeros[i]) << i;

    std::vector<unsigned char> head(3, 0);
    ScrambleBytes(head.data(), head.size());
    EXPECT_EQ(head, std::vector<unsigned char>(zeros.begin(), zeros.begin() + 3));
}

// Every position of two whole blocks and a part block, each byte taken with
// its own key byte (read off the scrambling of zeros) and wrapping within
// itself: no sum carries into the next byte, no difference borrows from it.
TEST(DataScrambling, EachByteTakesItsOwnKeyByteAndWrapsOnItsOwn)
{
    std::vector<unsigned char> key(2 * kScrambleKeyLength + 21, 0);
    ScrambleBytes(key.data(), key.size());
    const std::vector<unsigned char> plain = CountingBytes(key.size());
    std::vector<unsigned char> bytes = plain;

    ScrambleBytes(bytes.data(), bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(bytes[i], static_cast<unsigned char>(plain[i] + key[i % kScrambleKeyLength])) << i;
    }
    UnscrambleBytes(bytes.data(), bytes.size());
    EXPECT_EQ(bytes, plain);
}

// Known answers worked out by hand from the key: plain 0xFF at even
// positions and 0x80 at odd ones. 0xFF tells adding the key from
// exclusive-or; positions 1932 to 1934 show the key's last byte and its
// wrap back to the first.
TEST(DataScrambling, AddsTheKeyByteOfEachPosition)
{
    struct KnownByte {
        size_t position;
        unsigned char scrambled;
    };
    const KnownByte known[] = {{0, 0x67},    {1, 0x56},    {2, 0x19},    {1931, 0x27},
                               {1932, 0x74}, {1933, 0xE8}, {1934, 0xD5}};
    std::vector<unsigned char> bytes(kScrambleKeyLength + 2);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = i % 2 == 0 ? 0xFF : 0x80;

    ScrambleBytes(bytes.data(), bytes.size());
    for (const KnownByte& byte : known) EXPECT_EQ(bytes[byte.position], byte.scrambled) << byte.position;

    UnscrambleBytes(bytes.data(), bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], i % 2 == 0 ? 0xFF : 0x80) << i;
}

} // namespace
