#include "game/LevelFile.h"

#include "core/PDataFile.h"
#include "core/PObject.h"
#include "game/tests/GameFileFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

std::string Int(int32_t value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

std::string Float(float value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

// The bytes of a file worked out from the format: four header floats, the
// light block, one object record named "ab" with the floats 1 to 10, and
// no splines.
std::string HandMadeLevel(int32_t lightCount, int32_t objectCount)
{
    std::string bytes = Float(3000.0f) + Float(3000.0f) + Float(0.0f) + Float(0.0f) + Int(lightCount);
    if (lightCount > 0) bytes += std::string(4 + 48 + (lightCount - 1) * 28, '\x7f');
    bytes += Int(objectCount) + Int(2) + "ab";
    for (int value = 1; value <= 10; ++value) bytes += Float(static_cast<float>(value));
    return bytes + Int(0);
}

bool Read(const std::string& bytes, LevelDescription& level, std::string& error)
{
    WriteFixture("hand.lvl", bytes);
    CPDataFile file("hand.lvl", false);
    EXPECT_TRUE(SUCCEEDED(file.Load()));
    return ReadLevelFile(file, "hand.lvl", level, error);
}

TEST(LevelFile, SkipsExactlyTheLightBytesItsCountGives)
{
    for (int32_t lightCount : {0, 1, 3}) {
        LevelDescription level;
        std::string error;
        ASSERT_TRUE(Read(HandMadeLevel(lightCount, 1), level, error)) << lightCount << ": " << error;
        ASSERT_EQ(level.objects.size(), 1u) << lightCount;
        const LevelObjectRecord& record = level.objects[0];
        EXPECT_EQ(record.name, "ab");
        EXPECT_EQ(record.position, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
        EXPECT_EQ(record.rotation, D3DXQUATERNION(4.0f, 5.0f, 6.0f, 7.0f));
        EXPECT_EQ(record.scale, D3DXVECTOR3(8.0f, 9.0f, 10.0f));
        EXPECT_TRUE(level.splines.empty());
    }
}

TEST(LevelFile, TheWriterLaysOutTheBytesTheFormatGives)
{
    LevelFileContent content;
    content.header[0] = 3000.0f;
    content.header[1] = 3000.0f;
    content.lightCount = 3;
    content.objects.push_back(LevelObjectRecord("ab", D3DXVECTOR3(1, 2, 3), D3DXQUATERNION(4, 5, 6, 7),
                                                D3DXVECTOR3(8, 9, 10)));
    LevelFileWriter writer;
    writer.Level(content);
    const std::string expected = HandMadeLevel(3, 1);
    ASSERT_EQ(writer.bytes.size(), expected.size());
    const size_t lightBytes = 20;
    EXPECT_EQ(writer.bytes.substr(0, lightBytes), expected.substr(0, lightBytes));
    const size_t records = lightBytes + 4 + 48 + 2 * 28;
    EXPECT_EQ(writer.bytes.substr(records), expected.substr(records));
    EXPECT_EQ(writer.objectCountAt, records);
    EXPECT_EQ(writer.splineCountAt, expected.size() - 4);
}

// The last count that fits the bytes left and the first that does not.
TEST(LevelFile, RefusesCountsPastTheBytesLeft)
{
    struct Case {
        int32_t lightCount;
        int32_t objectCount;
        bool reads;
        const char* field;
    };
    // After the light count the file holds 4 + 48 + 4 + 6 + 40 + 4 bytes for
    // lightCount 1: 106 bytes, so light counts up to 106 pass the count test
    // and (106 - 52) / 28 + 1 = 2 lights fit.
    const Case cases[] = {
        {0, 1, true, ""},
        {0, 2, false, "object count"},
        {0, -1, false, "object count"},
        {-1, 1, false, "light count"},
        {2, 1, true, ""},
        {3, 1, false, "light records"},
    };
    for (const Case& c : cases) {
        std::string bytes = HandMadeLevel(c.lightCount > 0 ? 1 : 0, c.objectCount);
        std::memcpy(&bytes[16], &c.lightCount, sizeof(c.lightCount));
        if (c.lightCount == 2) bytes.insert(20 + 52, std::string(28, '\0'));
        LevelDescription level;
        std::string error;
        EXPECT_EQ(Read(bytes, level, error), c.reads) << c.lightCount << "," << c.objectCount;
        if (c.reads) continue;
        EXPECT_EQ(error.find("hand.lvl: "), 0u) << error;
        EXPECT_NE(error.find(c.field), std::string::npos) << error;
        EXPECT_TRUE(level.objects.empty());
    }
}

// A hand-made level of one object record whose float at index (of its ten:
// position, rotation, scale) is value. The floats start after the header,
// the two counts, the name's length and its two bytes.
bool ReadWithRecordFloat(int index, float value, LevelDescription& level, std::string& error)
{
    const size_t firstFloat = 16 + 4 + 4 + 4 + 2;
    std::string bytes = HandMadeLevel(0, 1);
    std::memcpy(&bytes[firstFloat + 4 * static_cast<size_t>(index)], &value, sizeof(value));
    return Read(bytes, level, error);
}

TEST(LevelFile, RefusesPositionsRotationsAndScalesThatAreNotFiniteNumbers)
{
    struct Case {
        int index;
        float value;
        const char* error;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {0, nan, "position"},          {2, infinity, "position"}, {3, -infinity, "rotation"},
        {6, nan, "rotation"},          {7, infinity, "scale"},    {9, nan, "scale"},
    };
    for (const Case& c : cases) {
        LevelDescription level;
        std::string error;
        EXPECT_EQ(ReadWithRecordFloat(c.index, c.value, level, error), c.error == nullptr) << c.index;
        if (!c.error) continue;
        EXPECT_EQ(error, "hand.lvl: object record 0 " + std::string(c.error) + " is not a finite number");
        EXPECT_TRUE(level.objects.empty());
    }
}

// Values up to 1e9 in size place an object with a finite world matrix; the
// next float beyond it, and the largest float, are refused.
TEST(LevelFile, RefusesPositionsRotationsAndScalesBeyondTheLargestPlacement)
{
    struct Case {
        int index;
        float value;
        const char* error;
    };
    const float largest = 1e9f;
    const float beyond = std::nextafter(largest, std::numeric_limits<float>::infinity());
    const float huge = std::numeric_limits<float>::max();
    const Case cases[] = {
        {0, -largest, nullptr},  {1, beyond, "position"}, {2, -huge, "position"}, {3, largest, nullptr},
        {5, -beyond, "rotation"}, {6, huge, "rotation"},   {7, -largest, nullptr}, {8, huge, "scale"},
        {9, beyond, "scale"},
    };
    for (const Case& c : cases) {
        LevelDescription level;
        std::string error;
        EXPECT_EQ(ReadWithRecordFloat(c.index, c.value, level, error), c.error == nullptr)
            << c.index << ": " << c.value;
        if (!c.error) continue;
        EXPECT_EQ(error, "hand.lvl: object record 0 " + std::string(c.error) + " is more than 1e+09 in size");
        EXPECT_TRUE(level.objects.empty());
    }
}

// A long spline read whole, then one that promises three segments and
// holds none: the refused file leaves no spline behind.
TEST(LevelFile, ARefusedFileDestroysTheSplinesItHadRead)
{
    LevelFileContent content;
    SplineShape route;
    route.segments.push_back(Straight(D3DXVECTOR3(-40, 25, 1), D3DXVECTOR3(1900, 310, 4)));
    content.splines.push_back(route);
    LevelFileWriter writer;
    writer.Level(content);
    writer.bytes[writer.splineCountAt] = 2;
    writer.Text("left");
    writer.Int(0);
    writer.Int(3);

    const int live = GetLiveObjectCount();
    LevelDescription level;
    std::string error;
    EXPECT_FALSE(Read(writer.bytes, level, error));
    EXPECT_EQ(error, "hand.lvl: spline 1 is damaged");
    EXPECT_TRUE(level.splines.empty());
    EXPECT_EQ(GetLiveObjectCount(), live);

    writer.Truncate(writer.bytes.size() - 16);
    writer.bytes[writer.splineCountAt] = 1;
    ASSERT_TRUE(Read(writer.bytes, level, error)) << error;
    ASSERT_EQ(level.splines.size(), 1u);
    EXPECT_GT(GetLiveObjectCount(), live);
    CPSpline* kept = level.splines[0].Get();
    level.splines.clear();
    delete kept;
}

// Lights that end exactly where the file ends are whole; it is the object
// count after them that is missing.
TEST(LevelFile, LightsMayFillTheRestOfTheFileExactly)
{
    const std::string bytes = Float(0.0f) + Float(0.0f) + Float(0.0f) + Float(0.0f) + Int(2) + std::string(52 + 28, '\0');
    LevelDescription level;
    std::string error;
    EXPECT_FALSE(Read(bytes, level, error));
    EXPECT_EQ(error, "hand.lvl: object count does not fit the file");
}

} // namespace
