#include "CarTestSupport.h"

#include "Render/PRenderObject.h"
#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "Sound/tests/RecordingDirectSound.h"
#include "Sound/tests/WaveFixtures.h"
#include "core/Settings.h"

#include <cstdlib>

using namespace car_test;
using sounddouble::RecordingBuffer;
using sounddouble::RecordingDirectSound;

namespace {

const DWORD kRate = 22050;
const char* const kPlayLooped = "Play 0 0 1";
const char* const kPlayOnce = "Play 0 0 0";

class RaceStateStub : public IPRaceState {
public:
    bool started = false;
    CPGameObject* player = nullptr;
    bool IsLevelStarted() override { return started; }
    CPGameObject* GetPlayerObject() override { return player; }
};

// A car object that counts how often its collision flag was raised.
class FlaggedCar : public CPGameObject, public IPCollisionFlag {
public:
    FlaggedCar() : CPGameObject("car") {}
    void RaiseCollisionFlag() override { ++raised; }
    int raised = 0;
};

RecordingBuffer& BufferOf(CNSound* sound)
{
    return *static_cast<RecordingBuffer*>(sound->GetBuffer());
}

int PlaysOf(CNSound* sound)
{
    const RecordingBuffer& buffer = BufferOf(sound);
    return buffer.CountCalls(kPlayLooped) + buffer.CountCalls(kPlayOnce);
}

float TotalDust(CPCar& car)
{
    float dust = 0.0f;
    for (int wheel = 0; wheel < car.GetWheelCount(); ++wheel) dust += car.GetDustCount(wheel);
    return dust;
}

// Cars in a published world with the published sound manager over the
// recording DirectSound device; the car sounds are tiny waves written into
// "Data\Sounds". Every car made is destroyed at the end, so its own sounds
// go before the device does.
class CarEffects : public CarWorldFixture {
protected:
    CarEffects() : m_cache(&device), m_manager(&m_cache) {}

    void SetUp() override
    {
        CarWorldFixture::SetUp();
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Sounds", nullptr);
        for (const char* name : {"main.wav", "vizg.wav", "nitro.wav"}) {
            wavefixture::WriteFile(std::string("Data\\Sounds\\") + name,
                                   wavefixture::Wave(1, kRate, 16, "abcdefgh"));
        }
        m_previousManager = g_pSoundManager;
        g_pSoundManager = &m_manager;
        m_previousDust = g_dust;
        g_dust = 1;
        world.SetRaceState(&race);
    }
    void TearDown() override
    {
        world.Reset();
        for (RefPtr<CPGameObject>& object : m_cars) {
            CPCar* car = object->GetCar().Get();
            object->SetCar(nullptr);
            delete car;
        }
        g_pSoundManager = m_previousManager;
        g_dust = m_previousDust;
        CarWorldFixture::TearDown();
    }

    RefPtr<CPGameObject> Car(const D3DXVECTOR3& position, bool withSounds)
    {
        m_cars.push_back(AddCar(CarSetup(), position, 0.0f, withSounds));
        return m_cars.back();
    }

    // The one car of a test, at the middle of a wide flat road.
    RefPtr<CPGameObject> CarOnRoad(bool withSounds)
    {
        BuildRoad(RoadMesh::Plane(300.0f, 20.0f));
        return Car(D3DXVECTOR3(0, 0, 1.0f), withSounds);
    }

    RecordingDirectSound device;
    RaceStateStub race;

private:
    CPSoundCache m_cache;
    CPSoundManager m_manager;
    CPSoundManager* m_previousManager = nullptr;
    int m_previousDust = 0;
    std::vector<RefPtr<CPGameObject>> m_cars;
};

// The angle from the nose to the velocity, positive toward the car's +x
// side: with positive steering that is the outside of the bend, where the
// velocity points once the rear swings out.
float SideSlip(CPRigidBody& body)
{
    const D3DXVECTOR3& velocity = body.GetVelocity();
    return std::atan2(Dot(velocity, body.GetRotation().column[0]), -Dot(velocity, body.GetRotation().column[1]));
}

}  // namespace

