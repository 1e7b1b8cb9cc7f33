#include "script/tests/ScriptTest.h"

#include "Render/PAVIPlayer.h"
#include "Render/PAVIPlayer1.h"
#include "Render/PIVBlock.h"
#include "Render/PRenderQueue.h"
#include "Render/tests/FixedDrawable.h"
#include "Render/tests/TinyAvi.h"
#include "Render/tests/VideoPlaybackSetup.h"
#include "Sound/PMusic.h"
#include "Sound/tests/RecordingFilterGraph.h"
#include "core/Settings.h"
#include "core/tests/FileTestSupport.h"
#include "game/ItemsFile.h"
#include "game/PGameData.h"
#include "game/PPlayer.h"
#include "physics/tests/CarTestSupport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A weapon of the first race and one that only the difficult setting
// offers there.
const char kItems[] = "[weapons]\n"
                      "gun,100,1,2,3,4,5,6,7,8,gun_desc,41,0,0,1\n"
                      "laser,200,1,2,3,4,5,6,7,8,laser_desc,42,0,0,15\n";
// Three weapon slots, mine, armour, bumper, engine, super weapon and its
// count, two equipment slots.
const char kPlayerData[] = "gun\nnone\nnone\nnone\nnone\nnone\nnone\nnone\n2\nnone\nnone\n";
// Read in the order A, C, B, D: damage to the player's car counts twice.
const char kCoefficients[] = "0.5\n2\n3\n4\n";
const char* const kPlayerDataPath = "DATA\\player.dat";
const char* const kCoefficientsPath = "DATA\\coeff.dat";
const float kFullLife = 100.0f;
const int kMaxFade = 200;
const int kScreenWidth = 1280;

sounddouble::RecordingFilterGraph* s_graph = nullptr;

HRESULT HandOutGraph(IGraphBuilder** graph)
{
    *graph = s_graph;
    return S_OK;
}

class ScriptCallEffects;

struct EffectCase {
    const char* name;
    const char* code;
    // The chunk's results through "tostring", joined with "|".
    const char* results;
    void (*check)(ScriptCallEffects& test);
};

// What the calls act on: the game data with its shop, the player's
// defaults and coefficients on file, a tipped car of the car world, the
// renderer with a frame queue, the music player over a recording graph and
// both video players with a generated video, a shelf holding a box.
class ScriptCallEffects : public ScriptTest, public testing::WithParamInterface<EffectCase> {
public:
    ScriptCallEffects()
        : queue(nullptr), music(HandOutGraph), m_previousWorld(g_pCarWorld), m_camSpeed(g_cam_speed),
          m_screenWidth(g_screenWidth)
    {
        std::vector<DataProblem> problems;
        ReadItemsFile(kItems, sizeof(kItems) - 1, data, problems);
        EXPECT_TRUE(problems.empty());
        data.currentRace = 1;
        g_pGameData = &data;
        WriteFileBytes(kPlayerDataPath, kPlayerData);
        WriteFileBytes(kCoefficientsPath, kCoefficients);
        g_screenWidth = kScreenWidth;

        s_graph = &graph;
        g_pMusic = &music;
        video.render.SetMaxFade(kMaxFade);
        video.render.SetRenderQueue(&queue);
        TinyAvi avi(4, 2, 10);
        avi.AddFrame(std::vector<uint32_t>(8, 0x336699));
        EXPECT_TRUE(avi.Write("Data\\Video\\hud.avi"));
        g_pVideoPlayer = &player;
        g_pVideoPlayer1 = &player1;

        PlaceTippedCar();
        shelf.SetComponent(CPGameObject::kKindMesh, &shelfMesh);
        box.SetComponent(CPGameObject::kKindMesh, &boxMesh);
        shelf.AddChild(&box);
        SetGlobalHandle("car", static_cast<IPObject*>(&car));
        SetGlobalHandle("shelf", static_cast<IPObject*>(&shelf));
    }
    ~ScriptCallEffects() override
    {
        tasks.GetTasks().clear();
        queue.ClearFrame();
        video.render.SetRenderQueue(nullptr);
        g_pVideoPlayer = nullptr;
        g_pVideoPlayer1 = nullptr;
        music.ReleaseGraph();
        g_pMusic = nullptr;
        s_graph = nullptr;
        world.Reset();
        if (CPCar* vehicle = car.GetCar().Get()) {
            car.SetCar(nullptr);
            delete vehicle;
        }
        g_pCarWorld = m_previousWorld;
        std::remove(kPlayerDataPath);
        std::remove(kCoefficientsPath);
        g_screenWidth = m_screenWidth;
        g_cam_speed = m_camSpeed;
        g_pGameData = nullptr;
    }

