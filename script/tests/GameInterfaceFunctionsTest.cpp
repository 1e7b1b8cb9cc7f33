#include "script/tests/MenuScreen.h"

#include "script/GameLog.h"
#include "script/ScriptHost.h"
#include "script/tests/ScriptTest.h"

#include "Render/PAVIPlayer.h"
#include "Render/tests/TinyAvi.h"
#include "Render/tests/VideoPlaybackSetup.h"
#include "core/Settings.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using Commands = std::vector<std::string>;

const char* const kWindows[] = {
    "krest",  "steel",   "titan",     "engine2", "laser",       "repair2",  "noequipment1", "noequipment2",
    "lgun",   "lgun_off", "rlauncher", "rlauncher_off", "contact", "no_mina", "mines",     "slot1",
    "slot2",  "slot3",   "super1",    "super2",  "super3",      "nosuper1", "nosuper2",     "nosuper3"};
const int kOverheatWindows = 12;
const int kBulletWindows = 17;

// The in-race display of a 640 x 400 screen: the set-up, weapon, mine,
// super-weapon, overheat and bullet windows at places of their own, and the
// texts "time", "kills", "life", "mines" and "score". The followed car of a
// level of the test's own stands behind it.
class GameInterface : public MenuScreenTest {
protected:
    GameInterface() : log("game_interface_script.log"), scripts(log), state(scripts.GetState())
    {
        SetScreenSize(640, 400);
        AddTestFont("small");
        InterfaceFileWriter writer = MenuScreenWriter();
        float x = 10.5f;
        for (const char* name : kWindows) {
            writer.AddWindow(Line(name, x, 200.0f + x * 0.25f, 16, 8));
            x += 20.0f;
        }
        for (int i = 1; i <= kOverheatWindows; ++i) writer.AddWindow(Line("overheat" + std::to_string(i), 5.0f * i, 300, 4, 4));
        for (int i = 1; i <= kBulletWindows; ++i) writer.AddWindow(Line("bullet" + std::to_string(i), 5.0f * i, 320, 4, 4));
        for (const char* text : {"time", "kills", "life", "mines", "score"}) writer.AddText(text, "small", 10, 20, "blank", "");
        screen = LoadScreen(writer, "gamemenu");
        lua_pushlightuserdata(state, screen);
        lua_setglobal(state, "screen");
        car.reset(new CPPlayer());
        level.cameraCar = car.get();
        lua_pushlightuserdata(state, static_cast<IPObject*>(car.get()));
        lua_setglobal(state, "car");
    }

    void Run(const std::string& code) { ASSERT_TRUE(scripts.RunText(code.c_str(), "test")); }
    std::string Joined(const std::string& code)
    {
        std::string text;
        for (const std::string& result : ChunkResults(state, code)) text += (text.empty() ? "" : "|") + result;
        return text;
    }
    bool Shown(const std::string& name) { return screen->GetElements().at(name)->visible; }
    std::string Text(const std::string& name) { return screen->GetTexts().at(name).text; }
    std::string Position(const std::string& name)
    {
        float x = 0.0f, y = 0.0f;
        screen->GetWindowPosition(name, x, y);
        return std::to_string(x) + "," + std::to_string(y);
    }
    // How many of the numbered windows are shown, and that they are the
    // first ones.
    int LitCount(const std::string& stem, int windows)
    {
        int lit = 0;
        while (lit < windows && Shown(stem + std::to_string(lit + 1))) ++lit;
        for (int i = lit + 1; i <= windows; ++i) EXPECT_FALSE(Shown(stem + std::to_string(i))) << stem << i;
        return lit;
    }

    GameLog log;
    ScriptHost scripts;
    lua_State* state;
    CPInterface* screen;
    CPLevel level;
    std::unique_ptr<CPPlayer> car;
};

struct ClockCase {
    float levelTime;
    const char* text;
};

class RaceClock : public GameInterface, public testing::WithParamInterface<ClockCase> {};