TEST_F(CarEffects, EngineLoopsOnceTheLevelStartsWithItsFrequencyFollowingThePitch)
{
    RefPtr<CPGameObject> object = CarOnRoad(true);
    CPCar& car = *object->GetCar();
    RunFrames(120);
    RecordingBuffer& engine = BufferOf(car.GetEngineSound());
    EXPECT_EQ(PlaysOf(car.GetEngineSound()), 0) << "silent before the level starts";

    race.started = true;
    const int idleFrames = 30;
    for (int frame = 0; frame < idleFrames + 60; ++frame) {
        world.SetCarControls(object.Get(), frame < idleFrames ? 0.0f : 1.0f, 0.0f);
        RunFrames(1);
        EXPECT_EQ(engine.frequency, static_cast<DWORD>(static_cast<float>(kRate) * car.GetEnginePitch())) << frame;
        if (frame == idleFrames - 1) {
            // Standing, the pitch closes on 0.5 by a twelfth of the gap each frame.
            EXPECT_NEAR(car.GetEnginePitch(), 0.5f * (1.0f - std::pow(1.0f - 5.0f * kFrame, idleFrames)), 2e-3f);
        }
    }
    EXPECT_GT(car.GetEnginePitch(), 0.6f) << "the pitch rises with the speed";
    EXPECT_EQ(engine.CountCalls(kPlayLooped), 1);
    EXPECT_EQ(engine.CountCalls(kPlayOnce), 0);
}

TEST_F(CarEffects, NitroPlaysOnceAndItsStockLastsFourSeconds)
{
    RefPtr<CPGameObject> object = CarOnRoad(true);
    CPCar& car = *object->GetCar();
    race.started = true;
    car.SetNitro(1.0f);
    RunFrames(239);
    EXPECT_GT(car.GetNitroStock(), 0.0f);
    EXPECT_EQ(car.GetNitro(), 1.0f);
    RunFrames(2);
    EXPECT_EQ(car.GetNitroStock(), 0.0f);
    EXPECT_EQ(car.GetNitro(), 0.0f);
    const RecordingBuffer& nitro = BufferOf(car.GetNitroSound());
    EXPECT_EQ(nitro.CountCalls(kPlayOnce), 1);
    EXPECT_EQ(nitro.CountCalls("SetCurrentPosition 0"), 2) << "rewound once on loading, once to play";
}

TEST_F(CarEffects, BrakingInAFastTurnSwingsTheRearOutWithDustAndSkid)
{
    // Two cars far apart hold the same steady bend at 16 m/s; one brakes.
    const float steering = 0.15f;
    BuildRoad(RoadMesh::Plane(300.0f, 20.0f));
    RefPtr<CPGameObject> cars[2] = {Car(D3DXVECTOR3(0, -200, 1.0f), true), Car(D3DXVECTOR3(0, 100, 1.0f), true)};
    RunFrames(120);
    for (int frame = 0; frame < 240; ++frame) {
        for (RefPtr<CPGameObject>& car : cars) {
            world.SetCarControls(car.Get(), ForwardSpeed(*car) < 16.0f ? 1.0f : 0.0f, steering);
        }
        RunFrames(1);
    }
    float slipBefore[2], yawBefore[2];
    for (int i = 0; i < 2; ++i) {
        slipBefore[i] = SideSlip(BodyOf(*cars[i]));
        yawBefore[i] = std::fabs(BodyOf(*cars[i]).GetAngularVelocity().z);
        world.SetCarControls(cars[i].Get(), 0.0f, steering);
    }
    cars[1]->GetCar()->SetBrake(true);
    RunFrames(60);

    struct Expected {
        const char* car;
        float minSlipGain, maxSlipGain, minYawGain, maxYawGain;
        bool dust;
        int skids;
    };
    const Expected expected[2] = {{"rolling", -0.02f, 0.02f, 0.95f, 1.05f, false, 0},
                                  {"braking", 0.2f, 1.0f, 1.5f, 4.0f, true, 1}};
    for (int i = 0; i < 2; ++i) {
        const Expected& e = expected[i];
        CPRigidBody& body = BodyOf(*cars[i]);
        const float slipGain = SideSlip(body) - slipBefore[i];
        const float yawGain = std::fabs(body.GetAngularVelocity().z) / yawBefore[i];
        EXPECT_GT(slipGain, e.minSlipGain) << e.car;
        EXPECT_LT(slipGain, e.maxSlipGain) << e.car;
        EXPECT_GT(yawGain, e.minYawGain) << e.car;
        EXPECT_LT(yawGain, e.maxYawGain) << e.car;
        EXPECT_EQ(TotalDust(*cars[i]->GetCar()) > 0.0f, e.dust) << e.car;
        EXPECT_EQ(BufferOf(cars[i]->GetCar()->GetSkidSound()).CountCalls(kPlayOnce), e.skids) << e.car;
    }
}

