#include "DynamicSky/CloudGroupFile.h"
#include "DynamicSky/CloudSetFile.h"
#include "DynamicSky/PDynamicSky.h"
#include "DynamicSky/SkySequenceFile.h"
#include "DynamicSky/tests/SkyTestSupport.h"

#include <functional>
#include <sstream>

namespace {

using SkyFileTest = SkyTest;

const char* const kHandWrittenSky = "speed 3.5\n"
                                    "start 7\n"
                                    "radius 50\n"
                                    "height 0.5\n"
                                    "segments 4\n"
                                    "centre 1 2 3\n"
                                    "texture \"dome texture.tga\"\n"
                                    "effect dome.fx\n"
                                    "keys 2\n"
                                    "// a comment line and a blank line are skipped\n"
                                    "\n"
                                    "states 1\n"
                                    "quads 1\n"
                                    "effect1 a.fx\n"
                                    "effect2 b.fx\n"
                                    "groups 1\n"
                                    "phases seq.txt\n"
                                    "duration 12\n"
                                    "alpha 200\n"
                                    "turn 90\n"
                                    "grey 2\n"
                                    "key 10 20 30\n"
                                    "key 40 50 60\n"
                                    "sun 100 110 120\n"
                                    "ambient 1 2 3\n"
                                    "spare1 4 5 6\n"
                                    "spare2 7 8 9\n"
                                    "fog 11 12 13\n"
                                    "fog1 14\n"
                                    "fog2 15\n"
                                    "third 16x\n"
                                    "brighten 1\n"
                                    "quad_angle 180\n"
                                    "quad_effect 1\n"
                                    "quad_scale 2.5\n"
                                    "quad_step 1\n"
                                    "axis 0 0 3\n"
                                    "size 4\n"
                                    "distance 90\n"
                                    "angle 45\n"
                                    "textures 2\n"
                                    "texture sun1.tga\n"
                                    "texture sun2.tga\n"
                                    "group clouds1.txt";

TEST_F(SkyFileTest, ReadsASkyscapeAsWrittenByHand)
{
    WriteFile(SkyFilePath("hand.txt"), kHandWrittenSky);
    SkyscapeDescription sky;
    ASSERT_TRUE(ReadSkyscapeFile(SkyFilePath("hand.txt"), sky));
    EXPECT_EQ(sky.skySpeed, 3.5f);
    EXPECT_EQ(sky.startState, 7);
    EXPECT_EQ(sky.centre, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(sky.domeTexture, "dome texture.tga");
    EXPECT_EQ(sky.secondQuadEffect, "b.fx");
    EXPECT_EQ(sky.phaseList, "seq.txt");
    ASSERT_EQ(sky.states.size(), 1u);
    const SkyscapeDescription::State& state = sky.states[0];
    EXPECT_EQ(state.keys,
              (std::vector<D3DXVECTOR3>{D3DXVECTOR3(10, 20, 30), D3DXVECTOR3(40, 50, 60)}));
    EXPECT_EQ(state.fog, D3DXVECTOR3(11, 12, 13));
    EXPECT_EQ(state.thirdValue, 16.0f) << "the leading number of a token counts";
    EXPECT_EQ(state.quads[0].scale, 2.5f);
    EXPECT_EQ(state.quads[0].textureStep, 1);
    ASSERT_EQ(sky.quads.size(), 1u);
    EXPECT_EQ(sky.quads[0].textures, (std::vector<std::string>{"sun1.tga", "sun2.tga"}));
    EXPECT_EQ(sky.cloudGroups, (std::vector<std::string>{"clouds1.txt"}));
    EXPECT_TRUE(reports.empty());
}

TEST_F(SkyFileTest, TheSkyConvertsDegreesGreyAndBrightness)
{
    WriteFile(SkyFilePath("hand.txt"), kHandWrittenSky);
    CPDynamicSky sky;
    sky.Load("hand.txt");
    ASSERT_TRUE(sky.IsLoaded());
    EXPECT_EQ(sky.GetStateIndex(), 0) << "a start state beyond the states starts at the first";
    EXPECT_EQ(sky.GetSkySpeed(), 3.5f);
    EXPECT_EQ(sky.GetRingsPerInterval(), 1);
    const SkyState& state = sky.GetStates()[0];
    EXPECT_EQ(state.turnAngle, 90.0f * 0.017453292f);
    EXPECT_EQ(state.quadStateAngles[0], 180.0f * 0.017453292f);
    EXPECT_EQ(state.greyComponent, 1);
    EXPECT_EQ(state.sun, D3DXVECTOR3(200, 220, 240)) << "doubled, beyond 255";
    EXPECT_EQ(state.ambient, D3DXVECTOR3(2, 4, 6));
    EXPECT_EQ(state.fog, D3DXVECTOR3(11, 12, 13)) << "only sun and ambient are doubled";
    ASSERT_EQ(sky.GetQuads().size(), 1u);
    EXPECT_EQ(sky.GetQuads()[0]->GetDirection(), D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(sky.GetSourceVertices().size(), 10u);
}

TEST_F(SkyFileTest, EveryFormatReadsBackWhatItsWriterWrote)
{
    SkyscapeDescription sky = ExampleSky(16, 3, 2, 2);
    sky.quads[1].textures = {"one.tga", "two words.tga"};
    sky.cloudGroups = {"g1.txt", "g2.txt"};
    sky.heightScale = 1.0f / 3.0f;
    WriteSky("sky.txt", sky);
    SkyscapeDescription skyRead;
    ASSERT_TRUE(ReadSkyscapeFile(SkyFilePath("sky.txt"), skyRead));
    WriteSky("again.txt", skyRead);
    EXPECT_EQ(ReadFile(SkyFilePath("again.txt")), ReadFile(SkyFilePath("sky.txt")));
    EXPECT_EQ(skyRead.heightScale, 1.0f / 3.0f);
    EXPECT_EQ(skyRead.quads[1].textures[1], "two words.tga");

    CloudSetDescription set;
    set.anchors = {D3DXVECTOR3(0.1f, 0.2f, 0.3f)};
    set.clouds = {CloudSetDescription::Cloud{D3DXVECTOR3(1, 2, 3), 4, 5, 6.5f, 0, 7, 8}};
    set.shading[2] = 1.0f / 7.0f;
    ASSERT_EQ(WriteCloudSetFile(SkyFilePath("set.txt"), set), S_OK);
    WriteFile(SkyFilePath("set.txt"), ReadFile(SkyFilePath("set.txt")));
    CloudSetDescription setRead;
    ASSERT_TRUE(ReadCloudSetFile(SkyFilePath("set.txt"), setRead));
    EXPECT_EQ(setRead.anchors, set.anchors);
    EXPECT_EQ(setRead.clouds[0].size2, 8.0f);
    EXPECT_EQ(setRead.clouds[0].second, 5);
    EXPECT_EQ(setRead.shading[2], 1.0f / 7.0f);

    CloudGroupDescription group;
    group.count = -2;
    group.sets = {{"set.txt", D3DXVECTOR3(1, 2, 3), 0.5f, 0.25f, 3.0f}};
    ASSERT_EQ(WriteCloudGroupFile(SkyFilePath("group.txt"), group), S_OK);
    WriteFile(SkyFilePath("group.txt"), ReadFile(SkyFilePath("group.txt")));
    CloudGroupDescription groupRead;
    ASSERT_TRUE(ReadCloudGroupFile(SkyFilePath("group.txt"), groupRead));
    EXPECT_EQ(groupRead.count, -2);
    EXPECT_EQ(groupRead.sets[0].file, "set.txt");
    EXPECT_EQ(groupRead.sets[0].angle, 0.25f);

    SkySequenceEntry entry;
    entry.cloudGroup = "group.txt";
    entry.value9 = 1;
    entry.probability = 0.3f;
    entry.value10 = -4;
    ASSERT_EQ(WriteSkySequenceFile(SkyFilePath("seq.txt"), {entry, entry}), S_OK);
    WriteFile(SkyFilePath("seq.txt"), ReadFile(SkyFilePath("seq.txt")));
    std::vector<SkySequenceEntry> entries;
    ASSERT_TRUE(ReadSkySequenceFile(SkyFilePath("seq.txt"), entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].probability, 0.3f);
    EXPECT_EQ(entries[1].value10, -4);
    EXPECT_EQ(entries[1].cloudGroup, "group.txt");
    EXPECT_TRUE(reports.empty());
}

// Lines of a file, and the file again from edited lines.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) lines.push_back(line);
    return lines;
}

std::string Text(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

using Edit = std::function<void(std::vector<std::string>&)>;

Edit KeepLines(size_t count)
{
    return [count](std::vector<std::string>& lines) { lines.resize(count); };
}

// Line number (from 1) becomes the given text.
Edit SetLine(size_t number, const std::string& text)
{
    return [number, text](std::vector<std::string>& lines) { lines[number - 1] = text; };
}

enum class Format { Skyscape, CloudSet, CloudGroup, Sequence };

struct CorruptFile {
    const char* name;
    Format format;
    Edit edit;
    int reportedLine; // 0: refused at no particular line
};

// Writer output for every format: a sky of 8 segments, 2 keys, 2 states
// (19 lines each) and one quad, one cloud group; a set of one anchor and
// one cloud; a group of one set; a sequence of one entry.
std::string WriterOutput(Format format)
{
    const std::string path = SkyFilePath("source.txt");
    if (format == Format::Skyscape) {
        SkyscapeDescription sky = ExampleSky(8, 2, 2, 1);
        sky.quads[0].textures = {"sun.tga"};
        sky.cloudGroups = {"g.txt"};
        WriteSkyscapeFile(path, sky);
    } else if (format == Format::CloudSet) {
        CloudSetDescription set;
        set.anchors = {D3DXVECTOR3(0, 0, 0)};
        set.clouds = {CloudSetDescription::Cloud{D3DXVECTOR3(1, 2, 3), 4, 5, 6, 0, 7, 8}};
        WriteCloudSetFile(path, set);
    } else if (format == Format::CloudGroup) {
        CloudGroupDescription group;
        group.sets = {{"set.txt", D3DXVECTOR3(1, 2, 3), 1.0f, 0.0f, 0.0f}};
        WriteCloudGroupFile(path, group);
    } else {
        WriteSkySequenceFile(path, {SkySequenceEntry()});
    }
    std::string text = ReadFile(path);
    std::remove(path.c_str());
    return text;
}

bool ReadFormat(Format format, const std::string& path)
{
    SkyscapeDescription sky;
    CloudSetDescription set;
    CloudGroupDescription group;
    std::vector<SkySequenceEntry> entries;
    switch (format) {
    case Format::Skyscape:
        return ReadSkyscapeFile(path, sky);
    case Format::CloudSet:
        return ReadCloudSetFile(path, set);
    case Format::CloudGroup:
        return ReadCloudGroupFile(path, group);
    default:
        return ReadSkySequenceFile(path, entries);
    }
}

class SkyFileCorrupt : public SkyTest, public testing::WithParamInterface<CorruptFile> {};

TEST_P(SkyFileCorrupt, IsRefusedWithOneReportNamingFileAndLine)
{
    const CorruptFile& corrupt = GetParam();
    std::vector<std::string> lines = Lines(WriterOutput(corrupt.format));
    ASSERT_TRUE(ReadFormat(corrupt.format, SkyFilePath("missing.txt")) == false);
    ASSERT_TRUE(reports.empty()) << "a missing file is not reported";
    corrupt.edit(lines);
    const std::string path = SkyFilePath("corrupt.txt");
    WriteFile(path, Text(lines));
    EXPECT_FALSE(ReadFormat(corrupt.format, path));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].find(path), 0u) << reports[0];
    if (corrupt.reportedLine) {
        EXPECT_NE(reports[0].find("(" + std::to_string(corrupt.reportedLine) + ")"),
                  std::string::npos)
            << reports[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SkyFileCorrupt,
    testing::Values(
        CorruptFile{"SkyCutInTheHeader", Format::Skyscape, KeepLines(5), 6},
        CorruptFile{"SkyCutInAState", Format::Skyscape, KeepLines(20), 0},
        CorruptFile{"SkyWithoutItsLastGroupLine", Format::Skyscape,
                    [](std::vector<std::string>& lines) { lines.pop_back(); }, 0},
        CorruptFile{"SkyCentreMissingAValue", Format::Skyscape, SetLine(6, "centre 1 2"), 6},
        CorruptFile{"SkyWithOneKey", Format::Skyscape, SetLine(9, "keys 1"), 9},
        CorruptFile{"SkyWithTooFewSegments", Format::Skyscape, SetLine(5, "segments 3"), 0},
        CorruptFile{"SkyWithTheLargestSegmentCount", Format::Skyscape,
                    SetLine(5, "segments 2147483647"), 0},
        CorruptFile{"SkyWithAHugeKeyCount", Format::Skyscape, SetLine(9, "keys 2000000000"), 9},
        CorruptFile{"SkyWithTooManyIndices", Format::Skyscape, SetLine(5, "segments 201"), 0},
        CorruptFile{"SkyWithTooManyVertices", Format::Skyscape, SetLine(5, "segments 1000"), 0},
        CorruptFile{"SkyWithoutStates", Format::Skyscape, SetLine(10, "states 0"), 15},
        CorruptFile{"SkyWithGreyZero", Format::Skyscape, SetLine(19, "grey 0"), 19},
        CorruptFile{"SkyWithGreyFour", Format::Skyscape, SetLine(19, "grey 4"), 19},
        CorruptFile{"SkyWithAStateTooMany", Format::Skyscape, SetLine(10, "states 3"), 0},
        CorruptFile{"SkyWithAHugeQuadCount", Format::Skyscape, SetLine(11, "quads 99999999"), 0},
        CorruptFile{"SkyWithATextureTooMany", Format::Skyscape, SetLine(58, "textures 3"), 58},
        CorruptFile{"SkyWithNegativeGroups", Format::Skyscape, SetLine(14, "groups -1"), 0},
        CorruptFile{"SetWithAnAnchorPastTheLast", Format::CloudSet, SetLine(7, "anchor 1"), 7},
        CorruptFile{"SetWithANegativeAnchor", Format::CloudSet, SetLine(7, "anchor -1"), 7},
        CorruptFile{"SetWithACloudTooMany", Format::CloudSet, SetLine(3, "clouds 2"), 3},
        CorruptFile{"SetCutInItsValues", Format::CloudSet, KeepLines(12), 3},
        CorruptFile{"GroupWithASetTooMany", Format::CloudGroup, SetLine(6, "sets 2"), 6},
        CorruptFile{"GroupCutInASet", Format::CloudGroup, KeepLines(8), 0},
        CorruptFile{"SequenceWithAnEntryTooMany", Format::Sequence, SetLine(1, "entries 2"), 1},
        CorruptFile{"SequenceCut", Format::Sequence, KeepLines(15), 1},
        CorruptFile{"SkyWithARadiusBeyondAFloat", Format::Skyscape, SetLine(3, "radius 1e39"), 3},
        CorruptFile{"SkyWithAKeyBelowAFloat", Format::Skyscape, SetLine(21, "key 1 -1e39 2"), 21},
        CorruptFile{"SetWithASizeBeyondAFloat", Format::CloudSet, SetLine(8, "size 1 1e39"), 8},
        CorruptFile{"SequenceWithAnInfiniteFadeTime", Format::Sequence, SetLine(2, "fade_time 1e400"), 2},
        // Every name a sky file gives is a file of the game's folders.
        CorruptFile{"SkyWithADomeTextureAboveItsFolder", Format::Skyscape,
                    SetLine(7, "texture ..\\..\\outside.tga"), 7},
        CorruptFile{"SkyWithADeviceAsDomeEffect", Format::Skyscape, SetLine(8, "effect Nul.fx"), 8},
        CorruptFile{"SkyWithAQuadEffectOnADrive", Format::Skyscape, SetLine(12, "quad_effect1 C:\\x.fx"), 12},
        CorruptFile{"SkyWithAPhaseListAboveItsFolder", Format::Skyscape, SetLine(15, "phases ..\\p.txt"), 15},
        CorruptFile{"SkyWithADeviceAsQuadTexture", Format::Skyscape, SetLine(59, "texture sky\\com1.tga"), 59},
        CorruptFile{"SkyWithACloudGroupFromTheRoot", Format::Skyscape,
                    [](std::vector<std::string>& lines) { lines.back() = "cloud_group \\g.txt"; }, 0},
        CorruptFile{"GroupWithASetAboveItsFolder", Format::CloudGroup, SetLine(7, "file ..\\set.txt"), 7},
        CorruptFile{"SequenceWithADeviceAsCloudGroup", Format::Sequence, SetLine(5, "cloud_group CON"), 5}),
    [](const testing::TestParamInfo<CorruptFile>& info) { return std::string(info.param.name); });

// The next phase is drawn with rand(), which reaches only 32768 of them.
TEST_F(SkyFileTest, ASequenceOfMoreThan32768PhasesIsRefusedWithItsCount)
{
    const std::string path = SkyFilePath("long.txt");
    for (int count : {32768, 32769}) {
        reports.clear();
        WriteFile(path, "entries " + std::to_string(count) + "\n");
        std::vector<SkySequenceEntry> entries;
        EXPECT_FALSE(ReadSkySequenceFile(path, entries));
        ASSERT_EQ(reports.size(), 1u);
        const bool tooMany = reports[0].find("(1): 32769 phases, more than 32768") != std::string::npos;
        EXPECT_EQ(tooMany, count == 32769) << reports[0];
        EXPECT_EQ(reports[0].find(path), 0u) << reports[0];
    }
}

TEST_F(SkyFileTest, TheLargestDomeTheBuffersHoldIsRead)
{
    SkyscapeDescription sky = ExampleSky(200, 2, 1, 0);
    WriteSky("sky.txt", sky);
    SkyscapeDescription read;
    EXPECT_TRUE(ReadSkyscapeFile(SkyFilePath("sky.txt"), read));
    EXPECT_EQ(DomeIndexCount(200), 60000u);
}

TEST_F(SkyFileTest, ASkyFromAMalformedFileIsEmptyAndDoesNothing)
{
    WriteFile(SkyFilePath("bad.txt"), "speed 1\nstart 0\n");
    WriteEffect("data/effects/skyscape_light.fx", "light", 1);
    CPDynamicSky sky;
    sky.Load("bad.txt");
    EXPECT_FALSE(sky.IsLoaded());
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_TRUE(sky.GetSourceVertices().empty());
    EXPECT_TRUE(sky.GetStates().empty());
    EXPECT_NE(sky.GetSecondEffect(), nullptr) << "the light effect is loaded in every case";
    device.ForgetCalls();
    sky.Update(0.5f);
    EXPECT_TRUE(device.CallTexts().empty());
}

} // namespace
