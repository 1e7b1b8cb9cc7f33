#include "script/tests/ScriptTest.h"

#include "Render/PCamera.h"
#include "Render/PRender.h"
#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "Sound/tests/RecordingDirectSound.h"
#include "Sound/tests/WaveFixtures.h"
#include "core/FrameClock.h"
#include "core/PDataFile.h"
#include "core/Settings.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "interface/PInterface.h"
#include "interface/PWindow.h"
#include "physics/PCar.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

class RaceState : public ScriptTest {
protected:
    RaceState() { g_pGameData = &data; }
    ~RaceState() override { g_pGameData = nullptr; }

    CPGameData data;
};

TEST_F(RaceState, ProfileCountersAreSetAndReadAsWholeNumbersWhereTheyAreCounts)
{
    EXPECT_EQ(Results("SetNumRacesPassed(4.7) SetPlayerMana(7.9) SetPoints(-3.5) SetRoundTime(42.25)"
                      " SetLevelStarted(0) SetMaxAbilityCount(6.6) SetCurrentMission(9)\n"
                      "return GetNumRacesPassed(), GetPlayerMana(), GetPoints(), GetRoundTime(), IsLevelStarted(),"
                      " GetCurrentMission()"),
              (std::vector<std::string>{"4", "7", "-3", "42.25", "true", "9"}));
    EXPECT_EQ(data.abilityLimit, 6);
    Results("SetCurrentRace(11) SetLevelStarted(false)");
    EXPECT_EQ(data.currentRace, 11);
    EXPECT_FALSE(data.levelStarted);
    Results("SetPlayerType(true)");
    EXPECT_EQ(data.playerType, 10);
    Results("SetPlayerType(nil)");
    EXPECT_EQ(data.playerType, 9);
}

TEST_F(RaceState, LevelStateNeedsALevel)
{
    data.raceClock = 33.0f;
    EXPECT_EQ(Results("SetUpdateTime(true) SetReversed(true) ClearLevelTimers()\n"
                      "return select('#', IsRaceStarted()), GetCheckpointTime()"),
              (std::vector<std::string>{"0", "0", "0", "0"}));
    EXPECT_EQ(data.raceClock, 33.0f);
    CPLevel level;
    level.checkpointTimer = 125.25f;
    EXPECT_EQ(Results("SetUpdateTime(true) SetReversed(1) ClearLevelTimers() return IsRaceStarted(), GetCheckpointTime()"),
              (std::vector<std::string>{"true", "2", "5", "25"}));
    EXPECT_TRUE(level.reversed);
    EXPECT_EQ(data.raceClock, 0.0f);
}

TEST_F(RaceState, ClocksAndSettingsAreTheHostsAndClearGameDataStartsTheRoundsAgain)
{
    FullTime = 1234.5;
    g_weather = 0;
    EXPECT_EQ(Results("return GetFullTime(), IsWeather()"), (std::vector<std::string>{"1234.5", "false"}));
    g_weather = 1;
    EXPECT_EQ(Results("return IsWeather()"), (std::vector<std::string>{"true"}));
    data.roundsRecorded = 4;
    Results("ClearGameData()");
    EXPECT_EQ(data.roundsRecorded, 1);
}

// Each record as "name=time", the count first.
const char* const kShowRecords =
    "local function show(records)\n"
    "  local lines = {}\n"
    "  for i, entry in ipairs(records) do lines[i] = entry[1] .. '=' .. entry[2] end\n"
    "  return table.getn(records) .. ':' .. table.concat(lines, '|')\n"
    "end\n";

