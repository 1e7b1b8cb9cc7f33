#include "demo/DemoData.h"
#include "host/EngineHost.h"
#include "host/HostOptions.h"

#include "host/tests/GameProgramRun.h"

#include "core/FrameClock.h"
#include "core/PDataFileWriter.h"
#include "game/GameDataFiles.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "script/ScriptHost.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// The headless demo's frame time and the frames it needs for its menu, its
// race and its score table.
const float kFrameSeconds = 0.05f;
const int kRaceFrames = 2500;
// The road lies at height 0 and a car's position stands 0.8 above it; a
// position below the road's own height is a car that has gone through it.
const float kRoadHeight = 0.0f;
const char* const kScoreFile = "Data\\scores.dat";
// The damage at which a car is wrecked.
const float kWreckDamage = 100.0f;

// The cars of the race: the player's first, then the computer's.
std::vector<CPPlayer*> RaceCars(const CPLevel& level)
{
    std::vector<CPPlayer*> cars = {static_cast<CPPlayer*>(level.player.Get())};
    for (const RefPtr<CPGameObject>& opponent : level.opponents) cars.push_back(static_cast<CPPlayer*>(opponent.Get()));
    return cars;
}

std::string ReadText(const std::string& path)
{
    const std::vector<char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

// The demo game run in this process from a folder of its data, frame by
// frame on the headless run's fixed frame time, so that a test can look at
// the race the demo's own scripts drive between its frames. The level's
// clock and the date stand at their fixed start here, so every run is the
// same as the one before.
class DemoRace : public ::testing::Test {
protected:
    DemoRace() : m_options(FixedFrameOptions()) {}

    void TearDown() override
    {
        if (m_host) m_host->Shutdown();
        m_host.reset();
        if (m_inFolder) SetCurrentDirectoryA("..");
        FrameNumber = 0;
        FullTime = 0.0;
    }

    // The demo data written into a folder of its own, without what an
    // earlier run left there; the test runs in the folder from here on.
    void WriteDemoInto(const char* folder)
    {
        CreateDirectoryA(folder, nullptr);
        ASSERT_TRUE(SetCurrentDirectoryA(folder));
        m_inFolder = true;
        for (const char* file : {"game.log", kScoreFile, "DATA\\Saves\\save0.sav"}) DeleteFileA(file);
        std::string error;
        ASSERT_TRUE(WriteDemoData(error)) << error;
    }

    void StartGame()
    {
        std::string error;
        m_host.reset(new EngineHost(m_options));
        ASSERT_TRUE(m_host->Start(GetModuleHandleA(nullptr), error)) << error;
    }

    // Frames from the menu until the scripts have ended the race and let
    // the level go; each frame after which the level runs is shown to
    // eachFrame. False when the race did not end within the frames.
    bool PlayRace(const std::function<void(CPLevel&)>& eachFrame)
    {
        bool levelSeen = false;
        for (int frame = 0; frame < kRaceFrames; ++frame) {
            m_host->RunFrame(kFrameSeconds);
            CPLevel* level = GetLevel();
            if (level) {
                levelSeen = true;
                eachFrame(*level);
            } else if (levelSeen) {
                return true;
            }
        }
        return false;
    }

    // A score table of one rival's time written before the game starts;
    // answers the file's bytes.
    static std::vector<char> WriteRivalScores()
    {
        std::vector<std::vector<ScoreEntry>> tables(1, {ScoreEntry("Rival", 1, 2, 3)});
        CPDataFileWriter writer(kScoreFile, true);
        WriteScores(writer, tables);
        EXPECT_EQ(writer.Save(), S_OK);
        return ReadWholeFile(kScoreFile);
    }

    ScriptHost& Scripts() { return *m_host->GetScripts(); }

    static std::string GameLog() { return ReadText("game.log"); }

private:
    static HostOptions FixedFrameOptions()
    {
        HostOptions options;
        options.fixedDeltaTime = kFrameSeconds;
        return options;
    }

    HostOptions m_options;
    std::unique_ptr<EngineHost> m_host;
    bool m_inFolder = false;
};

// Each car is watched every frame of the race: a car put back on the road
// starts its respawn cooldown, and a car that went off the road sinks
// below it.
TEST_F(DemoRace, NoCarIsPutBackOnTheRoadOrSinksBelowItInTheWholeRace)
{
    WriteDemoInto("road-race");
    StartGame();
    struct Watch {
        int respawns = 0;
        float lowest = 1e9f;
        int firstFault = -1;
        float lastCooldown = 0.0f;
    };
    std::vector<Watch> watches;
    int raceFrames = 0;
    const bool ended = PlayRace([&](CPLevel& level) {
        const std::vector<CPPlayer*> cars = RaceCars(level);
        watches.resize(cars.size());
        for (size_t i = 0; i < cars.size(); ++i) {
            Watch& watch = watches[i];
            const float cooldown = cars[i]->respawnCooldown;
            const float height = cars[i]->GetPositionRef()->z;
            if (cooldown > watch.lastCooldown) ++watch.respawns;
            watch.lastCooldown = cooldown;
            watch.lowest = std::min(watch.lowest, height);
            if ((cooldown > 0.0f || height < kRoadHeight) && watch.firstFault < 0) watch.firstFault = raceFrames;
        }
        ++raceFrames;
    });
    ASSERT_TRUE(ended) << GameLog();
    EXPECT_NE(GameLog().find("finish!\n"), std::string::npos) << GameLog();
    ASSERT_EQ(watches.size(), 4u) << "the player and three computer cars";
    for (size_t i = 0; i < watches.size(); ++i) {
        EXPECT_EQ(watches[i].respawns, 0) << "car " << i << " first at " << watches[i].firstFault * kFrameSeconds
                                          << " s of " << raceFrames * kFrameSeconds << " s";
        EXPECT_GE(watches[i].lowest, kRoadHeight) << "car " << i;
    }
}

// A race lost after the player drove every lap: a computer car took first
// place while the player drove its last lap, so the player finishes second
// and loses. Its laps are no record: the score file keeps what it held.
TEST_F(DemoRace, ARaceLostAfterEveryLapLeavesTheScoreFileAsItWas)
{
    WriteDemoInto("lost-race");
    const std::vector<char> scores = WriteRivalScores();
    StartGame();

    const bool ended = PlayRace([](CPLevel& level) {
        const CPGameData& data = *GetGameData();
        if (data.roundsRecorded == data.roundCount && level.places[0] == -1) level.places[0] = 0;
    });
    ASSERT_TRUE(ended) << GameLog();
    const std::string log = GameLog();
    EXPECT_NE(log.find("place 2nd\nlost!\n"), std::string::npos) << log;
    EXPECT_NE(log.find("score screen\n"), std::string::npos) << log;
    EXPECT_TRUE(ReadWholeFile(kScoreFile) == scores) << "the score table shown:\n" << log;
}

// A race that a script lets first place end without a win and whose car is
// wrecked after its last lap ends without an outcome. The scripts still
// hold the win of the race before it in the same run; that win enters no
// lap of this race: the score file keeps what it held.
TEST_F(DemoRace, ARaceEndingWithoutAnOutcomeEntersNoLapForAnEarlierRacesWin)
{
    WriteDemoInto("no-outcome-race");
    const std::vector<char> scores = WriteRivalScores();
    StartGame();
    ASSERT_TRUE(Scripts().RunText("raceOutcome = \"finish!\"", "the race before"));

    const bool ended = PlayRace([](CPLevel& level) {
        const CPGameData& data = *GetGameData();
        level.placeToFinish = -1;
        if (data.roundsRecorded > data.roundCount && level.placesDone) RaceCars(level)[0]->damage = kWreckDamage;
    });
    ASSERT_TRUE(ended) << GameLog();
    const std::string log = GameLog();
    EXPECT_NE(log.find("place 1st\n"), std::string::npos) << log;
    EXPECT_NE(log.find("proigrish!\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("finish!\n"), std::string::npos) << log;
    EXPECT_NE(log.find("score screen\n"), std::string::npos) << log;
    EXPECT_TRUE(ReadWholeFile(kScoreFile) == scores) << "the score table shown:\n" << log;
}
