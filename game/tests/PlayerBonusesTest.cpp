#include "game/PPlayer.h"

#include "Render/PRender.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/ShadowMatrix.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"
#include "game/tests/ShotTestSupport.h"
#include "physics/PCar.h"
#include "physics/PPhysicData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using gameobject_test::Receiver;
using shot_test::RecordingShot;

namespace {

typedef std::vector<std::string> Texts;

// The car's box has three different half extents; every bonus box is a
// unit cube unless a test says otherwise.
const D3DXVECTOR3 kCarHalf(1.0f, 2.0f, 0.5f);
const D3DXVECTOR3 kCarAt(10.0f, -4.0f, 1.0f);
const D3DXVECTOR3 kUnitHalf(1.0f, 1.0f, 1.0f);
const float kStartDamage = 50.0f;

void Shape(CPGameObject& object, const D3DXVECTOR3& at, const D3DXVECTOR3& half)
{
    object.SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), half));
    object.SetPosition(at.x, at.y, at.z);
    object.UpdateTransform();
}

// A running level with its race timer on, the game data with its bonus
// list, the bus with "game_interface" and "main", the shot spawner with a
// recording template for every explosion the bonuses show, and a car with
// a body of mass 2 moving at speed 5.
class Bonuses : public testing::Test {
protected:
    Bonuses()
        : m_savedBus(g_pCommandManager), m_savedData(g_pGameData), m_savedSpawner(g_pShotSpawner),
          m_savedTime(FullTime), m_savedShadow(g_shadowMatrix)
    {
        // Boxes grow by their shadow: none here, whatever an earlier test left.
        D3DXMatrixIdentity(&g_shadowMatrix);
        g_pCommandManager = &bus;
        g_pGameData = &data;
        g_pShotSpawner = &spawner;
        FullTime = 100.0;
        for (Receiver* receiver : {&gameInterface, &main}) receiver->Start();
        bus.RegisterReceiver("game_interface", &gameInterface);
        bus.RegisterReceiver("main", &main);
        for (const char* kind : {"sparks4", "sparks4red", "sparks4_remont", "sparks4_gloom"})
            spawner.AddTemplate(std::unique_ptr<CPShot>(new RecordingShot(kind)));
        level.raceTimerOn = true;
        data.abilityLimit = 3;
        player.damage = kStartDamage;
        player.SetCar(&car);
        physics.SetRigidBody(&body);
        player.SetPhysicData(&physics);
        body.SetMass(2.0f);
        car.SetVelocity(D3DXVECTOR4(3.0f, 4.0f, 0.0f, 0.0f));
        Shape(player, kCarAt, kCarHalf);
    }
    ~Bonuses() override
    {
        data.bonusList.clear();
        player.SetCar(nullptr);
        physics.SetRigidBody(nullptr);
        player.SetPhysicData(nullptr);
        g_pCommandManager = m_savedBus;
        g_pGameData = m_savedData;
        g_pShotSpawner = m_savedSpawner;
        FullTime = m_savedTime;
        g_shadowMatrix = m_savedShadow;
    }

    // A bonus named name, with a child of that name when child is given,
    // at the offset from the car, entered in the bonus list.
    CPGameObject* AddBonus(const std::string& name, const char* child, const D3DXVECTOR3& offset,
                           const D3DXVECTOR3& half = kUnitHalf)
    {
        objects.push_back(std::make_unique<CPGameObject>(name));
        CPGameObject* bonus = objects.back().get();
        if (child) {
            objects.push_back(std::make_unique<CPGameObject>(child));
            bonus->AddChild(objects.back().get());
        }
        Shape(*bonus, kCarAt + offset, half);
        BonusEntry entry;
        entry.object = bonus;
        data.bonusList.push_back(entry);
        return bonus;
    }
    // Whether the bonus acted on the car: a pick-up taken, or a push,
    // throw, blast or stun.
    bool Acted(size_t listBefore)
    {
        return data.bonusList.size() != listBefore || player.timeBonus > 0.0f || player.locked;
    }
    Texts ShownKinds()
    {
        Texts kinds;
        for (const RefPtr<CPShot>& shot : spawner.GetActiveShots()) kinds.push_back(shot->GetKindName());
        return kinds;
    }

