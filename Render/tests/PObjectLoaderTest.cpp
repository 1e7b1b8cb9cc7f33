#include "Render/PObjectLoader.h"

#include "Render/PPartAnimation.h"
#include "Render/tests/AnimationFixtures.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kTrackPath[] = "Data\\Animations\\tracks.anm";

// The loader makes the tracks; the test, as their owner, destroys them.
class TrackFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Animations", nullptr);
    }
    void TearDown() override
    {
        DestroyTracks();
        DeleteFileA(kTrackPath);
    }

    void Load() { loader.LoadAnimationFile("tracks.anm", tracks); }

    void DestroyTracks()
    {
        std::vector<CPPartAnimation*> made;
        for (auto& named : tracks) made.push_back(named.second.Get());
        tracks.clear();
        for (CPPartAnimation* track : made) delete track;
    }

    // The names in the map, sorted.
    std::vector<std::string> TrackNames() const
    {
        std::vector<std::string> names;
        for (const auto& named : tracks) names.push_back(named.first);
        std::sort(names.begin(), names.end());
        return names;
    }

    CPObjectLoader loader;
    PartAnimationMap tracks;
};

TEST_F(TrackFileTest, ReadsTimesAndMatrixColumnsOfEveryKey)
{
    // One track "Arm" of two keys. Key 0, time 0.5, elements 1, 0, 0, 5,
    // 0, 1, 0, 6, 0, 0, 1, 7: the translation by (5, 6, 7). Key 1, time 2,
    // elements 0, 0, 1, 5, 1, 0, 0, 6, 0, 1, 0, 7: output x is input z + 5,
    // y is x + 6 and z is y + 7, a turn about (1, 1, 1) that carries x onto y.
    const auto word = [](const char* bytes) { return std::string(bytes, 4); };
    const std::string one = word("\x00\x00\x80\x3F"), zero = word("\x00\x00\x00\x00");
    const std::string five = word("\x00\x00\xA0\x40"), six = word("\x00\x00\xC0\x40");
    const std::string seven = word("\x00\x00\xE0\x40");
    std::string bytes = word("\x01\x00\x00\x00") + word("\x03\x00\x00\x00") + "Arm" +
                        word("\x02\x00\x00\x00") + word("\x00\x00\x00\x3F");
    bytes += one + zero + zero + five + zero + one + zero + six + zero + zero + one + seven;
    bytes += word("\x00\x00\x00\x40");
    bytes += zero + zero + one + five + one + zero + zero + six + zero + one + zero + seven;
    std::ofstream(kTrackPath, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    Load();
    ASSERT_EQ(TrackNames(), std::vector<std::string>{"arm"});
    const CPPartAnimation& arm = *tracks["arm"];
    EXPECT_EQ(arm.GetKeyTimes(), (std::vector<float>{0.5f, 2.0f}));
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, 5.0f, 6.0f, 7.0f);
    const D3DXMATRIX turn(0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 5, 6, 7, 1);
    ASSERT_EQ(arm.GetKeyMatrices().size(), 2u);
    EXPECT_EQ(arm.GetKeyMatrices()[0], translation);
    EXPECT_EQ(arm.GetKeyMatrices()[1], turn);
    D3DXVECTOR3 moved;
    const D3DXVECTOR3 unitX(1.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&moved, &unitX, &arm.GetKeyMatrices()[1]);
    EXPECT_EQ(moved, D3DXVECTOR3(5.0f, 7.0f, 7.0f));
}

TEST_F(TrackFileTest, LaterTrackOfTheSameNameInAnyCaseReplacesTheEarlier)
{
    FixtureWriter file;
    WriteTrackFile(file, {{"Wheel", {TranslationKey(1.0f, 0, 0, 0)}}, {"empty", {}}, {"WHEEL", {TranslationKey(2.0f, 0, 0, 0)}}});
    file.Save(kTrackPath);
    Load();
    EXPECT_EQ(TrackNames(), (std::vector<std::string>{"empty", "wheel"}));
    EXPECT_EQ(tracks["wheel"]->GetKeyTimes(), std::vector<float>{2.0f});
    EXPECT_TRUE(tracks["empty"]->GetKeyTimes().empty());
    EXPECT_TRUE(tracks["empty"]->GetKeyMatrices().empty());
}

TEST_F(TrackFileTest, FileThatDoesNotOpenOrHoldsNoTracksAddsNothing)
{
    tracks["kept"] = new CPPartAnimation();
    loader.LoadAnimationFile("missing.anm", tracks);
    for (int32_t count : {0, -3}) {
        FixtureWriter file;
        file.Int(count, "track count");
        file.Save(kTrackPath);
        Load();
    }
    EXPECT_EQ(TrackNames(), std::vector<std::string>{"kept"});
}

// Three tracks of three keys: "a", "b" and "c".
FixtureWriter ThreeTracks()
{
    const std::vector<TrackKey> keys = {TranslationKey(1, 1, 2, 3), TranslationKey(1, 4, 5, 6),
                                        TranslationKey(1, 7, 8, 9)};
    FixtureWriter file;
    WriteTrackFile(file, {{"a", keys}, {"b", keys}, {"c", keys}});
    return file;
}

TEST_F(TrackFileTest, FileCutShortKeepsTheTracksBeforeTheCut)
{
    const FixtureWriter file = ThreeTracks();
    const size_t endOfA = file.FindField("track name length", 1);
    const size_t endOfB = file.FindField("track name length", 2);
    for (const FixtureWriter::Field& field : file.GetFields()) {
        for (size_t cut : {field.offset, field.offset + 1}) {
            file.SaveFirst(kTrackPath, cut);
            Load();
            std::vector<std::string> expected;
            if (cut >= endOfA) expected.push_back("a");
            if (cut >= endOfB) expected.push_back("b");
            EXPECT_EQ(TrackNames(), expected) << "cut at " << cut << " in " << field.label;
            DestroyTracks();
        }
    }
}

struct DamageCase {
    const char* field;
    int occurrence;
    int32_t value;
    std::vector<std::string> kept;
};

TEST_F(TrackFileTest, CountThatDoesNotFitTheFileEndsTheReadCleanly)
{
    const DamageCase cases[] = {
        {"track count", 0, 4, {"a", "b", "c"}},
        {"track count", 0, 0x7FFFFFFF, {"a", "b", "c"}},
        {"track count", 0, -1, {}},
        {"key count", 1, -1, {"a"}},
        {"key count", 2, 4, {"a", "b"}},
        {"key count", 2, 0x7FFFFFFF, {"a", "b"}},
        {"track name length", 1, -5, {"a"}},
        {"track name length", 2, 1000, {"a", "b"}},  // a name past the end
    };
    for (const DamageCase& row : cases) {
        FixtureWriter file = ThreeTracks();
        file.PatchInt(file.FindField(row.field, row.occurrence), row.value);
        file.Save(kTrackPath);
        Load();
        EXPECT_EQ(TrackNames(), row.kept) << row.field << " " << row.occurrence << " = " << row.value;
        DestroyTracks();
    }
}

} // namespace