TEST_F(CarEffects, CarWithoutSoundsLoadsAndPlaysNone)
{
    RefPtr<CPGameObject> object = CarOnRoad(false);
    CPCar& car = *object->GetCar();
    race.started = true;
    car.SetNitro(1.0f);
    for (int frame = 0; frame < 120; ++frame) {
        world.SetCarControls(object.Get(), 1.0f, 0.5f);
        RunFrames(1);
    }
    car.SetBrake(true);
    RunFrames(60);
    EXPECT_GT(TotalDust(car), 0.0f) << "dust still rises";
    EXPECT_FALSE(car.HasSounds());
    EXPECT_EQ(car.GetEngineSound(), nullptr);
    EXPECT_TRUE(device.descriptions.empty());
}

TEST_F(CarEffects, DestroyingACarFreesItsOwnSoundsButNotTheSharedNitro)
{
    RefPtr<CPGameObject> object = CarOnRoad(true);
    CPCar* car = object->GetCar().Get();
    RecordingBuffer& engine = BufferOf(car->GetEngineSound());
    RecordingBuffer& skid = BufferOf(car->GetSkidSound());
    RecordingBuffer& nitro = BufferOf(car->GetNitroSound());
    world.Reset();
    object->SetCar(nullptr);
    delete car;
    EXPECT_EQ(engine.releases, 1);
    EXPECT_EQ(skid.releases, 1);
    EXPECT_EQ(nitro.releases, 0);
}

TEST_F(CarEffects, ExhaustPartsUnderGlassStretchWithTheNitroOnceTheLevelStarts)
{
    // Seeded with 10000 the runtime's first random number is 32694, so the
    // flicker r is 32694 / 32767 = 0.997772. One frame of nitro first burns
    // 25 / 60 of the stock: 100 becomes 99.583333 and 40 becomes 39.583333.
    // The flame is then (stock x 0.01 x r + 1) x 0.455 with nitro; without
    // nitro it is 0.728 x stock / 100, and an empty stock puts the nitro
    // out. The last shift value is -(flame x nitro) - 0.09.
    struct Case {
        float stock, nitro;
        bool started;
        float shift;
    };
    const Case cases[] = {{100.0f, 1.0f, true, -(0.907095f * 1.0f) - 0.09f},
                          {40.0f, 0.5f, true, -(0.634703f * 0.5f) - 0.09f},
                          {60.0f, 0.0f, true, -0.09f},
                          {0.0f, 1.0f, true, -0.09f},
                          {100.0f, 1.0f, false, 1.0f}};
    RefPtr<CPGameObject> object = CarOnRoad(false);
    RunFrames(120);
    RefPtr<CPGameObject> glass = object->GetChildByName("glass");
    std::vector<RefPtr<CPGameObject>> flames;
    for (int i = 0; i < 2; ++i) {
        flames.push_back(RefPtr<CPGameObject>(new CPGameObject("flame" + std::to_string(i))));
        flames.back()->SetComponent(CPGameObject::kKindMesh, RefPtr<IPObject>(new CPRenderObject(flames.back().Get())));
        glass->AddChild(flames.back());
    }
    glass->AddChild(RefPtr<CPGameObject>(new CPGameObject("no mesh")));
    CPCar& car = *object->GetCar();
    for (const Case& c : cases) {
        for (RefPtr<CPGameObject>& flame : flames) flame->GetRenderObject()->SetShiftVector(D3DXVECTOR4(1, 1, 1, 1));
        race.started = c.started;
        car.SetNitroStock(c.stock);
        car.SetNitro(c.nitro);
        srand(10000);
        RunFrames(1);
        const D3DXVECTOR4 shift = c.started ? D3DXVECTOR4(0, 0, 0, c.shift) : D3DXVECTOR4(1, 1, 1, 1);
        for (RefPtr<CPGameObject>& part : flames) {
            const D3DXVECTOR4& got = part->GetRenderObject()->GetShiftVector();
            EXPECT_EQ(got.x, shift.x) << c.stock << " " << c.nitro;
            EXPECT_EQ(got.y, shift.y);
            EXPECT_EQ(got.z, shift.z);
            EXPECT_NEAR(got.w, shift.w, 1e-5f) << c.stock << " " << c.nitro << " started " << c.started;
        }
    }
}