    CPCommandManager bus;
    Receiver gameInterface;
    Receiver main;
    CPGameData data;
    CPLevel level;
    CPShotSpawner spawner;
    CPRigidBody body;
    // Rear flares, for the tests that give the car its own.
    CPGameObject left{"lflarerear"};
    CPGameObject right{"rflarerear"};
    CPPlayer player;
    CPPhysicData physics{&player};
    CPCar car{&player};
    std::vector<std::unique_ptr<CPGameObject>> objects;

private:
    CPCommandManager* m_savedBus;
    CPGameData* m_savedData;
    CPShotSpawner* m_savedSpawner;
    double m_savedTime;
    D3DXMATRIX m_savedShadow;
};

struct SideCase {
    const char* name;
    const char* child;
    uint32_t sides;
    bool acts;
};

class BonusSides : public Bonuses, public testing::WithParamInterface<SideCase> {};

TEST_P(BonusSides, ActOnlyOnTheirSides)
{
    const SideCase& row = GetParam();
    player.sideFlags = row.sides;
    AddBonus(row.name, row.child, D3DXVECTOR3(0.1f, -0.2f, 0.1f));
    player.CheckBonuses();
    EXPECT_EQ(Acted(1), row.acts) << row.name << " " << (row.child ? row.child : "") << " sides " << row.sides;
}

const uint32_t kLight = CPPlayer::kLightSide;
const uint32_t kDark = CPPlayer::kDarkSide;
const uint32_t kTraffic = CPPlayer::kTraffic;

INSTANTIATE_TEST_SUITE_P(
    KindsBySide, BonusSides,
    testing::Values(SideCase{"bonus_remont", nullptr, kLight, true}, SideCase{"bonus_remont", nullptr, kDark, true},
                    SideCase{"bonus_remont", nullptr, kTraffic, false}, SideCase{"b", "glow3", kTraffic, false},
                    SideCase{"b", "portal_a", kTraffic, false}, SideCase{"wall", "sphera", kLight, false},
                    SideCase{"wall", "sphera", kDark, true}, SideCase{"wall", "sphera", kTraffic, true},
                    SideCase{"empty", "v_bii", kLight, true}, SideCase{"empty", "v_bii", kDark, false},
                    SideCase{"empty", "v_bii", kTraffic, true}, SideCase{"light", nullptr, kLight, false},
                    SideCase{"light", nullptr, kDark, true}, SideCase{"light", nullptr, kTraffic, true},
                    SideCase{"halo", nullptr, kLight, true}, SideCase{"halo", nullptr, kDark, false},
                    SideCase{"halo", nullptr, kTraffic, true}, SideCase{"fake", nullptr, kTraffic, false},
                    // The first matching kind decides: a repair bonus that
                    // also holds a wall is a pick-up, which traffic never takes.
                    SideCase{"bonus_remont", "sphera", kTraffic, false}));

struct ReachCase {
    const char* name;
    const char* child;
    uint32_t sides;
    D3DXVECTOR3 offset;
    bool touches;
};

class BonusReach : public Bonuses, public testing::WithParamInterface<ReachCase> {};

TEST_P(BonusReach, TouchesWithinTheSumOfHalfExtentsOverTheDivisor)
{
    const ReachCase& row = GetParam();
    player.sideFlags = row.sides;
    AddBonus(row.name, row.child, row.offset);
    player.CheckBonuses();
    EXPECT_EQ(Acted(1), row.touches) << row.name << " at " << row.offset.x << "," << row.offset.y << ","
                                     << row.offset.z;
}

