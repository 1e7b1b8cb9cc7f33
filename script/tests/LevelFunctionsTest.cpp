#include "script/tests/ScriptTest.h"

#include "DynamicSky/PDynamicSky.h"
#include "Render/PIVertexBuffer.h"
#include "Render/PParticleManager.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/PRenderQueue.h"
#include "Render/tests/ParticleTestSupport.h"
#include "core/FrameClock.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/EnemyData.h"
#include "game/PShotSpawner.h"
#include "game/tests/LevelLoadFixture.h"
#include "game/tests/LevelObjectFixtures.h"
#include "game/PPlayer.h"
#include "game/tests/ShotTestSupport.h"
#include "interface/PLensFlareInterface.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// The results of a chunk as numbers, where results of other types read 0.
std::vector<double> Numbers(const Texts& results)
{
    std::vector<double> numbers;
    for (const std::string& text : results) numbers.push_back(std::strtod(text.c_str(), nullptr));
    return numbers;
}

void ExpectNumbers(const Texts& results, size_t from, const std::vector<double>& expected)
{
    ASSERT_GE(results.size(), from + expected.size());
    const std::vector<double> numbers = Numbers(results);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(numbers[from + i], expected[i], 1e-4) << "result " << from + i + 1;
    }
}

// A task of the frame whose step is the test's.
class StepTask : public CommandReceiver {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "StepTask"; }
    void Execute() override { step(); }
    int GetTaskValue() override { return 0; }

    std::function<void()> step;
};

// "level1" written and the engine's objects a level load reaches, with a
// script state, the particle manager and the common test receiver as
// "gamemenu"; whatever level the scripts leave is deleted at the end.
class LevelScript : public LevelLoad {
protected:
    LevelScript() : log("level_script.log"), scripts(log)
    {
        g_pParticleManager = &particles;
        bus.RegisterReceiver("gamemenu", &menu);
        menu.Start();
    }
    ~LevelScript() override
    {
        delete GetLevel();
        g_pParticleManager = nullptr;
    }

    Texts Run(const std::string& code) { return ChunkResults(scripts.GetState(), code); }

    // The running tasks' priorities, in list order.
    std::vector<int> RunningPriorities() const
    {
        std::vector<int> priorities;
        for (const RefPtr<IPProcess>& task : tasks.GetTasks()) {
            if (task->IsRunning() && !task->IsStopped()) priorities.push_back(task->GetPriority());
        }
        return priorities;
    }
    // One frame's tasks, as the game runs them: every running task in list order.
    void RunFrame()
    {
        std::vector<IPProcess*> order;
        for (const RefPtr<IPProcess>& task : tasks.GetTasks()) order.push_back(task.Get());
        for (IPProcess* task : order) {
            if (task->IsRunning() && !task->IsStopped()) task->Execute();
        }
    }

    GameLog log;
    ScriptHost scripts;
    CPParticleManager particles;
    gameobject_test::Receiver menu;
};

struct InitLevelCase {
    const char* code;
    bool single;
    bool timeTrial;
};

class InitLevelFlags : public LevelScript, public testing::WithParamInterface<InitLevelCase> {};

TEST_P(InitLevelFlags, LoadsTheLevelWithTheFlagsGiven)
{
    const InitLevelCase& c = GetParam();
    Run(c.code);
    CPLevel* level = GetLevel();
    ASSERT_TRUE(level);
    EXPECT_TRUE(level->player) << "level1 loaded";
    EXPECT_EQ(level->singleMode, c.single);
    EXPECT_EQ(level->timeMode, c.timeTrial);
}

// Lua counts every number, 0 too, as true.
INSTANTIATE_TEST_SUITE_P(Arguments, InitLevelFlags,
                         testing::Values(InitLevelCase{"InitLevel('level1', true)", true, false},
                                         InitLevelCase{"InitLevel('level1', false, true)", false, true},
                                         InitLevelCase{"InitLevel('level1', 0, 0)", true, true},
                                         InitLevelCase{"InitLevel('level1', nil, 1, false)", false, true}));

TEST_F(LevelScript, InitLevelOverALevelDestroysTheOldOneFirst)
{
    Run("InitLevel('level1', false)");
    const CPCamera* oldCamera = GetLevel()->camera.Get();
    ASSERT_TRUE(oldCamera);

    Run("InitLevel('level1', true)");
    ASSERT_TRUE(GetLevel());
    EXPECT_FALSE(IsLiveObject(oldCamera)) << "the old level is gone with its camera";
    EXPECT_TRUE(GetLevel()->singleMode);
}