namespace {

enum Player { kNoPlayer, kPlayerIsA, kPlayerIsB };

struct ImpactCase {
    const char* name;
    int materialA, materialB;
    bool withB;
    D3DXVECTOR3 normal;
    float relativeSpeed;
    float speedA, speedB;
    Player player;
    float frameTime;
    int frames, callsPerFrame;
    // Expected, summed over every call.
    int flagsA, flagsB;
    float damageA, damageB;
    int sparks, slams;
};

// Two cars at (0, 0, 1) and (10, 0, 1), each with one damage zone around
// its origin and a rigid body; the contact points lie 1 along +x from each.
class CarImpacts : public CarEffects, public ::testing::WithParamInterface<ImpactCase> {
protected:
    RefPtr<FlaggedCar> ImpactCar(const D3DXVECTOR3& position, float speed)
    {
        RefPtr<FlaggedCar> car(new FlaggedCar());
        RefPtr<CPPhysicData> data(new CPPhysicData(car.Get()));
        const float origin[3] = {0, 0, 0};
        const float identity[4] = {0, 0, 0, 1};
        data->SetBodyParams(0.6f, 2.0f, 4.0f, 10.0f);
        data->AddBox(origin, identity, 2.0f, 0.6f, 4.0f, 10.0f);
        car->SetPhysicData(data);
        CPRenderObject* render = new CPRenderObject(car.Get());
        Vertex48 vertex = {};
        render->GetLocalVertices().push_back(vertex);
        car->SetComponent(CPGameObject::kKindMesh, RefPtr<IPObject>(render));
        render->BuildDamageZones();
        car->SetPosition(position.x, position.y, position.z);
        car->UpdateTransform();
        render->UpdateWorldVertices();
        world.AddObject(RefPtr<CPGameObject>(car.Get()), 0, 1);
        BodyOf(*car).SetVelocity(D3DXVECTOR3(0, -speed, 0));
        return car;
    }