    std::string Weapons() { return Joined("local count, names = GetWeaponNames() return table.concat(names, ',')"); }

    // The life the car has left after a hit of 10.
    float LifeAfterAHitOfTen()
    {
        car.life = kFullLife;
        Results("DamagePlayer(car, 10)");
        return car.life;
    }

    bool IsListed(IPProcess* task) const { return tasks.IsListed(task); }

    size_t QueuedDrawables() const
    {
        CPIVBlock* block = queue.GetFrameBlock(nullptr);
        return block ? block->GetDrawables().size() : 0;
    }

    // The car's up axis, in the world.
    D3DXVECTOR3 CarUp()
    {
        D3DXMATRIX rotation;
        D3DXMatrixRotationQuaternion(&rotation, car.GetRotationRef());
        return D3DXVECTOR3(rotation._31, rotation._32, rotation._33);
    }

    CPGameData data;
    CPCarWorld world;
    CPPlayer car;
    VideoPlaybackSetup video;
    CPRenderQueue queue;
    sounddouble::RecordingFilterGraph graph;
    CPMusic music;
    CPVideoPlayer player;
    CPVideoPlayer1 player1;
    FixedDrawable shelfMesh{4, 6};
    FixedDrawable boxMesh{3, 3};
    // The box outlives the shelf, which holds it.
    CPGameObject box{"box"};
    CPGameObject shelf{"shelf"};

private:
    // A car of the world without gravity, rolled onto its side and moving.
    void PlaceTippedCar()
    {
        g_pCarWorld = &world;
        FrameDeltaTime = car_test::kFrame;
        world.CreateSimulator(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0, 0, 0);
        RefPtr<CPGameObject> object(&car);
        car_test::MakeCarObject(car_test::CarSetup(), D3DXVECTOR3(3, -2, 1), 0.0f, object);
        D3DXQUATERNION rolled;
        const D3DXVECTOR3 nose(0, 1, 0);
        D3DXQuaternionRotationAxis(&rolled, &nose, 1.5f);
        car.SetRotation(rolled.x, rolled.y, rolled.z, rolled.w);
        world.AddObject(object, 0, 1);
        world.CreateCar(object, false);
        world.RegisterCar(&car);
        car.GetPhysicData()->GetRigidBody()->SetVelocity(D3DXVECTOR3(4, 0, -2));
    }

    CPCarWorld* m_previousWorld;
    int m_camSpeed;
    int m_screenWidth;
};

