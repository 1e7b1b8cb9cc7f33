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

} // namespace