TEST_P(RaceClock, TimeReadsWholeMinutesAndSeconds)
{
    level.levelTime = GetParam().levelTime;
    Run("UpdateTime(screen)");
    EXPECT_EQ(Text("time"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(GameInterface, RaceClock,
                         testing::Values(ClockCase{125.7f, "02:05"}, ClockCase{60.0f, "01:00"},
                                         ClockCase{59.99f, "00:59"}, ClockCase{0.0f, "00:00"}));

TEST_F(GameInterface, UpdateTimeLightsTheOverheatGaugeRoundingHalfUpAndShowsTheKills)
{
    gameData.kills = 42;
    car->engineTemp = 0.875f;
    Run("UpdateTime(screen)");
    EXPECT_EQ(LitCount("overheat", kOverheatWindows), 11) << "10.5 rounds up";
    EXPECT_EQ(Text("kills"), "00042");
    car->engineTemp = 0.0f;
    Run("UpdateTime(screen)");
    EXPECT_EQ(LitCount("overheat", kOverheatWindows), 0);
}

TEST_F(GameInterface, InitShowsTheFittedArmourEngineAndEquipmentOnly)
{
    gameData.activeSetup.armor = "titan";
    gameData.activeSetup.engine = "engine2";
    gameData.activeSetup.equipment[0] = "laser";
    gameData.activeSetup.equipment[1] = "repair";
    Run("InitGameInterface(screen)");
    for (const char* name : {"titan", "engine2", "laser", "repair2"}) EXPECT_TRUE(Shown(name)) << name;
    for (const char* name : {"krest", "steel", "noequipment1", "noequipment2"}) EXPECT_FALSE(Shown(name)) << name;

    gameData.activeSetup = CarSettings();
    Run("InitGameInterface(screen)");
    for (const char* name : {"krest", "noequipment1", "noequipment2"}) EXPECT_TRUE(Shown(name)) << name;
    for (const char* name : {"titan", "engine2", "laser", "repair2"}) EXPECT_FALSE(Shown(name)) << name;
    Run("EngineState(screen, true)");
    EXPECT_FALSE(Shown("engine2")) << "no engine fitted";
    gameData.activeSetup.engine = "engine2";
    Run("EngineState(screen, true)");
    EXPECT_TRUE(Shown("engine2"));
    Run("EngineState(screen, false) InitGameInterface(nil)");
    EXPECT_FALSE(Shown("engine2"));
}

TEST_F(GameInterface, UpdateShowsSupersLifeSlotsMinesAndBullets)
{
    CarSettings& setup = gameData.activeSetup;
    setup.superWeaponCount = 2;
    setup.weapons[0] = "lgun";
    setup.weapons[2] = "rlauncher";
    setup.mine = "contact";
    MineDefinition mine;
    mine.key = "contact";
    mine.number1 = 3;
    gameData.mines.Add(mine);
    car->life = 57.9f;
    car->weaponSlot = 2;
    car->ammunition[2] = 0.5f;
    car->ammunition[0] = 1.0f;
    car->hasMines = true;
    car->minesEmpty = false;
    const std::string slot1 = Position("slot1"), slot3 = Position("slot3"), noMine = Position("no_mina");

    Run("UpdateGameInterface(screen)");
    for (const char* name : {"super1", "super2", "nosuper3", "slot2", "lgun_off", "rlauncher", "mines", "contact"}) {
        EXPECT_TRUE(Shown(name)) << name;
    }
    for (const char* name : {"nosuper1", "nosuper2", "super3", "slot1", "slot3", "lgun", "rlauncher_off", "no_mina"}) {
        EXPECT_FALSE(Shown(name)) << name;
    }
    EXPECT_EQ(Position("lgun_off"), slot1);
    EXPECT_EQ(Position("rlauncher"), slot3);
    EXPECT_EQ(Position("contact"), noMine);
    EXPECT_EQ(Text("life"), "057");
    EXPECT_EQ(Text("mines"), "03");
    EXPECT_EQ(LitCount("bullet", kBulletWindows), 9) << "8.5 rounds up";

    car->minesEmpty = true;
    Run("UpdateGameInterface(screen)");
    EXPECT_EQ(Text("mines"), "00") << "spent mines";
    car->hasMines = false;
    car->weaponSlot = -1;
    Run("UpdateGameInterface(screen)");
    EXPECT_TRUE(Shown("no_mina"));
    EXPECT_FALSE(Shown("contact"));
    EXPECT_TRUE(Shown("rlauncher_off")) << "no current weapon";
    EXPECT_EQ(LitCount("bullet", kBulletWindows), 0);
}

struct CursorCase {
    int kind;
    const char* cursor;
};

class WeaponCursor : public GameInterface, public testing::WithParamInterface<CursorCase> {};

TEST_P(WeaponCursor, TheWeaponKindChoosesTheCursor)
{
    screen->cursorName = "before";
    car->weaponType = GetParam().kind;
    Run("UpdateGameInterface(screen)");
    EXPECT_EQ(Joined("return GetCursor(screen)"), GetParam().cursor);
}

INSTANTIATE_TEST_SUITE_P(GameInterface, WeaponCursor,
                         testing::Values(CursorCase{0, "bullet"}, CursorCase{1, "bullet"}, CursorCase{2, "bullet"},
                                         CursorCase{3, "rocket"}, CursorCase{4, "rocket"}, CursorCase{5, "plazma"},
                                         CursorCase{6, "bullet"}, CursorCase{7, "plazma"}, CursorCase{8, "shotgun"},
                                         CursorCase{9, "before"}));

TEST_F(GameInterface, ANamedCursorReplacesTheShownOneAtThePointer)
{
    CPGameObject rocketCursor("rocket");
    RefPtr<CPGameObject> rocket(&rocketCursor);
    screen->GetCursors()["rocket"] = rocket;
    CPGameObject* arrow = screen->GetCursor();
    ASSERT_NE(arrow, nullptr);
    screen->OnMouseMove(120.0f, 45.0f);
    Run("SetCursor(screen, 'rocket')");
    EXPECT_FALSE(arrow->IsVisible());
    EXPECT_TRUE(rocket->IsVisible());
    EXPECT_EQ(screen->GetCursor(), rocket.Get());
    EXPECT_EQ(rocket->GetPositionRef()->x, screen->GetMouseX());
    EXPECT_EQ(Joined("return GetCursor(screen), GetCursor(nil)"), "rocket|");
    Run("SetCursor(screen, 'unknown')");
    EXPECT_EQ(screen->GetCursor(), nullptr);
    EXPECT_EQ(Joined("return GetCursor(screen)"), "unknown");
    screen->GetCursors().erase("rocket");
}

TEST_F(GameInterface, ScoresAndWindowPlacesHaveTheirFixedAnswers)
{
    Run("UpdateScore(screen, 317.9)");
    EXPECT_EQ(Text("score"), "00317");
    gameData.kills = 6;
    EXPECT_EQ(Joined("return AddScore(), AddScore(5), GetScore(), IsInTable(3), GetScoreLine(1)"),
              "nil|nil|6|false||0");
    EXPECT_EQ(Joined("return select('#', SetScoreLine('a', 1, 2))"), "0");
    screen->SetWindowPosition("slot2", 33.5f, 44.25f);
    EXPECT_EQ(Joined("return GetWindowPosition(screen, 'slot2')"), "33.5|44.25");
    EXPECT_EQ(Joined("return GetWindowPosition(screen, 'absent')"), "-1|-1");
    EXPECT_EQ(Joined("return GetWindowPosition(nil, 'slot2')"), "-1|-1");
}

TEST_F(GameInterface, RealCarInfoListsTheFittedSetupInRecordOrder)
{
    CarSettings& setup = gameData.activeSetup;
    setup.weapons[0] = "w1";
    setup.weapons[2] = "w3";
    setup.equipment[1] = "e2";
    setup.bumper = "b";
    setup.engine = "en";
    setup.armor = "ar";
    setup.superWeapon = "sw";
    setup.superWeaponCount = 4;
    setup.mine = "mi";
    EXPECT_EQ(Joined("return GetRealCarInfo()"), "w1||w3||e2|b|en|ar|sw|4|mi");
}

TEST_F(GameInterface, DifficultyFollowsTheSettingAndLevelValuesNeedALevel)
{
    const int saved = g_cam_speed;
    g_cam_speed = 0;
    EXPECT_EQ(Joined("return GetDifficulty()"), "false");
    g_cam_speed = 3;
    EXPECT_EQ(Joined("return GetDifficulty()"), "true");
    g_cam_speed = saved;

    level.fov1 = 1.25f;
    level.fov2 = 0.5f;
    Run("SetCameraPlayer(true) PlayerShot()");
    EXPECT_EQ(Joined("return GetFov1(), GetFov2(), GetCameraPlayer()"), "1.25|0.5|1");
    EXPECT_TRUE(level.playerShotRequest);
    Run("SetCameraPlayer(false)");
    EXPECT_EQ(level.cameraMode, 0);
}

TEST_F(GameInterface, ShowCheckPointMarksTheNextCheckpointAndSaysSo)
{
    TestReceiver main;
    commands.AddToCategory("main", &main);
    main.Start();
    CPGameObject firstCheckpoint("chk0"), secondCheckpoint("chk1");
    RefPtr<CPGameObject> first(&firstCheckpoint), second(&secondCheckpoint);
    second->SetVisible(false);
    level.checkpoints.resize(2);
    level.checkpoints[0].checkpoint = first;
    level.checkpoints[1].checkpoint = second;
    level.currentCheckpoint = 0;
    Run("ShowCheckPoint()");
    EXPECT_EQ(level.checkpointMarker.Get(), second.Get());
    EXPECT_TRUE(second->IsVisible());
    EXPECT_EQ(main.Take(), Commands({"say_show"}));
    level.currentCheckpoint = 1;
    Run("ShowCheckPoint()");
    EXPECT_EQ(level.checkpointMarker.Get(), first.Get()) << "after the last comes the first";
    level.checkpoints.clear();
    Run("ShowCheckPoint()");
    EXPECT_EQ(level.checkpointMarker.Get(), nullptr);
    main.Take();
}

// The video players playing a generated video through the platform's
// multimedia streams.
class VideoFunctions : public ScriptTest {
protected:
    VideoPlaybackSetup setup;
};

TEST_F(VideoFunctions, PlayVideoRunsTheFirstPlayerAsATaskAndStopVideoStopsIt)
{
    TinyAvi avi(4, 2, 10);
    avi.AddFrame(std::vector<uint32_t>(8, 0x336699));
    avi.AddFrame(std::vector<uint32_t>(8, 0x996633));
    ASSERT_TRUE(avi.Write("Data\\Video\\hud.avi"));
    CPVideoPlayer player;
    g_pVideoPlayer = &player;
    Results("PlayVideoNoSound('hud.avi', true)");
    g_pVideoPlayer = nullptr;
    EXPECT_TRUE(player.IsSilent());
    EXPECT_NE(player.GetTexture(), nullptr);
    EXPECT_EQ(player.GetPriority(), 400);
    ASSERT_EQ(tasks.GetTasks().size(), 1u);
    EXPECT_EQ(tasks.GetTasks().front().Get(), &player);
    EXPECT_TRUE(player.IsRunning());
    g_pVideoPlayer = &player;
    Results("StopVideo1() StopVideo()");
    g_pVideoPlayer = nullptr;
    EXPECT_FALSE(player.IsRunning());
    tasks.GetTasks().clear();
}

} // namespace