TEST_P(ScriptCallEffects, ActAsTheGameSees)
{
    EXPECT_EQ(Joined(GetParam().code), GetParam().results);
    GetParam().check(*this);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ScriptCallEffects,
    testing::Values(
        // With the difficulty switch on, the difficult setting offers the
        // items of race 15 and drops the coefficients to 1.
        EffectCase{"SetDifficultWithTheSwitch", "SetDifficulty(1) SetDifficult(true) return GetDifficult()", "1",
                   [](ScriptCallEffects& t) {
                       EXPECT_EQ(t.Weapons(), "gun,laser");
                       EXPECT_EQ(t.LifeAfterAHitOfTen(), 90.0f);
                       EXPECT_EQ(t.data.coeffA, 1.0f);
                       EXPECT_EQ(t.data.coeffD, 1.0f);
                   }},
        EffectCase{"SetDifficultWithoutTheSwitch", "SetDifficulty(0) SetDifficult(1) return GetDifficult()", "1",
                   [](ScriptCallEffects& t) {
                       EXPECT_EQ(t.Weapons(), "gun,laser");
                       EXPECT_EQ(t.LifeAfterAHitOfTen(), 80.0f) << "the coefficients of the file";
                   }},
        EffectCase{"SetDifficultOff", "SetDifficulty(1) SetDifficult(false) return GetDifficult()", "0",
                   [](ScriptCallEffects& t) {
                       EXPECT_EQ(t.Weapons(), "gun");
                       EXPECT_EQ(t.LifeAfterAHitOfTen(), 80.0f);
                   }},
        EffectCase{"SetDifficultyTruncates", "SetDifficulty(-2.9) return GetDifficulty()", "true",
                   [](ScriptCallEffects&) { EXPECT_EQ(g_cam_speed, -2); }},
        EffectCase{"InitPlayer", "InitPlayer()", "",
                   [](ScriptCallEffects& t) {
                       EXPECT_EQ(t.data.editedSetup.weapons[0], "gun");
                       EXPECT_EQ(t.data.activeSetup.weapons[0], "gun");
                       EXPECT_EQ(t.data.activeSetup.mine, "");
                       EXPECT_EQ(t.data.activeSetup.superWeaponCount, 2);
                       EXPECT_EQ(t.data.coeffA, 0.5f);
                       EXPECT_EQ(t.data.coeffB, 3.0f);
                       EXPECT_EQ(t.data.coeffC, 2.0f);
                       EXPECT_EQ(t.data.coeffD, 4.0f);
                   }},
        EffectCase{"Spawn", "Spawn(car)", "",
                   [](ScriptCallEffects& t) {
                       EXPECT_NEAR(t.CarUp().z, 1.0f, 1e-5f) << "upright";
                       EXPECT_EQ(t.car.GetPhysicData()->GetRigidBody()->GetVelocity(), D3DXVECTOR3(0, 0, 0));
                       EXPECT_EQ(t.car.respawnCooldown, 1.0f);
                   }},
        EffectCase{"PlayVideo", "PlayVideo('hud.avi')", "",
                   [](ScriptCallEffects& t) {
                       EXPECT_TRUE(t.player.IsRunning());
                       EXPECT_FALSE(t.player.IsSilent());
                       EXPECT_EQ(t.player.GetPriority(), 400);
                       EXPECT_TRUE(t.IsListed(&t.player));
                       EXPECT_FALSE(t.IsListed(&t.player1));
                   }},
        EffectCase{"PlayVideo1", "PlayVideo1('hud.avi')", "",
                   [](ScriptCallEffects& t) {
                       EXPECT_TRUE(t.player1.IsRunning());
                       EXPECT_EQ(t.player1.GetPriority(), 400);
                       EXPECT_TRUE(t.IsListed(&t.player1));
                       EXPECT_FALSE(t.IsListed(&t.player));
                   }},
        EffectCase{"DrawDynamicObject", "DrawDynamicObject(shelf)", "",
                   [](ScriptCallEffects& t) { EXPECT_EQ(t.QueuedDrawables(), 2u) << "the shelf and its box"; }},
        EffectCase{"Release", "AddRef(shelf) AddRef(shelf) Release(shelf)", "",
                   [](ScriptCallEffects& t) { EXPECT_EQ(t.shelf.GetRefCount(), 0) << "released, not destroyed"; }},
        EffectCase{"SetFade", "SetFade(0.25)", "",
                   [](ScriptCallEffects& t) { EXPECT_EQ(t.video.render.GetFade(), 0.25f * kMaxFade); }},
        EffectCase{"PlayMusicLoops", "PlayMusic('dusk.ogg')", "",
                   [](ScriptCallEffects& t) {
                       ASSERT_FALSE(t.graph.calls.empty());
                       EXPECT_EQ(t.graph.calls.front(), "RenderFile Data\\Music\\dusk.ogg");
                       EXPECT_TRUE(t.music.IsRunning());
                       t.graph.calls.clear();
                       t.graph.pendingEvents.push_back(EC_COMPLETE);
                       t.music.Execute();
                       EXPECT_TRUE(t.music.IsRunning()) << "the end starts it again";
                       EXPECT_EQ(t.graph.CountCalls("Stop"), 0);
                   }},
        EffectCase{"StopPlayingMusic", "PlayMusic('dusk.ogg') StopPlayingMusic()", "",
                   [](ScriptCallEffects& t) {
                       EXPECT_FALSE(t.music.IsRunning());
                       EXPECT_EQ(t.graph.calls.back(), "Stop");
                   }},
        EffectCase{"GetCurrentResolution", "return GetCurrentResolution()", "1280", [](ScriptCallEffects&) {}},
        EffectCase{"SetLightCoeff", "SetLightCoeff(0.75)", "",
                   [](ScriptCallEffects& t) { EXPECT_EQ(t.video.render.GetLightCoeff(), 0.75f); }},
        EffectCase{"SetRadialBlur", "SetRadialBlur(0.375)", "",
                   [](ScriptCallEffects& t) { EXPECT_EQ(t.video.render.GetRadialBlur(), 0.375f); }}),
    [](const testing::TestParamInfo<EffectCase>& info) { return info.param.name; });

} // namespace
