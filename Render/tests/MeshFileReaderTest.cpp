#include "Render/MeshFileReader.h"

#include "core/tests/FileTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

const char* const kFilePath = "arrays.msh";

// Five 16-bit values after a lead of the given length, then nothing.
void ExpectValuesReadAfter(size_t leadLength)
{
    const std::vector<uint16_t> values = {1, 0x0203, 0xFFFF, 0, 0x8000};
    std::string bytes(leadLength, 'x');
    bytes.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(uint16_t));
    WriteFileBytes(kFilePath, bytes);
    CPDataFile file(kFilePath, false);
    EXPECT_EQ(file.Load(), S_OK);
    MeshFileReader reader(file, kFilePath);
    std::vector<char> lead(leadLength + 1);
    reader.ReadBytes(lead.data(), leadLength, "lead");
    std::vector<uint16_t> read = {7, 7, 7, 7, 7, 7, 7};
    reader.ReadArray(read, values.size(), "values");
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(read, values);
}

TEST(MeshFileReader, ReadsAnArrayWhereverItLiesInTheFile)
{
    // Even leads put the values where a 16-bit value may lie, odd ones not.
    for (size_t lead : {0u, 1u, 2u, 3u}) {
        SCOPED_TRACE(lead);
        ExpectValuesReadAfter(lead);
    }
}

TEST(MeshFileReader, AnArrayPastTheEndIsAFaultOfItsField)
{
    WriteFileBytes(kFilePath, std::string(9, 'x'));
    CPDataFile file(kFilePath, false);
    ASSERT_EQ(file.Load(), S_OK);
    MeshFileReader reader(file, kFilePath);
    std::vector<uint16_t> read;
    try {
        reader.ReadArray(read, 5, "indices");
        FAIL() << "no fault";
    } catch (const MeshFileError& error) {
        EXPECT_NE(std::string(error.what()).find("indices"), std::string::npos) << error.what();
    }
}

// The message of the fault the read throws, or "" when it throws none.
std::string FaultOf(const std::function<void()>& read)
{
    try {
        read();
    } catch (const MeshFileError& error) {
        return error.what();
    }
    return std::string();
}

// The file shrinks after it was opened: the count passes the size taken at
// opening, but the bytes are no longer there to take.
TEST(MeshFileReader, AnArrayTheShrunkFileNoLongerHoldsIsAFaultOfItsField)
{
    const std::vector<uint16_t> values = {9, 0x0102, 0x7FFF, 3, 0xFEDC};
    WriteFileBytes(kFilePath, std::string(reinterpret_cast<const char*>(values.data()), values.size() * 2));
    CPDataFile file(kFilePath, false);
    ASSERT_EQ(file.Open(), S_OK);
    MeshFileReader reader(file, kFilePath);
    WriteFileBytes(kFilePath, "abc");
    std::vector<uint16_t> read = {4, 4};
    EXPECT_EQ(FaultOf([&] { reader.ReadArray(read, values.size(), "indices"); }),
              std::string(kFilePath) + ": indices runs past the end of the file");
    EXPECT_EQ(read, (std::vector<uint16_t>{4, 4}));
}

// The count's byte size wraps round this build's size_t to 4, which the
// 6 bytes of the file would hold: only the count itself tells.
TEST(MeshFileReader, ACountWhoseByteSizeWrapsIsAFaultOfItsField)
{
    WriteFileBytes(kFilePath, std::string(6, 'x'));
    CPDataFile file(kFilePath, false);
    ASSERT_EQ(file.Load(), S_OK);
    MeshFileReader reader(file, kFilePath);
    const size_t wrapping = std::numeric_limits<size_t>::max() / sizeof(uint16_t) + 3;
    ASSERT_EQ(wrapping * sizeof(uint16_t), 4u);
    std::vector<uint16_t> read = {4};
    EXPECT_EQ(FaultOf([&] { reader.ReadArray(read, wrapping, "indices"); }),
              std::string(kFilePath) + ": indices runs past the end of the file");
    EXPECT_EQ(read, std::vector<uint16_t>{4});
    EXPECT_EQ(file.GetBytesLeft(), 6u);
}

} // namespace