TEST_F(LevelScript, InitLevelWithoutANameKeepsTheLevel)
{
    Run("InitLevel('level1', false)");
    CPLevel* level = GetLevel();
    RefPtr<CPCamera> camera = level->GetCamera();
    Run("InitLevel() InitLevel({}, true)");
    EXPECT_EQ(GetLevel(), level);
    EXPECT_EQ(camera->GetSubject(), static_cast<IPCameraSubject*>(level));
}

TEST_F(LevelScript, StartLevelFromAScriptRunsTheRaceTasksAndTellsTheMenu)
{
    data.money = 250.5f;
    Run("InitLevel('level1', false) StartLevel()");
    std::vector<int> priorities = RunningPriorities();
    EXPECT_TRUE(std::is_sorted(priorities.begin(), priorities.end()));
    for (int priority : {100, 400, 500}) {
        EXPECT_EQ(std::count(priorities.begin(), priorities.end(), priority), 1) << priority;
    }
    EXPECT_EQ(menu.TakeCommands(), Texts({"set_money:250.50", "init_game_interface:"}));

    Run("StartLevel()");
    priorities = RunningPriorities();
    EXPECT_EQ(std::count(priorities.begin(), priorities.end(), 500), 1) << "one running update";
}

TEST_F(LevelScript, StopLevelWithoutALevelOnlyClearsTheParticles)
{
    particle_test::RecordingBatch sparks;
    particles.AddBatch("spark", &sparks);
    ParticleSpawnRecord spark;
    spark.name = "spark";
    particles.SpawnParticle(spark);
    Run("StopLevel() StartLevel()");
    EXPECT_TRUE(sparks.particles.empty());
    EXPECT_EQ(GetLevel(), nullptr);
    EXPECT_TRUE(RunningPriorities().empty());
    // The batch is the test's own and goes before the manager does.
    particles.RemoveBatches();
}

// A receiver's step after the level's update has queued the scene and the
// player's car: a script that deletes or stops the level there leaves
// nothing queued to be drawn, and the frames after it run only live tasks.
class EndLevelInAStep : public LevelScript, public testing::WithParamInterface<const char*> {};