// Car half extents (1, 2, 0.5), bonus (1, 1, 1).
INSTANTIATE_TEST_SUITE_P(
    Divisors, BonusReach,
    testing::Values(
        // 3.3: x reach 2 / 3.3 = 0.606, y 0.909, z 0.4545.
        ReachCase{"bonus_remont", nullptr, kLight, D3DXVECTOR3(0.6f, 0, 0), true},
        ReachCase{"bonus_remont", nullptr, kLight, D3DXVECTOR3(0.62f, 0, 0), false},
        ReachCase{"bonus_remont", nullptr, kLight, D3DXVECTOR3(0, -0.9f, 0), true},
        ReachCase{"bonus_remont", nullptr, kLight, D3DXVECTOR3(0, -0.92f, 0), false},
        ReachCase{"bonus_remont", nullptr, kLight, D3DXVECTOR3(0, 0, -0.45f), true},
        ReachCase{"bonus_remont", nullptr, kLight, D3DXVECTOR3(0, 0, -0.46f), false},
        // "light": 2.0, x reach 1.0; exactly at the reach touches.
        ReachCase{"light", nullptr, kDark, D3DXVECTOR3(0.99f, 0, 0), true},
        ReachCase{"light", nullptr, kDark, D3DXVECTOR3(1.0f, 0, 0), true},
        ReachCase{"light", nullptr, kDark, D3DXVECTOR3(1.01f, 0, 0), false},
        // "halo": 1.0 with a third of its own x and y: x reach 1.333, y 2.333.
        ReachCase{"halo", nullptr, kLight, D3DXVECTOR3(1.3f, 0, 0), true},
        ReachCase{"halo", nullptr, kLight, D3DXVECTOR3(1.35f, 0, 0), false},
        ReachCase{"halo", nullptr, kLight, D3DXVECTOR3(0, 2.3f, 0), true},
        ReachCase{"halo", nullptr, kLight, D3DXVECTOR3(0, 2.35f, 0), false},
        ReachCase{"halo", nullptr, kLight, D3DXVECTOR3(0, 0, 1.45f), true},
        ReachCase{"halo", nullptr, kLight, D3DXVECTOR3(0, 0, 1.55f), false},
        // A wall's box is 3.5 wide on x and y: x reach 4.5 / 3.3 = 1.364;
        // z keeps its own 1.5 / 3.3.
        ReachCase{"wall", "sphera", kDark, D3DXVECTOR3(1.35f, 0, 0), true},
        ReachCase{"wall", "sphera", kDark, D3DXVECTOR3(1.38f, 0, 0), false},
        ReachCase{"wall", "sphera", kDark, D3DXVECTOR3(0, 0, 0.45f), true},
        ReachCase{"wall", "sphera", kDark, D3DXVECTOR3(0, 0, 0.46f), false}));

TEST_F(Bonuses, AnEmptyBonusTestsItsHiveBoxAndIsSkippedWithoutOne)
{
    player.sideFlags = kLight;
    CPGameObject* thrower = AddBonus("empty", nullptr, D3DXVECTOR3(1.45f, 0, 0));
    player.CheckBonuses();
    EXPECT_FALSE(Acted(1)) << "no hive: nothing to touch";

    // The hive's box, (0.2, 0.2, 0.2) at the bonus, with divisor 0.8:
    // x reach 1.2 / 0.8 = 1.5.
    objects.push_back(std::make_unique<CPGameObject>("v_bii"));
    CPGameObject* hive = objects.back().get();
    hive->SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0.2f, 0.2f, 0.2f)));
    thrower->AddChild(hive);
    Shape(*thrower, kCarAt + D3DXVECTOR3(1.45f, 0, 0), kUnitHalf);
    player.CheckBonuses();
    EXPECT_TRUE(Acted(1));
    player.timeBonus = 0.0f;
    thrower->SetPosition(kCarAt.x + 1.55f, kCarAt.y, kCarAt.z);
    thrower->UpdateTransform();
    player.CheckBonuses();
    EXPECT_FALSE(Acted(1));
}

TEST_F(Bonuses, TheUazTestsItsFirstBox)
{
    player.sideFlags = kLight;
    player.carModel = "uaz";
    // Its parts box reaches 3 on x; its own box only 1.
    player.GetParts().push_back(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(3.0f, 2.0f, 0.5f)));
    player.SetPosition(kCarAt.x, kCarAt.y, kCarAt.z + 0.0f);
    player.SetRotation(0, 0, 0, 1);
    player.UpdateTransform();
    AddBonus("bonus_remont", nullptr, D3DXVECTOR3(1.1f, 0, 0));
    player.CheckBonuses();
    EXPECT_TRUE(Acted(1)) << "(3 + 1) / 3.3 = 1.21 reaches 1.1";
}