    static float DamageOf(CPGameObject& car) { return car.GetRenderObject()->GetDamageZones()[0].damage; }
};

TEST_P(CarImpacts, DamageSparksSlamAndFlagsFollowTheMaterialsAndTheFrameTime)
{
    const ImpactCase& c = GetParam();
    const int previousSystems = g_psystems;
    g_psystems = 30;
    BuildRoad(RoadMesh::Plane(20.0f));
    RefPtr<FlaggedCar> a = ImpactCar(D3DXVECTOR3(0, 0, 1), c.speedA);
    RefPtr<FlaggedCar> b = ImpactCar(D3DXVECTOR3(10, 0, 1), c.speedB);
    wavefixture::WriteFile("Data\\Sounds\\slam.wav", wavefixture::Wave(1, kRate, 16, "abcdefgh"));
    RefPtr<CNSound> slam;
    g_pSoundManager->LoadSound(slam, "slam.wav", CNSound::kPlain, true);
    g_pSoundManager->GetNamedSounds()["slam"] = slam;
    race.player = c.player == kPlayerIsA ? a.Get() : (c.player == kPlayerIsB ? b.Get() : nullptr);

    CollisionInfo info = {};
    info.bodyA = &BodyOf(*a);
    info.bodyB = c.withB ? &BodyOf(*b) : nullptr;
    info.materialA = c.materialA;
    info.materialB = c.materialB;
    info.worldContactA = D3DXVECTOR4(1, 0, 1, 1);
    info.worldContactB = D3DXVECTOR4(11, 0, 1, 1);
    info.relativeVelocity = D3DXVECTOR4(0, 0.6f * c.relativeSpeed, -0.8f * c.relativeSpeed, 0);
    info.normal = D3DXVECTOR4(c.normal.x, c.normal.y, c.normal.z, 0);
    FrameDeltaTime = c.frameTime;
    for (int frame = 0; frame < c.frames; ++frame) {
        ++FrameNumber;
        for (int call = 0; call < c.callsPerFrame; ++call) CPCarWorld::CollisionCallback(info);
    }
    EXPECT_EQ(a->raised, c.flagsA);
    EXPECT_EQ(b->raised, c.flagsB);
    EXPECT_NEAR(DamageOf(*a), c.damageA, 1e-5f);
    EXPECT_NEAR(DamageOf(*b), c.damageB, 1e-5f);
    EXPECT_EQ(world.GetLiveParticleCount(), c.sparks);
    EXPECT_EQ(PlaysOf(slam.Get()), c.slams);
    race.player = nullptr;
    g_pSoundManager->GetNamedSounds().erase("slam");
    g_psystems = previousSystems;
}

const D3DXVECTOR3 kSideways(0.6f, 0.8f, 0);
const D3DXVECTOR3 kUp(0, 0, 1);

// Against the world the damage is 0.008 per unit of speed and the sparks
// number 30 x that / 2, truncated (12 m/s: 0.096 and 1); car against car
// it is 0.08 per unit on both, and 30 sparks once more than 0.038 s of
// frame time has gathered since the last.
INSTANTIATE_TEST_SUITE_P(
    Impacts, CarImpacts,
    ::testing::Values(
        ImpactCase{"CarHitsAWall", 1, 0, false, kSideways, 12, 5, 0, kPlayerIsA, kFrame, 1, 1, 1, 0, 0.096f, 0, 1, 1},
        ImpactCase{"NotThePlayersCarHitsAWall", 1, 0, false, kSideways, 12, 5, 0, kPlayerIsB, kFrame, 1, 1, 1, 0,
                   0.096f, 0, 1, 0},
        ImpactCase{"CarLandsOnTheRoad", 1, 0, false, kUp, 12, 5, 0, kNoPlayer, kFrame, 1, 1, 0, 0, 0.096f, 0, 1, 0},
        ImpactCase{"CarTouchesARoofAbove", 1, 0, false, -kUp, 30, 5, 0, kNoPlayer, kFrame, 1, 1, 0, 0, 0.24f, 0, 3,
                   0},
        ImpactCase{"NormalOfNoLength", 1, 0, false, D3DXVECTOR3(0, 0, 0), 12, 5, 0, kNoPlayer, kFrame, 1, 1, 1, 0,
                   0.096f, 0, 1, 0},
        ImpactCase{"SlowTouchMakesNoSpark", 1, 0, false, kSideways, 4, 5, 0, kNoPlayer, kFrame, 1, 1, 1, 0, 0.032f, 0,
                   0, 0},
        ImpactCase{"WorldFromBelow", 0, 1, true, kSideways, 12, 5, 0, kPlayerIsA, kFrame, 1, 1, 0, 0, 0, 0, 0, 0},
        ImpactCase{"CarAgainstAnotherMaterial", 1, 2, true, kSideways, 12, 5, 0, kPlayerIsA, kFrame, 1, 1, 0, 0, 0, 0,
                   0, 0},
        ImpactCase{"FasterCarAIsThePlayer", 1, 1, true, kSideways, 2, 5, 3, kPlayerIsA, 0.04f, 1, 1, 1, 1, 0.16f,
                   0.16f, 30, 1},
        ImpactCase{"FasterCarBIsThePlayer", 1, 1, true, kSideways, 2, 3, 5, kPlayerIsB, 0.04f, 1, 1, 1, 1, 0.16f,
                   0.16f, 30, 1},
        ImpactCase{"SlowerCarIsThePlayer", 1, 1, true, kSideways, 2, 3, 5, kPlayerIsA, 0.04f, 1, 1, 1, 1, 0.16f,
                   0.16f, 30, 0},
        ImpactCase{"ExactlyTheEffectTime", 1, 1, true, kSideways, 2, 5, 3, kPlayerIsA, 0.038f, 1, 1, 1, 1, 0.16f,
                   0.16f, 0, 0},
        ImpactCase{"TwoContactsInOneFrame", 1, 1, true, kSideways, 2, 5, 3, kPlayerIsA, 0.04f, 1, 2, 2, 2, 0.32f,
                   0.32f, 30, 1},
        ImpactCase{"TimeGathersOverFrames", 1, 1, true, kSideways, 2, 5, 3, kPlayerIsA, 0.02f, 2, 1, 2, 2, 0.32f,
                   0.32f, 30, 1},
        ImpactCase{"ThreeFramesOfTimeAfterASpark", 1, 1, true, kSideways, 2, 5, 3, kPlayerIsA, 0.02f, 3, 1, 3, 3,
                   0.48f, 0.48f, 30, 1}),
    [](const ::testing::TestParamInfo<ImpactCase>& info) { return std::string(info.param.name); });

}  // namespace