TEST_F(RaceState, RecordsAreNamesAndTimesAndRacesOutsideTheTablesHaveNone)
{
    data.scoreTables = {{ScoreEntry("Ann", 1, 2, 3), ScoreEntry("", 4, 5, 6), ScoreEntry("Bo", 12, 5, 9)},
                        {},
                        {ScoreEntry("Cy", 0, 7, 8)}};
    EXPECT_EQ(Results(std::string(kShowRecords) +
                      "return show(GetRecords(1)), show(GetRecords(2)), show(GetRecords(3)), show(GetRecords(4)),"
                      " show(GetRecords(0)), show(GetRecords(-1))"),
              (std::vector<std::string>{"3:Ann=01:02:03|=|Bo=12:05:09", "0:", "1:Cy=00:07:08", "0:", "0:", "0:"}));
}

TEST_F(RaceState, CheckPlayerRecordsEntersTheBestOfTheFinishedRoundsOfTheRace)
{
    data.profileName = "Cleo";
    // Three rounds finished; the fourth, running, is quicker so far.
    data.roundTimes = {65.5f, 62.5f, 62.25f, 10.0f};
    data.roundsRecorded = 4;
    struct Case {
        int rounds;
        int seconds;
        int hundredths;
    };
    // Two rounds leave the third out; 25 read only the three there are.
    for (const Case& c : {Case{2, 2, 50}, Case{25, 2, 25}, Case{1, 5, 50}}) {
        data.scoreTables.clear();
        data.roundCount = c.rounds;
        EXPECT_EQ(Results("return CheckPlayerRecords(4)"), (std::vector<std::string>{"true"})) << c.rounds;
        ASSERT_EQ(data.scoreTables.size(), 4u);
        ASSERT_EQ(data.scoreTables[3].size(), 1u);
        const ScoreEntry& entry = data.scoreTables[3][0];
        EXPECT_EQ(entry.name, "Cleo");
        EXPECT_EQ(entry.minutes, 1) << c.rounds;
        EXPECT_EQ(entry.seconds, c.seconds) << c.rounds;
        EXPECT_EQ(entry.hundredths, c.hundredths) << c.rounds;
    }
    EXPECT_EQ(Results("return CheckPlayerRecords(101)"), (std::vector<std::string>{"false"}));

    // A round never driven, or only begun, is no best round: without a
    // finished one nothing is entered.
    data.roundCount = 2;
    data.scoreTables.clear();
    data.roundTimes = {0.0f, 61.0f, 0.0f};
    data.roundsRecorded = 3;
    EXPECT_EQ(Results("return CheckPlayerRecords(1)"), (std::vector<std::string>{"true"}));
    ASSERT_EQ(data.scoreTables.size(), 1u);
    EXPECT_EQ(data.scoreTables[0][0].seconds, 1) << "the round not driven is passed over";
    data.roundTimes = {12.5f, 0.0f};
    data.roundsRecorded = 1;
    EXPECT_EQ(Results("return CheckPlayerRecords(1)"), (std::vector<std::string>{"false"})) << "lost in its first lap";
    EXPECT_EQ(data.scoreTables[0].size(), 1u);
    g_pGameData = nullptr;
    EXPECT_EQ(Results("return CheckPlayerRecords(1), show ~= nil"), (std::vector<std::string>{"false", "false"}));
}

std::string Int32(int32_t value)
{
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xFF);
    return bytes;
}

TEST_F(RaceState, SaveScoreWritesTheRecordsOfEveryTableThatHasAny)
{
    CreateDirectoryA("Data", nullptr);
    DeleteFileA("Data\\scores.dat");
    data.scoreTables = {{ScoreEntry("Ann", 1, 2, 3)}, {}, {ScoreEntry("Bo", 12, 5, 9), ScoreEntry("", 0, 59, 99)}};
    Results("SaveScore()");
    CPDataFile file("Data\\scores.dat", true);
    ASSERT_TRUE(SUCCEEDED(file.Load()));
    const std::string expected = Int32(0) + Int32(3) + "Ann" + Int32(1) + Int32(2) + Int32(3) +
                                 Int32(2) + Int32(2) + "Bo" + Int32(12) + Int32(5) + Int32(9) +
                                 Int32(2) + Int32(0) + Int32(0) + Int32(59) + Int32(99);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.GetData()), file.GetDataSize()), expected);
}