TEST_P(EndLevelInAStep, EmptiesTheFramesQueueAndLeavesOnlyLiveTasksRunning)
{
    CPIVertexBuffer buffer(std::vector<IDirect3DVertexBuffer9*>(), std::vector<IDirect3DIndexBuffer9*>(), 0, 0,
                           false);
    CPRenderQueue queue(&buffer);
    render.SetRenderQueue(&queue);
    Run("InitLevel('level1', false) StartLevel()");
    ASSERT_TRUE(GetLevel() && GetLevel()->levelScene);
    int queuedBefore = 0;
    StepTask receiver;
    receiver.SetPriority(600);
    receiver.step = [&]() {
        if (!GetLevel()) return;
        queue.AddObject(GetLevel()->levelScene);
        queue.AddObject(GetLevel()->player);
        queuedBefore = queue.GetFrameBlockCount();
        Run(GetParam());
    };
    tasks.AddTask(&receiver);

    RunFrame();
    EXPECT_GT(queuedBefore, 0);
    EXPECT_EQ(queue.GetFrameBlockCount(), 0) << "nothing left to draw";
    for (int frame = 0; frame < 3; ++frame) {
        for (const RefPtr<IPProcess>& task : tasks.GetTasks()) {
            if (task->IsRunning() && !task->IsStopped()) {
                EXPECT_TRUE(IsLiveObject(task.Get()));
            }
        }
        const std::vector<int> priorities = RunningPriorities();
        EXPECT_EQ(std::count(priorities.begin(), priorities.end(), 500), 0) << "no update of an ended race";
        RunFrame();
        queue.ClearFrame();
    }
    tasks.GetTasks().remove_if([&](const RefPtr<IPProcess>& task) { return task.Get() == &receiver; });
    render.SetRenderQueue(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Functions, EndLevelInAStep, testing::Values("DeleteLevel()", "StopLevel()"));

// The level's update may have queued its scene before a script deletes it.
TEST_F(LevelScript, DeleteLevelEmptiesTheFramesQueueAndLeavesNoLevel)
{
    CPRenderQueue queue(nullptr);
    render.SetRenderQueue(&queue);
    Run("InitLevel('level1', false)");
    queue.AddObjectCount(7);

    Run("DeleteLevel()");
    EXPECT_EQ(GetLevel(), nullptr);
    EXPECT_EQ(queue.GetObjectCount(), 0);
    Run("DeleteLevel()");
    EXPECT_EQ(GetLevel(), nullptr);
    render.SetRenderQueue(nullptr);
}

// The deleted level's objects are gone: a handle a script kept answers as
// no object does.
TEST_F(LevelScript, AfterDeleteLevelTheOldCarHandleReachesNothing)
{
    Run("InitLevel('level1', false) StartLevel()");
    CPGameObject* car = GetLevel()->opponents.at(0).Get();
    car->SetPosition(5.0f, 6.0f, 7.0f);
    lua_pushlightuserdata(scripts.GetState(), static_cast<IPObject*>(car));
    lua_setglobal(scripts.GetState(), "car");
    EXPECT_EQ(Run("return GetPlayerName(car)"), Texts{"tvr1"});
    ExpectNumbers(Run("return GetPosition(car)"), 0, {5.0, 6.0, 7.0});

    Run("StopLevel() DeleteLevel()");
    EXPECT_EQ(Run("return GetPlayerName(car)"), Texts{""});
    ExpectNumbers(Run("return GetPosition(car)"), 0, {0.0, 0.0, 0.0});
}

// Level objects a script put on the bonus list (a car, a part of it) go
// from the list with their level; an object of the script's own stays. The
// next level's race and ClearBonuses then meet nothing of the deleted level.
TEST_F(LevelScript, DeleteLevelTakesItsObjectsOffTheBonusList)
{
    const auto setHandle = [this](const char* name, CPGameObject* object) {
        lua_pushlightuserdata(scripts.GetState(), static_cast<IPObject*>(object));
        lua_setglobal(scripts.GetState(), name);
    };
    CPGameObject kept("kept");
    setHandle("kept", &kept);
    Run("InitLevel('level1', false) StartLevel()");
    CPGameObject& car = *GetLevel()->opponents.at(0);
    ASSERT_FALSE(car.GetChildren().empty());
    setHandle("car", &car);
    setHandle("part", car.GetChildren().front().Get());
    Run("AddBonus(car, 1) AddBonus(part, 3) AddBonus(kept, 2)");
    ASSERT_EQ(Run("return GetBonusesCount()"), Texts{"3"});

    Run("StopLevel() DeleteLevel()");
    ASSERT_EQ(data.bonusList.size(), 1u);
    EXPECT_EQ(data.bonusList.front().object.Get(), &kept);
    EXPECT_EQ(data.bonusList.front().number, 2);

    Run("InitLevel('level1', false) StartLevel() SetUpdateTime(true)");
    FrameDeltaTime = 0.05f;
    for (int frame = 0; frame < 3; ++frame) RunFrame();
    Run("ClearBonuses()");
    EXPECT_EQ(Run("return GetBonusesCount()"), Texts{"0"});
    EXPECT_EQ(kept.GetRefCount(), 0);
    FrameDeltaTime = 0.0f;
}

TEST_F(LevelScript, TheCameraTakesTheScriptsPositionAndAngle)
{
    Run("InitLevel('level1', false) SetCameraPos(1, -2, 3.5)");
    RefPtr<CPCamera> camera = GetLevel()->GetCamera();
    EXPECT_TRUE(camera->IsManualMode());
    EXPECT_EQ(camera->GetManualPosition(), D3DXVECTOR3(1.0f, -2.0f, 3.5f));
    EXPECT_EQ(camera->GetManualZAngle(), 0.0f);

    Run("SetCameraZAngle(0.75)");
    EXPECT_EQ(camera->GetManualZAngle(), 0.75f);
    EXPECT_EQ(camera->GetManualPosition(), D3DXVECTOR3(1.0f, -2.0f, 3.5f));
}

// The car takes the inputs as they are; the player's weapon, the aim point.
TEST_F(LevelScript, TheCarTakesTheScriptsInputsAndThePlayersWeaponItsAim)
{
    Run("InitLevel('level1', false)");
    CPPlayer* car = dynamic_cast<CPPlayer*>(GetLevel()->player.Get());
    ASSERT_TRUE(car);
    lua_pushlightuserdata(scripts.GetState(), static_cast<IPObject*>(car));
    lua_setglobal(scripts.GetState(), "car");
    Run("SetCarParams(car, 0.75, -0.25) SetWeaponPos(3, -4, 5.5)");
    EXPECT_EQ(car->throttleInput, 0.75f);
    EXPECT_EQ(car->steerInput, -0.25f);
    EXPECT_EQ(car->aimPoint, D3DXVECTOR3(3.0f, -4.0f, 5.5f));

    Run("SetCarParams(nil, 1, 1) DeleteLevel() SetWeaponPos(1, 2, 3)");
    EXPECT_EQ(GetLevel(), nullptr);
}

TEST_F(LevelScript, SetLensFlareLoadsANewFlareTenTimesFurtherOut)
{
    const D3DXVECTOR3 sun = SunPosition;
    Run("SetLensFlare(1, 2, 3)");
    EXPECT_EQ(SunPosition, sun) << "no level, no flare";

    LensFlareElement element = {};
    element.textureName = "flare.tga";
    element.percent = 40;
    element.scaleX = element.scaleY = 1.0f;
    element.width = element.height = 16;
    CreateDirectoryA("Data\\Interface", nullptr);
    ASSERT_TRUE(WriteLensFlareFile("Data\\Interface\\lensflare2.int", {element, element}));
    Run("InitLevel('level1', false) SetLensFlare(1, 2, 3)");
    EXPECT_EQ(SunPosition, D3DXVECTOR3(10.0f, 20.0f, 30.0f));
    auto* flare = dynamic_cast<CPLensFlareInterface*>(GetLevel()->lensFlare.Get());
    ASSERT_TRUE(flare);
    EXPECT_EQ(flare->GetFlareElements().size(), 2u);

    Run("SetLensFlare(-1, 0.5, 0)");
    EXPECT_NE(GetLevel()->lensFlare.Get(), flare);
    EXPECT_EQ(SunPosition, D3DXVECTOR3(-10.0f, 5.0f, 0.0f));
    SunPosition = sun;
}

TEST_F(LevelScript, SetDefaultCameraHandsOneReadyViewToTheRenderer)
{
    Run("SetDefaultCamera()");
    Run("SetDefaultCamera()");
    const std::map<int, RenderListEntry>& list = render.GetRenderList();
    ASSERT_EQ(list.count(19), 1u);
    auto* view = dynamic_cast<CPPerspectiveCamera*>(list.at(19).view.Get());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetEye(), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(view->GetTarget(), D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(view->GetUp(), D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(view->GetFieldOfView(), 1.2217305f);
    EXPECT_EQ(view->GetNearPlane(), 1.0f);
    EXPECT_EQ(view->GetFarPlane(), 1000.0f);
    EXPECT_FALSE(view->IsViewDirty());
    EXPECT_FALSE(view->IsProjectionDirty());
}

// A level with a spawner whose "bolt" pool holds one template, and an owner
// standing at (10, 0, 0).
class ShotScript : public ScriptTest {
protected:
    ShotScript() : owner("owner")
    {
        g_pShotSpawner = &spawner;
        spawner.AddTemplate(std::unique_ptr<CPShot>(new shot_test::RecordingShot("bolt")));
        owner.SetPosition(10.0f, 0.0f, 0.0f);
        owner.UpdateTransform();
        SetGlobalHandle("owner", static_cast<IPObject*>(&owner));
    }
    ~ShotScript() override { g_pShotSpawner = nullptr; }

    std::vector<shot_test::RecordingShot::LaunchCall> Launches()
    {
        std::vector<shot_test::RecordingShot::LaunchCall> launches;
        for (const RefPtr<CPShot>& shot : spawner.GetActiveShots()) {
            const auto& recorded = static_cast<shot_test::RecordingShot*>(shot.Get())->launches;
            launches.insert(launches.end(), recorded.begin(), recorded.end());
        }
        return launches;
    }

    CPShotSpawner spawner;
    std::unique_ptr<CPLevel> level{new CPLevel()};
    CPGameObject owner;
};

TEST_F(ShotScript, ShotSpawnsAtThePointInTheOwnersFrame)
{
    Results("Shot('bolt', owner, 1, 0, 0, 7, 8, 9)");
    // Turned a quarter about x: the owner's y runs along the world's z.
    owner.SetRotation(0.70710678f, 0.0f, 0.0f, 0.70710678f);
    owner.UpdateTransform();
    Results("Shot('bolt', owner, 1, 2, 3)");
    const auto launches = Launches();
    ASSERT_EQ(launches.size(), 2u);
    shot_test::ExpectPoint(launches[0].position, D3DXVECTOR3(11.0f, 0.0f, 0.0f));
    shot_test::ExpectPoint(launches[1].position, D3DXVECTOR3(11.0f, -3.0f, 2.0f));
    shot_test::ExpectPoint(launches[0].direction, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(launches[0].value, -1.0f);
    EXPECT_EQ(launches[0].owner, nullptr);
    EXPECT_EQ(launches[0].extra, 0);
}

TEST_F(ShotScript, ShotSpawnsNothingWithoutOwnerOrLevelOrWhileBlocked)
{
    Results("Shot('bolt', nil, 1, 0, 0)");
    level->shotsBlocked = true;
    Results("Shot('bolt', owner, 1, 0, 0)");
    level.reset();
    Results("Shot('bolt', owner, 1, 0, 0)");
    EXPECT_TRUE(Launches().empty());
    EXPECT_NE(ErrorOf("Shot(nil, owner, 1, 0, 0)"), "") << "the kind is required";
}

TEST_F(ShotScript, ExplosionsIgnoreTheBlock)
{
    level->shotsBlocked = true;
    Results("Explosion('bolt', 4, -5, 6) DirectionalExplosion('bolt', 1, 2, 3, 0, -1, 0.5)");
    const auto launches = Launches();
    ASSERT_EQ(launches.size(), 2u);
    shot_test::ExpectPoint(launches[0].position, D3DXVECTOR3(4.0f, -5.0f, 6.0f));
    shot_test::ExpectPoint(launches[0].direction, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    shot_test::ExpectPoint(launches[1].position, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    shot_test::ExpectPoint(launches[1].direction, D3DXVECTOR3(0.0f, -1.0f, 0.5f));
    EXPECT_EQ(launches[1].value, -1.0f);
}

// A level whose branch tree holds a wall at (60, 0, 0), a box of half
// extents (1, 2, 3) around a point 0.5 above it; the player's car, another
// such box, stands on the way at (20, 0, 0).
class RayScript : public level_test::LevelObjectTest {
protected:
    RayScript() : log("ray_script.log"), scripts(log)
    {
        WriteBoxObject("box", 1);
        wall = Place("box", "wall", D3DXVECTOR3(60.0f, 0.0f, 0.0f));
        level.reset(new CPLevel());
        level->branchTree = new CPLevelBranch();
        level->branchTree->SetObjects({wall});
        level->branchTree->Build();
        level->player = Place("box", "player", D3DXVECTOR3(20.0f, 0.0f, 0.0f));
        lua_pushlightuserdata(scripts.GetState(), static_cast<IPObject*>(wall.Get()));
        lua_setglobal(scripts.GetState(), "wall");
        lua_pushlightuserdata(scripts.GetState(), nullptr);
        lua_setglobal(scripts.GetState(), "null");
    }

    // The level camera's first view from the eye to the target, z up.
    void LookFrom(const D3DXVECTOR3& eye, const D3DXVECTOR3& target)
    {
        level->camera = new CPCamera();
        RefPtr<CPPerspectiveCamera> view = level->camera->GetFirstView();
        view->SetFieldOfView(1.0f);
        view->SetNearPlane(1.0f);
        view->SetFarPlane(1000.0f);
        view->SetEye(eye);
        view->SetTarget(target);
        view->SetUp(D3DXVECTOR3(0.0f, 0.0f, 1.0f));
        view->UpdateMatrices();
    }

    Texts Run(const std::string& code) { return ChunkResults(scripts.GetState(), code); }

    GameLog log;
    ScriptHost scripts;
    RefPtr<CPGameObject> wall;
    std::unique_ptr<CPLevel> level;
};

struct PlayerRayCase {
    const char* direction;
    const char* clear;
    std::vector<double> results;
};

TEST_F(RayScript, CrossPlayerRayAnswersWhetherTheRayIsClearAndHowFarItReaches)
{
    const PlayerRayCase cases[] = {
        {"100, 0, 0", "false", {1, 0, 0}},
        {"30, 0, 0", "true", {30, 0, 0}},
        {"0, 30, 40", "true", {0, 30, 40}},
        {"58.9, 0, 0", "true", {58.9, 0, 0}},
        {"59.1, 0, 0", "false", {1, 0, 0}},
        {"0, 0, 0", "true", {0, 0, 0}},
        {"0, 0.0009, 0", "true", {0, 0, 0}},
        {"0, 0.0011, 0", "true", {0, 0.0011, 0}},
    };
    for (const PlayerRayCase& c : cases) {
        const Texts results = Run(std::string("return CrossPlayerRay(0, 0, 1, ") + c.direction + ")");
        ASSERT_EQ(results.size(), 4u) << c.direction;
        EXPECT_EQ(results[0], c.clear) << c.direction;
        ExpectNumbers(results, 1, c.results);
    }
    level.reset();
    const Texts results = Run("return CrossPlayerRay(0, 0, 1, 30, 0, 0)");
    EXPECT_EQ(results[0], "false") << "without a level";
    ExpectNumbers(results, 1, {1, 0, 0});
}

TEST_F(RayScript, CrossInterfaceRayCastsFromTheEyeThroughTheScreenPoint)
{
    LookFrom(D3DXVECTOR3(40.0f, -10.0f, 20.0f), D3DXVECTOR3(60.0f, 0.0f, 0.5f));
    Texts results = Run("local hit, object, x, y, z = CrossInterfaceRay(0.5, 0.5) return hit, object == wall, x, y, z");
    ASSERT_EQ(results.size(), 5u);
    EXPECT_EQ(results[0], "true");
    EXPECT_EQ(results[1], "true");
    // Where the line from the eye through the target meets z = 0.
    ExpectNumbers(results, 2, {40.0 + 20.0 * 20.0 / 19.5, -10.0 + 10.0 * 20.0 / 19.5, 0.0});

    results = Run("local hit, object = CrossInterfaceRay(1, 0) return hit, object == null");
    EXPECT_EQ(results, Texts({"false", "true"}));

    // Looking over the wall: the ray below the screen's middle meets it,
    // the one above passes over.
    LookFrom(D3DXVECTOR3(40.0f, -10.0f, 20.0f), D3DXVECTOR3(60.0f, 0.0f, 10.0f));
    results = Run("local below, object = CrossInterfaceRay(0.5, 0.75) "
                  "return below, object == wall, (CrossInterfaceRay(0.5, 0.5)), (CrossInterfaceRay(0.5, 0.25))");
    EXPECT_EQ(results, Texts({"true", "true", "false", "false"}));

    level.reset();
    EXPECT_EQ(Run("local hit, object, x, y, z = CrossInterfaceRay(0.5, 0.5) return hit, object == null, x, y, z"),
              Texts({"false", "true", "0", "0", "0"}));
}

class GameDataScript : public ScriptTest {
protected:
    GameDataScript() { g_pGameData = &data; }
    ~GameDataScript() override
    {
        g_pGameData = nullptr;
        g_enemyData.clear();
    }

    CPGameData data;
};

TEST_F(GameDataScript, GetEnemyDataAnswersTheFieldsInTheScriptsOrder)
{
    EnemyDataEntry tank = {1.5f, 2.25f, "first", "second", "third"};
    g_enemyData["tank"] = tank;
    EXPECT_EQ(Results("return GetEnemyData('tank')"), Texts({"1.5", "second", "2.25", "first", "third"}));
    EXPECT_EQ(Results("return GetEnemyData('drone')"), Texts({"0", "", "0", "", ""}));
    EXPECT_EQ(g_enemyData.count("drone"), 1u) << "a kind asked for is entered";
    EXPECT_NE(ErrorOf("GetEnemyData()"), "");
}

TEST_F(GameDataScript, SetLevelTransportCountTruncatesTheCount)
{
    Results("SetLevelTransportCount(2.9)");
    EXPECT_EQ(data.trafficCount, 2);
    Results("SetLevelTransportCount(-1.9)");
    EXPECT_EQ(data.trafficCount, -1);
}

} // namespace
