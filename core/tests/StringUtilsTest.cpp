#include "core/StringUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(StringUtils, TrimRemovesOnlyOuterWhiteSpace)
{
    std::string blank = " \t\r\n ";
    EXPECT_EQ(TrimString(blank), "");
    std::string padded = "\t a b \r\n";
    EXPECT_EQ(TrimString(padded), "a b");
    std::string formFeed = "\fa\v";
    EXPECT_EQ(TrimString(formFeed), "\fa\v");
}

TEST(StringUtils, NumberShapeTestsCheckCharactersOnly)
{
    struct Row {
        const char* text;
        bool number;
        bool integer;
    };
    const Row rows[] = {
        {"", true, true},     {"12", true, true},    {"-3", true, true},  {"1.5", true, false},
        {"1-2", true, true},  {"1.2.3", true, false}, {"+1", false, false}, {"1e5", false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsNumberString(row.text), row.number) << row.text;
        EXPECT_EQ(IsIntegerString(row.text), row.integer) << row.text;
    }
}

TEST(StringUtils, FileNamesStayInsideTheirFolder)
{
    struct Row {
        std::string name;
        bool insideFolder;
        bool plainFile;
    };
    const Row rows[] = {
        {"jeep.rdf", true, true},
        {"cars\\jeep", true, false},
        {"cars/jeep.rdf", true, false},
        {"a.b.c", true, true},
        {"", true, false},
        {std::string(255, 'a'), true, true},
        {std::string(256, 'a'), true, false},
        {"..", false, false},
        {"..\\..\\..\\somewhere\\name", false, false},
        {"cars\\..\\..\\x", false, false},
        {"cars/..", false, false},
        {"a..b", false, false},
        {"C:x", false, false},
        {"c:\\windows\\x", false, false},
        {"x.wav:stream", false, false},
        {"\\x.rdf", false, false},
        {"/x.rdf", false, false},
        {"\\\\server\\share\\x", false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsNameInsideFolder(row.name), row.insideFolder) << row.name;
        EXPECT_EQ(IsPlainFileName(row.name), row.plainFile) << row.name;
    }
}

// Windows opens a device for these names in every folder, whatever follows
// the first dot.
TEST(StringUtils, DeviceNamesInAnyPartCaseOrExtensionAreOutsideEveryFolder)
{
    const char* const devices[] = {
        "con",          "NUL",         "Aux",           "prn.txt",    "com1",         "COM9.dat",
        "lpt1",         "lpt9",        "conin$",        "CONOUT$",    "clock$.x",     "nul.tar.gz",
        "cars\\con",    "com1\\x.rdf", "a/b/LpT5.wav",  "con .txt",   "aux.",         "x\\prn\\y\\z.lvl",
        // Superscript one, two and three in code page 1252 count as digits.
        "com\xB9",     "LPT\xB2.txt",  "cars\\Com\xB3", "lpt\xB9",
    };
    for (const char* name : devices) {
        EXPECT_FALSE(IsNameInsideFolder(name)) << name;
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
    const char* const nearMisses[] = {
        "con2", "com0", "lpt0", "com10", "console", "nullx", "xcon", "auxiliary.rdf", "prn_", "clock",
        "conin", "a.con", "cars\\icon.tga", "com", "lpt", "com\xB4", "lpt\xB0", "com\xBC", "com\xB9\xB2",
    };
    for (const char* name : nearMisses) {
        EXPECT_TRUE(IsNameInsideFolder(name)) << name;
        EXPECT_EQ(IsPlainFileName(name), std::string(name).find('\\') == std::string::npos) << name;
    }
}

// A name is opened only up to its first NUL, so a device before a NUL is
// the device, whatever follows; a plain name before a NUL stays a name.
TEST(StringUtils, ADeviceNameEndedByANulIsOutsideEveryFolder)
{
    const std::string devices[] = {
        std::string("nul\0.wav", 8),
        std::string("cars\\COM4\0x\\jeep.rdf", 20),
        std::string("con \0", 5),
    };
    for (const std::string& name : devices) {
        EXPECT_FALSE(IsNameInsideFolder(name)) << name.c_str();
        EXPECT_FALSE(IsPlainFileName(name)) << name.c_str();
    }
    EXPECT_TRUE(IsNameInsideFolder(std::string("null\0.wav", 9)));
    EXPECT_TRUE(IsNameInsideFolder(std::string("cars\\com4x\0\\jeep.rdf", 20)));
    EXPECT_TRUE(IsNameInsideFolder(std::string("com\0", 4)));
}

TEST(StringUtils, CaseConversionLeavesBytesAbove127Alone)
{
    std::string text = "Data\\Mixed\xE9.TGA";
    EXPECT_EQ(StringToLower(text), "data\\mixed\xE9.tga");
    EXPECT_EQ(StringToUpper(text), "DATA\\MIXED\xE9.TGA");
}

TEST(StringUtils, RayPlaneIntersection)
{
    const float plane[4] = {0, 0, 1, 0};
    const float origin[3] = {0, 0, 5};
    const float down[3] = {0, 0, -1};
    const float up[3] = {0, 0, 1};
    const float sideways[3] = {1, 0, 0};
    const float below[3] = {0, 0, -5};
    EXPECT_FLOAT_EQ(IntersectRayPlane(origin, down, plane), 5.0f);
    EXPECT_FLOAT_EQ(IntersectRayPlane(origin, up, plane), -1.0f);
    EXPECT_FLOAT_EQ(IntersectRayPlane(origin, sideways, plane), -1.0f);
    EXPECT_FLOAT_EQ(IntersectRayPlane(below, down, plane), -5.0f);
}

TEST(StringUtils, PointInTriangleInEachProjection)
{
    const float a[3] = {0, 0, 0};
    const float b[3] = {1, 0, 0};
    const float c[3] = {0, 1, 0};
    const float inside[3] = {0.25f, 0.25f, 0};
    const float outside[3] = {1, 1, 0};
    EXPECT_TRUE(PointInTriangle(inside, a, b, c));
    EXPECT_FALSE(PointInTriangle(outside, a, b, c));

    const float wallA[3] = {0, 0, 0};
    const float wallB[3] = {0, 2, 0};
    const float wallC[3] = {0, 0, 2};
    const float onWall[3] = {0, 0.5f, 0.5f};
    const float offWall[3] = {0, 1.5f, 1.5f};
    EXPECT_TRUE(PointInTriangle(onWall, wallA, wallB, wallC));
    EXPECT_FALSE(PointInTriangle(offWall, wallA, wallB, wallC));

    const float onTheLongEdge[3] = {0.5f, 0.5f, 0};
    const float nowhere[3] = {std::numeric_limits<float>::quiet_NaN(), 0.25f, 0};
    EXPECT_TRUE(PointInTriangle(onTheLongEdge, a, b, c));
    EXPECT_FALSE(PointInTriangle(nowhere, a, b, c));
}

TEST(StringUtils, ClampedArcFunctions)
{
    const float pi = 3.14159265f;
    EXPECT_FLOAT_EQ(ClampedAcos(1.0000001f), 0.0f);
    EXPECT_FLOAT_EQ(ClampedAcos(-2.0f), pi);
    EXPECT_FLOAT_EQ(ClampedAcos(std::numeric_limits<float>::quiet_NaN()), pi);
    EXPECT_FLOAT_EQ(ClampedAsin(std::numeric_limits<float>::quiet_NaN()), -pi / 2);
    EXPECT_FLOAT_EQ(ClampedAsin(3.0f), pi / 2);
}

} // namespace