TEST_F(RaceState, SetWindowSizeResizesTheNamedWindowOnly)
{
    CPInterface screen;
    CPWindow window(nullptr);
    window.Set("bar", 256.0f, 128.0f, 100.5f, 50.5f, 64.0f, 32.0f, 0.0f, 0.0f, 64.0f, 32.0f);
    screen.GetElements()["bar"] = &window;
    SetGlobalHandle("screen", &screen);
    Results("SetWindowSize(screen, 'frame', 10, 10) SetWindowSize(nil, 'bar', 10, 10)");
    EXPECT_TRUE(window.HitTest(163.9f, 81.9f));
    Results("SetWindowSize(screen, 'bar', 120, 30)");
    EXPECT_TRUE(window.HitTest(219.9f, 79.9f));
    EXPECT_FALSE(window.HitTest(220.1f, 60.0f));
    EXPECT_FALSE(window.HitTest(150.0f, 80.1f));
    screen.GetElements().clear();
}

// The followed car's car, described with a different value for every key
// the tuning keys reach, and the renderer that holds the tuning index.
class Tuning : public RaceState {
protected:
    Tuning() : m_previousRender(g_pRender)
    {
        g_pRender = &render;
        owner.GetDescriptionDocument().Parse(
            "<car><physics><geometry><wheels count=\"4\" x=\"0.11\" y=\"0.22\" length=\"0.33\" radius=\"0.44\""
            " front_min_radius=\"0.55\" back_min_radius=\"0.66\"/></geometry>"
            "<params><wheels spring1=\"101\" spring2=\"102\" damping=\"103\"/>"
            "<speed max_front_speed=\"104\" max_rear_speed=\"105\"/>"
            "<friction front=\"106\" back=\"107\" slide=\"0.77\"/>"
            "<acceleration front=\"108\" back=\"109\" brake=\"1.1\"/>"
            "<inertion yaw=\"1.2\" pitch=\"1.3\"/></params></physics></car>");
        car.LoadParams(false);
        owner.SetCar(&car);
        level.cameraCar = &owner;
    }
    ~Tuning() override
    {
        owner.SetCar(nullptr);
        g_pRender = m_previousRender;
    }

    CPRender render;
    CPLevel level;
    CPPlayer owner;
    CPCar car{&owner};

private:
    CPRender* m_previousRender;
};

TEST_F(Tuning, PupAndPdownKeepTheIndexWithinTheNineteenParameters)
{
    struct Case {
        int from;
        const char* key;
        int to;
    };
    for (const Case& c : {Case{0, "Pup", 0}, Case{1, "Pup", 0}, Case{17, "Pdown", 18}, Case{18, "Pdown", 18},
                          Case{5, "Pdown", 6}}) {
        render.SetTuningIndex(c.from);
        Results(std::string(c.key) + "()");
        EXPECT_EQ(render.GetTuningIndex(), c.to) << c.key << " from " << c.from;
    }
}