struct PickupCase {
    const char* name;
    const char* child;
    const char* explosion;
    const char* message;
    const char* word;
};

class Pickups : public Bonuses, public testing::WithParamInterface<PickupCase> {};

TEST_P(Pickups, ShowTellOnlyTheHumanAndLeaveTheListForEveryCar)
{
    const PickupCase& row = GetParam();
    player.abilityCount = 3;
    for (uint32_t sides : {kLight | CPPlayer::kHumanPlayer, kDark}) {
        player.sideFlags = sides;
        player.locked = false;
        CPGameObject* bonus = AddBonus(row.name, row.child, D3DXVECTOR3(0, 0, 0));
        spawner.GetActiveShots().clear();
        player.CheckBonuses();
        EXPECT_TRUE(data.bonusList.empty());
        const bool human = (sides & CPPlayer::kHumanPlayer) != 0;
        Texts told;
        for (const std::string& command : gameInterface.TakeCommands()) {
            if (command.rfind("show_message", 0) == 0) told.push_back(command);
        }
        EXPECT_EQ(told, human ? Texts{std::string("show_message:") + row.message} : Texts{}) << row.word;
        EXPECT_EQ(main.TakeCommands(), Texts{std::string("update_bonus_list:") + row.word});
        EXPECT_EQ(ShownKinds(), Texts{row.explosion});
        ASSERT_EQ(spawner.GetActiveShots().size(), 1u);
        const RecordingShot::LaunchCall& shown =
            static_cast<RecordingShot*>(spawner.GetActiveShots()[0].Get())->launches.at(0);
        EXPECT_EQ(shown.position, *bonus->GetPositionRef());
        EXPECT_EQ(shown.direction, D3DXVECTOR3(0, 0, 1));
        EXPECT_EQ(shown.value, -1.0f);
        EXPECT_EQ(shown.owner, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Pickups,
    testing::Values(PickupCase{"bonus_remont", nullptr, "sparks4_remont", "remont!", "repair"},
                    PickupCase{"b", "glow3", "sparks4", "uskorenie!", "axel"},
                    PickupCase{"b", "glow2", "sparks4red", "zamedlenie!", "brake"},
                    PickupCase{"b", "glow6", "sparks4red", "sposobnost-1!", "minus"},
                    PickupCase{"b", "glow4", "sparks4", "sposobnost+1!", "plus"},
                    PickupCase{"b", "portal_a", "sparks4_gloom", "uron_x2!", "gloom"}));

TEST_F(Bonuses, RepairTakesTwentyDamageDownToNoneAndPlaysItsSound)
{
    shot_test::ShotSounds sounds;
    CPSoundManager manager(&sounds.cache);
    CPSoundManager* savedManager = g_pSoundManager;
    g_pSoundManager = &manager;
    RefPtr<CNSound> chik;
    manager.LoadSound(chik, "boom.wav", CNSound::kPositioned, false);
    ASSERT_TRUE(chik);
    manager.GetNamedSounds()["chik"] = chik;
    shot_test::ShotSounds::BufferOf(chik.Get()).calls.clear();

    player.sideFlags = kDark;
    player.damage = 15.0f;
    const D3DXVECTOR3 offset(0.3f, -0.4f, 0.2f);
    AddBonus("bonus_remont", nullptr, offset);
    player.CheckBonuses();
    g_pSoundManager = savedManager;

    EXPECT_EQ(player.damage, 0.0f);
    auto& buffer3D = *static_cast<sounddouble::Recording3DBuffer*>(chik->Get3DBuffer());
    ASSERT_FALSE(buffer3D.writes.empty());
    const DS3DBUFFER& placed = buffer3D.writes.back().parameters;
    shot_test::ExpectPoint(D3DXVECTOR3(placed.vPosition.x, placed.vPosition.y, placed.vPosition.z), kCarAt + offset);
    EXPECT_EQ(placed.flMinDistance, 0.0f);
    EXPECT_EQ(placed.flMaxDistance, 200.0f);
    const Texts& calls = shot_test::ShotSounds::BufferOf(chik.Get()).calls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Play 0 0 0"), calls.end());
}

struct AbilityCase {
    const char* child;
    int count;
    int after;
};

class Abilities : public Bonuses, public testing::WithParamInterface<AbilityCase> {};

TEST_P(Abilities, StayWithinNoneAndTheProfilesLimit)
{
    const AbilityCase& row = GetParam();
    player.sideFlags = kLight;
    player.abilityCount = row.count;
    AddBonus("b", row.child, D3DXVECTOR3(0, 0, 0));
    player.CheckBonuses();
    EXPECT_EQ(player.abilityCount, row.after);
    const Texts redraw = row.after != row.count ? Texts{"redraw_abilities:"} : Texts{};
    EXPECT_EQ(gameInterface.TakeCommands(), redraw);
    EXPECT_TRUE(data.bonusList.empty()) << "taken either way";
}

// The profile's limit is 3.
INSTANTIATE_TEST_SUITE_P(Limits, Abilities,
                         testing::Values(AbilityCase{"glow6", 0, 0}, AbilityCase{"glow6", 1, 0},
                                         AbilityCase{"glow4", 2, 3}, AbilityCase{"glow4", 3, 3}));

TEST_F(Bonuses, TakenBonusesLeaveTheListWithoutBreakingTheWalk)
{
    player.sideFlags = kLight;
    data.bonusList.push_back(BonusEntry());
    AddBonus("bonus_remont", nullptr, D3DXVECTOR3(0, 0, 0));
    CPGameObject* distant = AddBonus("bonus_remont", nullptr, D3DXVECTOR3(50, 0, 0));
    AddBonus("b", "glow4", D3DXVECTOR3(0.2f, 0, 0));
    player.CheckBonuses();
    ASSERT_EQ(data.bonusList.size(), 2u);
    EXPECT_FALSE(data.bonusList.front().object) << "the entry without an object stays";
    EXPECT_EQ(data.bonusList.back().object.Get(), distant);
    EXPECT_EQ(main.TakeCommands(), (Texts{"update_bonus_list:repair", "update_bonus_list:plus"}));
}

TEST_F(Bonuses, NothingHappensWhileTheRaceTimerIsOff)
{
    level.raceTimerOn = false;
    player.sideFlags = kDark | CPPlayer::kHumanPlayer;
    AddBonus("bonus_remont", nullptr, D3DXVECTOR3(0, 0, 0));
    AddBonus("light", nullptr, D3DXVECTOR3(0, 0, 0));
    player.CheckBonuses();
    EXPECT_EQ(data.bonusList.size(), 2u);
    EXPECT_EQ(player.damage, kStartDamage);
    EXPECT_FALSE(player.locked);
    EXPECT_TRUE(main.TakeCommands().empty());
}

TEST_F(Bonuses, WallPushesTenTimesASeriesAndANewSeriesAfterASecond)
{
    player.sideFlags = kDark;
    CPGameObject* wall = AddBonus("wall", "sphera", D3DXVECTOR3(-0.5f, 0.25f, 0.1f));
    // Speed 5, mass 2: strength 5 * 2.4 * 2 * 0.1 = 2.4 along the car's
    // offset from the wall on the ground and the car's own height.
    const D3DXVECTOR3 push(0.5f, -0.25f, kCarAt.z);
    const double start = 100.0;
    for (int touch = 0; touch < 12; ++touch) {
        FullTime = start + touch * 0.0625;
        player.CheckBonuses();
        if (touch == 0) {
            shot_test::ExpectPoint(player.wallPush, push);
            shot_test::ExpectPoint(body.GetVelocity(), push * 2.4f / 2.0f);
            Shape(*wall, kCarAt, kUnitHalf);
        }
    }
    EXPECT_EQ(player.wallHits, 10);
    EXPECT_EQ(player.lastWallHit, start + 9 * 0.0625);
    shot_test::ExpectPoint(body.GetVelocity(), push * 2.4f / 2.0f * 10.0f);
    shot_test::ExpectPoint(player.wallPush, push); // fixed at the first bounce
    EXPECT_EQ(player.timeBonus, 4.0f);

    FullTime = player.lastWallHit + 0.9375;
    player.CheckBonuses();
    EXPECT_EQ(player.wallHits, 10) << "still the series";
    FullTime = player.lastWallHit + 1.0;
    player.CheckBonuses();
    EXPECT_EQ(player.wallHits, 1);
    EXPECT_EQ(player.lastWallHit, FullTime);
    // A new series takes a new direction.
    shot_test::ExpectPoint(player.wallPush, D3DXVECTOR3(0, 0, kCarAt.z));
}

TEST_F(Bonuses, ALightStopsTheCarAndStartsItsReleaseTimer)
{
    player.sideFlags = kDark;
    player.steerInput = 0.4f;
    player.throttleInput = 0.8f;
    AddBonus("light", nullptr, D3DXVECTOR3(0, 0, 0));
    player.CheckBonuses();
    EXPECT_TRUE(player.locked);
    EXPECT_TRUE(player.speedBonusActive);
    EXPECT_EQ(player.speedBonusTime, 0.0f);
    EXPECT_EQ(car.GetSteering(), 0.4f);
    EXPECT_EQ(data.bonusList.size(), 1u) << "a light stays";
}

TEST_F(Bonuses, ALightKeepsTheReleaseTimeOfACarItHasStunnedAlready)
{
    player.sideFlags = kDark;
    AddBonus("light", nullptr, D3DXVECTOR3(0, 0, 0));
    const struct {
        bool locked;
        bool stunned;
        float timeAfter;
    } cases[] = {{true, true, 2.5f}, {false, true, 0.0f}, {true, false, 0.0f}};
    for (const auto& c : cases) {
        player.locked = c.locked;
        player.speedBonusActive = c.stunned;
        player.speedBonusTime = 2.5f;
        player.CheckBonuses();
        EXPECT_TRUE(player.locked && player.speedBonusActive);
        EXPECT_EQ(player.speedBonusTime, c.timeAfter) << c.locked << c.stunned;
    }
}

TEST_F(Bonuses, ASpeedBonusBlocksTheThrottleAndStartsItsTimer)
{
    player.sideFlags = kLight;
    player.throttleInput = 0.8f;
    player.speedBonusTime = 3.5f;
    AddBonus("b", "glow3", D3DXVECTOR3(0, 0, 0));
    player.CheckBonuses();
    EXPECT_TRUE(player.throttleBlocked);
    EXPECT_EQ(player.throttleInput, 0.0f);
    EXPECT_TRUE(player.speedBonusActive);
    EXPECT_EQ(player.speedBonusTime, 2.0f);
}

TEST_F(Bonuses, AHaloBlastsAtMostEveryFifthOfASecond)
{
    player.sideFlags = kLight;
    AddBonus("halo", nullptr, D3DXVECTOR3(-0.5f, 0, 0));
    player.CheckBonuses();
    // 100 x (0.5, 0, 0) at mass 2.
    shot_test::ExpectPoint(body.GetVelocity(), D3DXVECTOR3(25.0f, 0, 0));
    EXPECT_EQ(player.lastHaloHit, FullTime);
    FullTime += 0.1875;
    player.CheckBonuses();
    shot_test::ExpectPoint(body.GetVelocity(), D3DXVECTOR3(25.0f, 0, 0));
    FullTime += 0.0625;
    player.CheckBonuses();
    shot_test::ExpectPoint(body.GetVelocity(), D3DXVECTOR3(50.0f, 0, 0));
}

TEST_F(Bonuses, TheCameraCarEntersTheGloomWithBlurAndEveryCarDriven)
{
    CPRender render;
    CPRender* savedRender = g_pRender;
    g_pRender = &render;
    player.sideFlags = kLight | CPPlayer::kHumanPlayer;
    level.cameraCar = &player;
    AddBonus("b", "portal_a", D3DXVECTOR3(0, 0, 0));
    player.CheckBonuses();
    g_pRender = savedRender;
    level.cameraCar = nullptr;
    EXPECT_TRUE(player.inGloom);
    EXPECT_TRUE(player.blurActive);
    EXPECT_TRUE(render.IsMotionBlurOn());
    EXPECT_EQ(render.GetMotionBlurAmount(), 0.3f);
    EXPECT_EQ(render.GetBlurBlend(), 150);
    EXPECT_TRUE(level.allCarsDriven);
    EXPECT_TRUE(player.IsVisible());
}

TEST_F(Bonuses, AnotherComputerCarInTheGloomVanishes)
{
    player.sideFlags = kDark;
    level.allCarsDriven = false;
    AddBonus("b", "portal_a", D3DXVECTOR3(0, 0, 0));
    player.CheckBonuses();
    EXPECT_TRUE(player.inGloom);
    EXPECT_FALSE(player.IsVisible());
    EXPECT_FALSE(player.blurActive);
    EXPECT_FALSE(level.allCarsDriven);
}

TEST_F(Bonuses, AThrowerLiftsTheCarAndSpinsItAboutItsSideInEveryStepOfContact)
{
    player.sideFlags = kLight;
    // A quarter turn about z: the nose (-y) points along +x, the side axis
    // along +y.
    const float half = 0.70710678f;
    player.SetRotation(0, 0, half, half);
    player.UpdateTransform();
    CPGameObject* thrower = AddBonus("empty", "v_bii", D3DXVECTOR3(0, 0, 0));
    thrower->UpdateTransform();
    for (int step = 1; step <= 2; ++step) {
        player.timeBonus = 0.0f;
        player.CheckBonuses();
        // Lift 1.5 x mass 2 at mass 2; spin 1.5 x 2 x (34 along the side, 20 up).
        shot_test::ExpectPoint(body.GetVelocity(), D3DXVECTOR3(0, 0, 1.5f * step));
        shot_test::ExpectPoint(body.GetAngularMomentum(), D3DXVECTOR3(0, 102.0f, 60.0f));
        EXPECT_EQ(player.timeBonus, 4.0f);
    }
    EXPECT_EQ(data.bonusList.size(), 1u);
}

// The quarter turn of the test above, then the nose raised 60 degrees about
// the side axis: the side axis stays level and the spin keeps its strength.
TEST_F(Bonuses, AThrowerSpinsATiltedCarAsHardAsALevelOne)
{
    player.sideFlags = kLight;
    D3DXQUATERNION quarterTurn, noseUp, tilted;
    const D3DXVECTOR3 up(0, 0, 1), side(0, 1, 0);
    D3DXQuaternionRotationAxis(&quarterTurn, &up, D3DX_PI / 2);
    D3DXQuaternionRotationAxis(&noseUp, &side, -D3DX_PI / 3);
    D3DXQuaternionMultiply(&tilted, &quarterTurn, &noseUp);
    player.SetRotation(tilted.x, tilted.y, tilted.z, tilted.w);
    player.UpdateTransform();
    AddBonus("empty", "v_bii", D3DXVECTOR3(0, 0, 0))->UpdateTransform();
    player.CheckBonuses();
    shot_test::ExpectPoint(body.GetAngularMomentum(), D3DXVECTOR3(0, 102.0f, 60.0f));
}

TEST_F(Bonuses, ASlowDownKeepsHiddenRearFlaresHidden)
{
    player.sideFlags = kDark;
    player.AddChild(&left);
    player.AddChild(&right);
    for (bool leftShown : {true, false}) {
        left.SetVisible(leftShown);
        right.SetVisible(true);
        player.slowTime = 2.5f;
        AddBonus("b", "glow2", D3DXVECTOR3(0, 0, 0));
        player.CheckBonuses();
        EXPECT_TRUE(player.slowActive);
        EXPECT_EQ(player.slowTime, 0.0f);
        EXPECT_EQ(left.IsVisible(), leftShown);
        EXPECT_EQ(right.IsVisible(), leftShown) << "the right flare follows the left";
    }
}

} // namespace
