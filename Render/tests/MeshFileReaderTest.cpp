#include "Render/MeshFileReader.h"

#include "core/tests/FileTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
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

} // namespace