TEST_F(Tuning, PrightAndPleftMoveTheSelectedParameterByItsStep)
{
    struct Case {
        const char* key;
        float described;
        float step;
    };
    const Case cases[CPCar::kTunedValueCount] = {
        {"x", 0.11f, 0.01f},        {"y", 0.22f, 0.01f},
        {"length", 0.33f, 0.01f},   {"radius", 0.44f, 0.01f},
        {"front_min_radius", 0.55f, 0.01f}, {"back_min_radius", 0.66f, 0.01f},
        {"spring1", 101, 1},        {"spring2", 102, 1},
        {"damping", 103, 10},       {"max_front_speed", 104, 1},
        {"max_rear_speed", 105, 1}, {"friction front", 106, 1},
        {"friction back", 107, 1},  {"slide", 0.77f, 0.05f},
        {"acceleration front", 108, 1}, {"acceleration back", 109, 1},
        {"brake", 1.1f, 0.1f},      {"yaw", 1.2f, 0.05f},
        {"pitch", 1.3f, 0.05f},
    };
    for (int index = 0; index < CPCar::kTunedValueCount; ++index) {
        const Case& c = cases[index];
        float* value = car.GetTunedValue(index);
        ASSERT_NE(value, nullptr);
        EXPECT_FLOAT_EQ(*value, c.described) << c.key;
        render.SetTuningIndex(index);
        Results("Pright() Pright()");
        EXPECT_FLOAT_EQ(*value, c.described + 2 * c.step) << c.key;
        Results("Pleft()");
        EXPECT_FLOAT_EQ(*value, c.described + c.step) << c.key;
    }
    EXPECT_EQ(car.GetTunedValue(-1), nullptr);
    EXPECT_EQ(car.GetTunedValue(CPCar::kTunedValueCount), nullptr);
    render.SetTuningIndex(CPCar::kTunedValueCount);
    Results("Pright() Pleft()");
}

// The player's car with its engine, skid and nitro sounds on the recording
// sound device, behind the level's camera, while another car is followed.
class CameraModes : public RaceState {
protected:
    CameraModes() : m_cache(&device), m_manager(&m_cache), m_previousManager(g_pSoundManager),
          m_previousVolume(g_soundVolume)
    {
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Sounds", nullptr);
        for (const char* name : {"main.wav", "vizg.wav", "nitro.wav"}) {
            wavefixture::WriteFile(std::string("Data\\Sounds\\") + name, wavefixture::Wave(1, 22050, 16, "abcdefgh"));
        }
        g_pSoundManager = &m_manager;
        g_soundVolume = 0.8f;
        car.reset(new CPCar(&player));
        car->LoadSounds();
        player.SetCar(car.get());
        level.reset(new CPLevel());
        level->camera = &camera;
        level->player = &player;
    }
    ~CameraModes() override
    {
        level.reset();
        player.SetCar(nullptr);
        car.reset();
        g_pSoundManager = m_previousManager;
        g_soundVolume = m_previousVolume;
    }

    LONG EngineAttenuation() const
    {
        return static_cast<sounddouble::RecordingBuffer*>(car->GetEngineSound()->GetBuffer())->volume;
    }

    sounddouble::RecordingDirectSound device;
    CPCamera camera;
    CPPlayer player;
    CPPlayer other;
    std::unique_ptr<CPCar> car;
    std::unique_ptr<CPLevel> level;

private:
    CPSoundCache m_cache;
    CPSoundManager m_manager;
    CPSoundManager* m_previousManager;
    float m_previousVolume;
};

TEST_F(CameraModes, ChangeGameCameraCyclesTheModesBehindThePlayerAtEachModesVolume)
{
    ASSERT_NE(car->GetEngineSound(), nullptr);
    struct Case {
        int mode;
        float share;
        bool fixedView;
    };
    for (const Case& c : {Case{1, 0.35f, false}, Case{2, 0.4f, true}, Case{0, 0.3f, false}}) {
        level->cameraCar = &other;
        EXPECT_EQ(Results("return ChangeGameCamera()"), (std::vector<std::string>{std::to_string(c.mode)}));
        EXPECT_EQ(level->cameraMode, c.mode);
        EXPECT_EQ(level->cameraCar, &player) << c.mode;
        EXPECT_EQ(camera.GetThirdViewFlag(), c.fixedView) << c.mode;
        EXPECT_EQ(EngineAttenuation(), VolumeToAttenuation(0.8f * c.share)) << c.mode;
    }
    level->cameraMode = 7;
    EXPECT_EQ(Results("return ChangeGameCamera()"), (std::vector<std::string>{"0"}));
    level.reset();
    EXPECT_EQ(Results("return ChangeGameCamera()"), (std::vector<std::string>{"-1"}));
}

} // namespace
