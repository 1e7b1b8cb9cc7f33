#include "game/PEnemy.h"

#include "Render/PAnimatedObject.h"
#include "Render/tests/AnimationTestSupport.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/PShotSpawner.h"
#include "game/tests/LevelLoadFixture.h"
#include "game/tests/ShotTestSupport.h"
#include "physics/PPhysicData.h"
#include "physics/PRigidBody.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

using gameobject_test::Receiver;
using shot_test::ExpectPoint;
using shot_test::RecordingShot;

namespace {

typedef std::vector<std::string> Texts;

const unsigned kSeed = 1234;
const double kFrame = 1.0 / 60.0;
const char* const kShotKinds[] = {"trasser21", "trasser22", "trasser23", "plazma_shot2", "srocket2",
                                  "rocket_exp2", "blood1",    "oil1",      "gib1",         "gib2"};
// Every animation has four frames of a quarter second: one pass is a second.
const char* const kAnimations[] = {"melee1", "melee2", "fire_in", "fire", "fire_out", "death1"};
const int kStrikeFrame = 2;
const int kShotFrame = 1;

// The enemy stands this far in front of the car's nose, facing it.
const float kGap = 1.2f;
const D3DXVECTOR3 kLongReach(2.0f, 0.5f, 0.3f);  // about 2.08: reaches the car
const D3DXVECTOR3 kShortReach(1.0f, 0.3f, 0.2f); // about 1.06: falls short
const D3DXVECTOR3 kMuzzle(0.5f, 0.25f, 1.75f);

struct Launch {
    std::string kind;
    RecordingShot::LaunchCall call;
};

// An animated enemy ("enemy", every animation of kAnimations) facing the
// player car of "level1" across kGap: its forward axis is +x and it is
// turned a quarter turn clockwise, so it faces -y, where the car's nose
// is. Its object and the car have running script handlers; "gamemenu" and
// the category "level" listen on the bus; "hit1" and "hit2" are named
// sounds; the shot spawner has a recording template of every kind an enemy
// spawns. rand() starts from a fixed seed.
class EnemyOnLevelOne : public LevelLoad {
protected:
    EnemyOnLevelOne()
        : manager(&sounds.cache), m_savedSpawner(g_pShotSpawner), m_savedSounds(g_pSoundManager),
          m_savedTime(FullTime)
    {
    }
    ~EnemyOnLevelOne() override
    {
        enemy.reset();
        if (player) player->SetScriptHandler(nullptr);
        Unload();
        g_pShotSpawner = m_savedSpawner;
        g_pSoundManager = m_savedSounds;
        FullTime = m_savedTime;
    }

    void SetUp() override
    {
        LevelLoad::SetUp();
        FullTime = 0.0;
        CPLevel& level = Load("level1");
        ASSERT_TRUE(loaded) << Errors(level);
        ASSERT_TRUE(level.player);
        player = level.player.Get();
        g_pShotSpawner = &spawner;
        for (const char* kind : kShotKinds) spawner.AddTemplate(std::unique_ptr<CPShot>(new RecordingShot(kind)));
        SetUpSounds();
        SetUpReceivers();
        SetUpEnemyObject();
        enemy.reset(new CPEnemy(&enemyObject));
        for (const char* name : {"melee1", "melee2"}) enemy->reportFrames[name] = kStrikeFrame;
        enemy->reportFrames["fire"] = kShotFrame;
        enemy->stateTable = {{CPEnemy::kStateIdle, 11}, {CPEnemy::kStateDead, 44}};
        enemy->state = 7;
        std::srand(kSeed);
    }

    void SetUpSounds()
    {
        g_pSoundManager = &manager;
        for (const char* name : {"hit1", "hit2"}) {
            RefPtr<CNSound> sound;
            manager.LoadSound(sound, "boom.wav", CNSound::kPlain, true);
            ASSERT_TRUE(sound);
            manager.GetNamedSounds()[name] = sound;
        }
    }

    void SetUpReceivers()
    {
        for (Receiver* receiver : {&carHandler, &enemyHandler, &gamemenu, &levelListener}) receiver->Start();
        bus.RegisterReceiver("gamemenu", &gamemenu);
        bus.AddToCategory("level", &levelListener);
        player->SetScriptHandler(&carHandler);
        enemyObject.SetScriptHandler(&enemyHandler);
    }

    // The ray of a melee strike runs through the middle of the car's height.
    void SetUpEnemyObject()
    {
        for (size_t i = 0; i < std::size(kAnimations); ++i) {
            ASSERT_TRUE(animation_test::LoadFrames(animations[i], animation_test::kQuarterSecond,
                                                   animation_test::NumberedFrames({3, 3, 3, 3})));
            animated.AddAnimation(kAnimations[i], &animations[i]);
        }
        animated.SetOwner(&enemyObject);
        enemyObject.SetComponent(CPGameObject::kKindAnimated, &animated);
        const AxisAlignedBox& car = player->GetPartBounds();
        const float strikeHeight = (car.minimum.z + car.maximum.z) / 2.0f - 1.5f;
        enemyAt = D3DXVECTOR3(car.centre.x, car.maximum.y + kGap, strikeHeight);
        enemyObject.SetPosition(enemyAt.x, enemyAt.y, enemyAt.z);
        D3DXQUATERNION clockwise;
        D3DXQuaternionRotationAxis(&clockwise, &kUpAxis, -D3DX_PI / 2.0f);
        enemyObject.SetRotation(clockwise.x, clockwise.y, clockwise.z, clockwise.w);
        enemyObject.UpdateTransform();
    }

    // A vector of the enemy's frame in the world's: (x, y, z) -> (y, -x, z).
    static D3DXVECTOR3 Turned(const D3DXVECTOR3& v) { return D3DXVECTOR3(v.y, -v.x, v.z); }

    // Draws the enemy every frame until the time: it advances only when
    // its geometry is written.
    void RunUntil(double time)
    {
        while (FullTime + kFrame <= time + 1e-9) {
            FullTime += kFrame;
            Draw();
        }
    }
    void DrawAt(double time)
    {
        FullTime = time;
        Draw();
    }
    void Draw()
    {
        std::vector<Vertex48> vertices(animated.GetVertexCount());
        std::vector<uint16_t> indices(animated.GetIndexCount());
        animated.WriteGeometry(vertices.data(), indices.data(), 0, false);
    }

    // Every launch so far, in the order of the spawns.
    std::vector<Launch> Launches()
    {
        std::vector<Launch> launches;
        for (const RefPtr<CPShot>& shot : spawner.GetActiveShots()) {
            RecordingShot& recording = static_cast<RecordingShot&>(*shot);
            for (const RecordingShot::LaunchCall& call : recording.launches) {
                launches.push_back({recording.GetKindName(), call});
            }
        }
        return launches;
    }
    Texts LaunchedKinds()
    {
        Texts kinds;
        for (const Launch& launch : Launches()) kinds.push_back(launch.kind);
        return kinds;
    }

    sounddouble::RecordingBuffer& BufferOf(const char* name)
    {
        return shot_test::ShotSounds::BufferOf(manager.GetNamedSounds()[name].Get());
    }

    CPRigidBody& CarBody() { return *player->GetPhysicData()->GetRigidBody(); }

    const D3DXVECTOR3 kUpAxis = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    shot_test::ShotSounds sounds;
    CPSoundManager manager;
    CPShotSpawner spawner;
    Receiver carHandler;
    Receiver enemyHandler;
    Receiver gamemenu;
    Receiver levelListener;
    CPAnimation animations[std::size(kAnimations)] = {CPAnimation("melee1.mesh"),  CPAnimation("melee2.mesh"),
                                                      CPAnimation("fire_in.mesh"), CPAnimation("fire.mesh"),
                                                      CPAnimation("fire_out.mesh"), CPAnimation("death1.mesh")};
    CPAnimatedObject animated;
    CPGameObject enemyObject{"enemy"};
    std::unique_ptr<CPEnemy> enemy;
    CPGameObject* player = nullptr;
    D3DXVECTOR3 enemyAt;

private:
    CPShotSpawner* m_savedSpawner;
    CPSoundManager* m_savedSounds;
    double m_savedTime;
};

std::string PositionText(const D3DXVECTOR3& p)
{
    char text[96];
    std::snprintf(text, sizeof(text), "%.2f,%.2f,%.2f", p.x, p.y, p.z);
    return text;
}

float AngleBetween(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const float cosine = D3DXVec3Dot(&a, &b) / (D3DXVec3Length(&a) * D3DXVec3Length(&b));
    return std::acos(std::min(1.0f, std::max(-1.0f, cosine)));
}

struct RequestCase {
    const char* name;
    bool loop;
    int loops;
    int passLimit;
    int reportFrame;
};

class EnemyRequest : public EnemyOnLevelOne, public testing::WithParamInterface<RequestCase> {};

TEST_P(EnemyRequest, BecomesTheAnimatedObjectsRequest)
{
    const RequestCase& row = GetParam();
    FullTime = 0.5;
    enemy->SetAnimation(row.name, row.loop, true, row.loops);
    EXPECT_EQ(animated.GetCurrentName(), row.name);
    EXPECT_EQ(animated.GetPassLimit(), row.passLimit);
    EXPECT_EQ(animated.GetReportFrame(), row.reportFrame);
    EXPECT_EQ(animated.GetNotify(), &enemyHandler);
    EXPECT_EQ(animated.GetSpeed(), 1.0f);
    EXPECT_EQ(animated.GetStartTime(), 0.5f);
    EXPECT_EQ(enemy->animation.name, row.name);
    EXPECT_EQ(enemy->animation.loop, row.loop);
    EXPECT_EQ(enemy->animation.loops, row.loop ? row.loops : -1);
}

INSTANTIATE_TEST_SUITE_P(Enemy, EnemyRequest,
                         testing::Values(RequestCase{"fire", false, 5, 1, kShotFrame},
                                         RequestCase{"fire", true, 3, 3, kShotFrame},
                                         RequestCase{"melee2", true, 0, 0, kStrikeFrame},
                                         RequestCase{"fire_out", true, -1, -1, -1}));

TEST_F(EnemyOnLevelOne, TheCurrentAnimationStartsAgainOnlyWhenForced)
{
    enemy->SetAnimation("fire", true, true, 3);
    RunUntil(0.5);
    enemy->SetAnimation("fire", false, false, 0);
    EXPECT_EQ(animated.GetStartTime(), 0.0f);
    EXPECT_EQ(animated.GetPassLimit(), 3);
    EXPECT_TRUE(enemy->animation.loop);

    enemy->SetAnimation("fire", false, true, 0);
    EXPECT_FLOAT_EQ(animated.GetStartTime(), static_cast<float>(FullTime));
    EXPECT_EQ(animated.GetPassLimit(), 1);
}

struct ChoiceCase {
    int meleeCount;
    std::set<std::string> played;
};

class EnemyMeleeChoice : public EnemyOnLevelOne, public testing::WithParamInterface<ChoiceCase> {};

// "melee1" plays one pass and "melee2" two, as their records say; each end
// chooses among the first meleeCount records, at most two.
TEST_P(EnemyMeleeChoice, EachMeleeEndChoosesTheNextAmongTheRecords)
{
    const ChoiceCase& row = GetParam();
    enemy->meleeCount = row.meleeCount;
    enemy->melee[0].loops = 1;
    enemy->melee[1].loops = 2;
    enemy->SetAnimation("melee1", true, true, 1);
    std::set<std::string> played;
    int starts = 0;
    float lastStart = -1.0f;
    while (FullTime < 12.0) {
        RunUntil(FullTime + kFrame);
        if (animated.IsStopped()) continue;
        played.insert(animated.GetCurrentName());
        EXPECT_EQ(animated.GetPassLimit(), animated.GetCurrentName() == "melee2" ? 2 : 1);
        if (animated.GetStartTime() != lastStart) ++starts;
        lastStart = animated.GetStartTime();
    }
    EXPECT_EQ(played, row.played);
    if (row.meleeCount < 1) {
        EXPECT_EQ(starts, 1);
        EXPECT_TRUE(animated.IsStopped());
    } else {
        EXPECT_GT(starts, 6);
    }
}

INSTANTIATE_TEST_SUITE_P(Enemy, EnemyMeleeChoice,
                         testing::Values(ChoiceCase{0, {"melee1"}}, ChoiceCase{1, {"melee1"}},
                                         ChoiceCase{2, {"melee1", "melee2"}}, ChoiceCase{5, {"melee1", "melee2"}}));

struct StrikeCase {
    const char* animation;
    D3DXVECTOR3 reach1;
    D3DXVECTOR3 reach2;
    // The sound, push (world) and damage text of a strike that lands; no
    // sound: it falls short.
    const char* sound;
    D3DXVECTOR3 push;
    const char* damage;
};

class EnemyStrike : public EnemyOnLevelOne, public testing::WithParamInterface<StrikeCase> {};

// "hit1" is already playing, so a strike with it starts it again.
TEST_P(EnemyStrike, MeleeThatReachesTheCarPlaysItsHitPushesTheCarAndDamagesIt)
{
    const StrikeCase& row = GetParam();
    enemy->meleeCount = 2;
    enemy->melee[0] = MeleeRecord{1, row.reach1, D3DXVECTOR3(1.0f, 0.5f, 0.2f), 300.0f, 7.5f};
    enemy->melee[1] = MeleeRecord{1, row.reach2, D3DXVECTOR3(-0.4f, 1.0f, 0.6f), 200.0f, 12.25f};
    BufferOf("hit1").status = DSBSTATUS_PLAYING;
    for (const char* name : {"hit1", "hit2"}) BufferOf(name).calls.clear();
    carHandler.TakeCommands();
    const D3DXVECTOR3 velocity = CarBody().GetVelocity();

    enemy->SetAnimation(row.animation, false, true, 0);
    RunUntil(0.75);

    const D3DXVECTOR3 gained = (CarBody().GetVelocity() - velocity) * CarBody().GetMass();
    EXPECT_TRUE(Launches().empty());
    if (!row.sound) {
        EXPECT_TRUE(BufferOf("hit1").calls.empty());
        EXPECT_TRUE(BufferOf("hit2").calls.empty());
        ExpectPoint(gained, D3DXVECTOR3(0, 0, 0));
        EXPECT_TRUE(carHandler.TakeCommands().empty());
        return;
    }
    const char* silent = std::string(row.sound) == "hit1" ? "hit2" : "hit1";
    EXPECT_EQ(BufferOf(row.sound).CountCalls("Play 0 0 0"), 1);
    EXPECT_EQ(BufferOf(silent).CountCalls("Play 0 0 0"), 0);
    if (std::string(row.sound) == "hit1") {
        const Texts& calls = BufferOf("hit1").calls;
        const Texts restart = {"Stop", "SetCurrentPosition 0"};
        EXPECT_NE(std::search(calls.begin(), calls.end(), restart.begin(), restart.end()), calls.end());
    }
    ExpectPoint(gained, row.push);
    EXPECT_EQ(carHandler.TakeCommands(), Texts{std::string("damage:") + row.damage});
}

// The push directions (1, 0.5, 0.2) x 300 and (-0.4, 1, 0.6) x 200 of the
// enemy's frame, turned a quarter clockwise.
INSTANTIATE_TEST_SUITE_P(
    Enemy, EnemyStrike,
    testing::Values(StrikeCase{"melee1", kLongReach, kShortReach, "hit1", D3DXVECTOR3(150, -300, 60), "7.50"},
                    StrikeCase{"melee2", kShortReach, kLongReach, "hit2", D3DXVECTOR3(200, 80, 120), "12.25"},
                    StrikeCase{"melee1", kShortReach, kLongReach, nullptr, D3DXVECTOR3(), ""}));

TEST_F(EnemyOnLevelOne, AnObjectBetweenTheEnemyAndTheCarTakesTheStrikeWithoutHarm)
{
    enemy->meleeCount = 1;
    enemy->melee[0] = MeleeRecord{1, kLongReach, D3DXVECTOR3(1.0f, 0.5f, 0.2f), 300.0f, 7.5f};
    CPGameObject blocker("blocker");
    blocker.GetParts().push_back(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0.5f, 0.1f, 2.0f)));
    blocker.SetPosition(enemyAt.x, enemyAt.y - kGap / 2.0f, enemyAt.z + 1.5f);
    blocker.UpdateTransform();
    CPLevel* level = GetLevel();
    level->rayObjects.push_back(&blocker);
    carHandler.TakeCommands();
    const D3DXVECTOR3 velocity = CarBody().GetVelocity();

    enemy->SetAnimation("melee1", false, true, 0);
    RunUntil(0.75);
    level->rayObjects.pop_back();

    EXPECT_EQ(BufferOf("hit1").CountCalls("Play 0 0 0"), 0);
    ExpectPoint(CarBody().GetVelocity(), velocity);
    EXPECT_TRUE(carHandler.TakeCommands().empty());
}

// The enemy's own box, half a unit in front of it across the strike's
// path (its arm), is one the level's rays meet.
TEST_F(EnemyOnLevelOne, TheEnemysOwnBoxDoesNotTakeItsStrike)
{
    enemy->meleeCount = 1;
    enemy->melee[0] = MeleeRecord{1, kLongReach, D3DXVECTOR3(1.0f, 0.5f, 0.2f), 300.0f, 7.5f};
    enemyObject.GetParts().push_back(CPBoundingBox(D3DXVECTOR3(0.5f, 0.0f, 1.5f), D3DXVECTOR3(0.1f, 0.3f, 0.3f)));
    enemyObject.SetPosition(enemyAt.x, enemyAt.y, enemyAt.z); // places the new box
    enemyObject.UpdateTransform();
    CPLevel* level = GetLevel();
    level->rayObjects.push_back(&enemyObject);
    carHandler.TakeCommands();

    enemy->SetAnimation("melee1", false, true, 0);
    RunUntil(0.75);
    level->rayObjects.pop_back();

    EXPECT_EQ(BufferOf("hit1").CountCalls("Play 0 0 0"), 1);
    EXPECT_EQ(carHandler.TakeCommands(), Texts{"damage:7.50"});
}

// A part of the car in its own object (a bumper half a unit before the
// car's face) is the car too.
TEST_F(EnemyOnLevelOne, AStrikeThatMeetsAPartOfTheCarLands)
{
    enemy->meleeCount = 1;
    enemy->melee[0] = MeleeRecord{1, kLongReach, D3DXVECTOR3(1.0f, 0.5f, 0.2f), 300.0f, 7.5f};
    const AxisAlignedBox car = player->GetPartBounds();
    const D3DXVECTOR3 bumperAt(car.centre.x, car.maximum.y + 0.5f, enemyAt.z + 1.5f);
    D3DXMATRIX toCar;
    D3DXMatrixInverse(&toCar, nullptr, &player->GetWorldMatrix());
    D3DXVECTOR3 local;
    D3DXVec3TransformCoord(&local, &bumperAt, &toCar);
    // The car keeps its parts for as long as it lives.
    CPGameObject* bumper = new CPGameObject("bumper");
    bumper->GetParts().push_back(CPBoundingBox(local, D3DXVECTOR3(0.2f, 0.2f, 0.2f)));
    player->AddChild(RefPtr<CPGameObject>(bumper));
    const D3DXVECTOR3 carAt = *player->GetPositionRef();
    player->SetPosition(carAt.x, carAt.y, carAt.z); // places the new part
    player->UpdateTransform();
    carHandler.TakeCommands();

    enemy->SetAnimation("melee1", false, true, 0);
    RunUntil(0.75);

    EXPECT_EQ(BufferOf("hit1").CountCalls("Play 0 0 0"), 1);
    EXPECT_EQ(carHandler.TakeCommands(), Texts{"damage:7.50"});
}

// Pitched nose down by a radian about the world x axis, the enemy still
// strikes along the ground and turns its push about the up axis only.
TEST_F(EnemyOnLevelOne, AnEnemyPitchedOnASlopeStrikesAlongTheGround)
{
    D3DXQUATERNION clockwise;
    D3DXQuaternionRotationAxis(&clockwise, &kUpAxis, -D3DX_PI / 2.0f);
    D3DXQUATERNION pitch;
    const D3DXVECTOR3 side(1.0f, 0.0f, 0.0f);
    D3DXQuaternionRotationAxis(&pitch, &side, 1.0f);
    const D3DXQUATERNION turn = clockwise * pitch;
    enemyObject.SetRotation(turn.x, turn.y, turn.z, turn.w);
    enemyObject.UpdateTransform();
    enemy->meleeCount = 1;
    enemy->melee[0] = MeleeRecord{1, kLongReach, D3DXVECTOR3(1.0f, 0.5f, 0.2f), 300.0f, 7.5f};
    carHandler.TakeCommands();
    const D3DXVECTOR3 velocity = CarBody().GetVelocity();

    enemy->SetAnimation("melee1", false, true, 0);
    RunUntil(0.75);

    EXPECT_EQ(BufferOf("hit1").CountCalls("Play 0 0 0"), 1);
    ExpectPoint((CarBody().GetVelocity() - velocity) * CarBody().GetMass(), D3DXVECTOR3(150, -300, 60));
    EXPECT_EQ(carHandler.TakeCommands(), Texts{"damage:7.50"});
}

TEST_F(EnemyOnLevelOne, ExplosionBlowsTheEnemyUpAtItsStrikePointAndReportsItsDeathOnce)
{
    enemy->weaponName = "explosion";
    enemy->meleeCount = 1;
    enemy->melee[0] = MeleeRecord{2, kShortReach, D3DXVECTOR3(1.0f, 0.0f, 0.0f), 300.0f, 7.5f};
    carHandler.TakeCommands();
    enemy->SetAnimation("melee1", true, true, 2);
    RunUntil(1.75);

    const std::vector<Launch> launches = Launches();
    ASSERT_EQ(launches.size(), 2u);
    for (const Launch& launch : launches) {
        EXPECT_EQ(launch.kind, "rocket_exp2");
        ExpectPoint(launch.call.position, enemyAt + D3DXVECTOR3(0.3f, -1.0f, 0.2f));
        EXPECT_EQ(launch.call.value, -1.0f);
        EXPECT_EQ(launch.call.owner, nullptr);
    }
    EXPECT_EQ(enemy->state, 44);
    EXPECT_EQ(levelListener.TakeCommands(), Texts{"enemy_death:" + PositionText(enemyAt)});
    EXPECT_TRUE(carHandler.TakeCommands().empty());
    EXPECT_EQ(BufferOf("hit1").CountCalls("Play 0 0 0"), 0);
}

struct FireCase {
    const char* weapon;
    Texts perEvent;
    float spread;
};

class EnemyFire : public EnemyOnLevelOne, public testing::WithParamInterface<FireCase> {};

// "fire" plays on and reports its frame 1 once a pass: three events by 2.5 s.
TEST_P(EnemyFire, EachFireEventShootsTheWeaponsShotsFromTheMuzzleAtTheCar)
{
    const FireCase& row = GetParam();
    enemy->weaponName = row.weapon;
    enemy->muzzleOffset = kMuzzle;
    enemy->SetAnimation("fire", true, true, 0);
    RunUntil(2.5);

    Texts expected;
    for (int event = 0; event < 3; ++event) expected.insert(expected.end(), row.perEvent.begin(), row.perEvent.end());
    EXPECT_EQ(LaunchedKinds(), expected);
    const D3DXVECTOR3 muzzle = enemyAt + Turned(kMuzzle);
    D3DXVECTOR3 aim = *player->GetPositionRef() + D3DXVECTOR3(0.0f, 0.0f, 0.3f) - muzzle;
    D3DXVec3Normalize(&aim, &aim);
    float widest = 0.0f;
    for (const Launch& launch : Launches()) {
        ExpectPoint(launch.call.position, muzzle);
        EXPECT_EQ(launch.call.value, -1.0f);
        EXPECT_EQ(launch.call.owner, nullptr);
        EXPECT_NEAR(D3DXVec3Length(&launch.call.direction), 1.0f, 1e-4f);
        const float angle = AngleBetween(launch.call.direction, aim);
        EXPECT_LE(angle, row.spread + 1e-3f);
        widest = std::max(widest, angle);
    }
    if (row.spread > 0.0f) {
        EXPECT_GT(widest, row.spread / 4.0f) << "the shots scatter";
    }
}

INSTANTIATE_TEST_SUITE_P(Enemy, EnemyFire,
                         testing::Values(FireCase{"hmgun", {"trasser22"}, 0.1f},
                                         FireCase{"plasma", {"plazma_shot2"}, 0.0f},
                                         FireCase{"mgun", {"trasser21"}, 0.0f},
                                         FireCase{"lgun", {"trasser21"}, 0.0f},
                                         FireCase{"shotgun", Texts(8, "trasser23"), 0.4f},
                                         FireCase{"flamer", {}, 0.0f}));

// A seed whose first rand() is even, or odd.
unsigned SeedWithFirstDraw(bool even)
{
    for (unsigned seed = 1;; ++seed) {
        std::srand(seed);
        if ((std::rand() % 2 == 0) == even) return seed;
    }
}

TEST_F(EnemyOnLevelOne, RocketEnemyFiresTwoPlasmaShotsThenARocketOnAnEvenDraw)
{
    const unsigned even = SeedWithFirstDraw(true);
    const unsigned odd = SeedWithFirstDraw(false);
    enemy->weaponName = "rocket";
    enemy->SetAnimation("fire", true, true, 0);
    RunUntil(1.5);
    EXPECT_EQ(enemy->rocketCount, 2);
    std::srand(even);
    RunUntil(2.5);
    EXPECT_EQ(enemy->rocketCount, 0);
    RunUntil(4.5);
    std::srand(odd);
    RunUntil(5.5);
    EXPECT_EQ(LaunchedKinds(), (Texts{"plazma_shot2", "plazma_shot2", "srocket2", "plazma_shot2", "plazma_shot2",
                                      "plazma_shot2"}));
    EXPECT_EQ(enemy->rocketCount, 0);
}

// "fire_in" ends in a long frame on its frame 2: the "fire" it chains starts
// from its own first frame and shoots a quarter second later, not at once.
TEST_F(EnemyOnLevelOne, FireInLeadsIntoAFireLoopThatRepeatsWhileFiringAndFireOutEndsIt)
{
    enemy->weaponName = "plasma";
    enemy->fireLoops = 2;
    enemy->SetAnimation("fire_in", false, true, 0);
    RunUntil(0.9);
    DrawAt(1.6);
    EXPECT_EQ(animated.GetCurrentName(), "fire");
    EXPECT_EQ(animated.GetPassLimit(), 2);
    EXPECT_EQ(enemy->firing, 1);
    EXPECT_TRUE(Launches().empty());
    RunUntil(1.8);
    EXPECT_TRUE(Launches().empty());
    RunUntil(1.9);
    EXPECT_EQ(Launches().size(), 1u);

    RunUntil(4.0); // 2.85, and 3.85 once the loop started again at 3.6
    EXPECT_EQ(Launches().size(), 3u);
    enemy->firing = 0;
    RunUntil(6.5); // 4.85; the loop ends at 5.6 and nothing follows
    EXPECT_EQ(Launches().size(), 4u);
    EXPECT_TRUE(animated.IsStopped());
    EXPECT_EQ(enemy->state, 7);

    enemy->SetAnimation("fire_out", false, true, 0);
    enemy->firing = 1;
    RunUntil(7.6);
    EXPECT_EQ(enemy->state, 11);
    EXPECT_EQ(enemy->stateTime, 0.0f);
    EXPECT_EQ(enemy->firing, 0);
    EXPECT_EQ(Launches().size(), 4u);
}

TEST_F(EnemyOnLevelOne, DeathAnimationEndLetsRaysThroughAndClearsTheRocketCount)
{
    enemy->rocketCount = 2;
    enemy->SetAnimation("death1", false, true, 0);
    RunUntil(0.9);
    EXPECT_TRUE(enemyObject.GetCollision());
    RunUntil(1.1);
    EXPECT_FALSE(enemyObject.GetCollision());
    EXPECT_EQ(enemy->rocketCount, 0);
}

TEST_F(EnemyOnLevelOne, WithoutALevelAPlayerCarOrAnAnimatedObjectNothingIsStruckOrFired)
{
    enemy->weaponName = "plasma";
    enemy->meleeCount = 1;
    enemy->melee[0] = MeleeRecord{1, kLongReach, D3DXVECTOR3(1.0f, 0.0f, 0.0f), 300.0f, 7.5f};
    CPGameObject plain("plain");
    CPEnemy still(&plain);
    still.weaponName = "plasma";
    still.SetAnimation("fire", true, true, 0);
    still.OnAnimationEvent();

    CPLevel* level = GetLevel();
    RefPtr<CPGameObject> car = level->player;
    level->player = nullptr;
    for (const char* name : {"fire", "melee1"}) {
        enemy->SetAnimation(name, true, true, 0);
        enemy->OnAnimationEvent();
    }
    level->player = car;
    CurrentLevel = nullptr;
    for (const char* name : {"fire", "melee1"}) {
        enemy->SetAnimation(name, true, true, 0);
        enemy->OnAnimationEvent();
    }
    CurrentLevel = level;

    EXPECT_TRUE(Launches().empty());
    EXPECT_EQ(BufferOf("hit1").CountCalls("Play 0 0 0"), 0);
    // With all three, the same event fires.
    enemy->SetAnimation("fire", true, true, 0);
    enemy->OnAnimationEvent();
    EXPECT_EQ(LaunchedKinds(), Texts{"plazma_shot2"});
}

struct BlowCase {
    const char* blood;
    bool quiet;
    bool fromSource;
    float health;
    Texts spawned;
    Texts handler;
};

// The object's body had stored motion to keep applying.
class EnemyBlow : public EnemyOnLevelOne, public testing::WithParamInterface<BlowCase> {
protected:
    void SetUp() override
    {
        EnemyOnLevelOne::SetUp();
        physics.SetRigidBody(&body);
        body.SetMass(2.0f);
        physics.SetStoredMotion(D3DXVECTOR3(1.0f, 2.0f, 3.0f), D3DXVECTOR3(5.0f, 6.0f, 7.0f), true);
        enemyObject.SetPhysicData(&physics);
    }
    void TearDown() override
    {
        enemyObject.SetPhysicData(nullptr);
        physics.SetRigidBody(nullptr);
        g_damageFactor = 1.0f;
    }

    CPRigidBody body;
    CPPhysicData physics{&enemyObject};
};

// The damage factor 1.5 makes a blow of 20 one of 30 for the enemy.
TEST_P(EnemyBlow, RestrictedBlowsHurtOnlyMachinesAndABlowFromAnObjectDrawsNoBlood)
{
    const BlowCase& row = GetParam();
    enemy->bloodKind = row.blood;
    enemy->health = 100.0f;
    g_damageFactor = 1.5f;
    CPGameObject source("source");
    const D3DXVECTOR3 point(3.0f, 4.0f, 5.0f), direction(0.6f, 0.0f, 0.8f);
    enemyObject.Damage(&point, &direction, 20.0f, row.fromSource ? &source : nullptr, row.quiet);

    EXPECT_EQ(enemy->health, row.health);
    EXPECT_TRUE(enemy->wasHit);
    EXPECT_EQ(LaunchedKinds(), row.spawned);
    if (!row.spawned.empty()) {
        const Launch launch = Launches()[0];
        ExpectPoint(launch.call.position, point);
        ExpectPoint(launch.call.direction, D3DXVECTOR3(-18.0f, 0.0f, -24.0f));
        EXPECT_EQ(launch.call.value, -1.0f);
        EXPECT_EQ(launch.call.owner, nullptr);
    }
    EXPECT_EQ(enemyHandler.TakeCommands(), row.handler);
    physics.OnControllerStep(nullptr, 0.01f);
    ExpectPoint(body.GetVelocity(), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(enemy->state, 7) << "alive";
}

INSTANTIATE_TEST_SUITE_P(Enemy, EnemyBlow,
                         testing::Values(BlowCase{"blood1", false, false, 70.0f, {"blood1"}, {"damage:20.00"}},
                                         BlowCase{"blood1", true, false, 100.0f, {}, {}},
                                         BlowCase{"oil1", true, false, 70.0f, {"oil1"}, {}},
                                         BlowCase{"oil1", false, true, 70.0f, {}, {"damage:20.00"}}));

TEST_F(EnemyOnLevelOne, TwoLethalBlowsPayTheRewardAndReportTheDeathOnce)
{
    data.money = 100.0f;
    data.kills = 3;
    enemy->reward = 25;
    enemy->health = 10.0f;
    enemy->bloodKind = "oil1";
    enemyObject.SetPosition(1.0f, 2.0f, 3.0f);
    const D3DXVECTOR3 point(1.0f, 2.0f, 3.5f), direction(0.0f, 1.0f, 0.0f);
    enemyObject.Damage(&point, &direction, 15.0f, nullptr, false);
    enemyObject.Damage(&point, &direction, 15.0f, nullptr, false);

    EXPECT_EQ(enemy->health, -20.0f);
    EXPECT_EQ(data.money, 125.0f);
    EXPECT_EQ(data.kills, 4);
    EXPECT_EQ(gamemenu.TakeCommands(), Texts{"change_money:125.00"});
    EXPECT_EQ(levelListener.TakeCommands(), Texts{"enemy_death:1.00,2.00,3.00"});
    EXPECT_EQ(enemy->state, 44);
    EXPECT_TRUE(enemy->deathHandled);
    EXPECT_TRUE(enemyObject.IsVisible());

    // Once the owner marks it dead, blows pass it by.
    enemy->dead = true;
    enemy->wasHit = false;
    enemyObject.Damage(&point, &direction, 15.0f, nullptr, false);
    EXPECT_EQ(enemy->health, -20.0f);
    EXPECT_FALSE(enemy->wasHit);
    EXPECT_EQ(LaunchedKinds(), (Texts{"oil1", "oil1"}));
}

TEST_F(EnemyOnLevelOne, ASuppressedDeathReportIsNotSent)
{
    enemy->health = 1.0f;
    enemy->deathReportSuppressed = true;
    const D3DXVECTOR3 point(0.0f, 0.0f, 0.0f);
    enemyObject.Damage(&point, &point, 5.0f, nullptr, false);
    EXPECT_TRUE(levelListener.TakeCommands().empty());
    EXPECT_EQ(gamemenu.TakeCommands(), Texts{"change_money:0.00"});
}

struct GibCase {
    const char* blood;
    bool leavesGibs;
    bool gibs;
};

class EnemyGibs : public EnemyOnLevelOne, public testing::WithParamInterface<GibCase> {};

// The gibs' count and kinds are worked out from the same seed: the count
// first, then per gib its kind and its three angles.
TEST_P(EnemyGibs, OnlyBloodThatLeavesGibsHidesTheEnemyAndThrowsFiveToNineGibs)
{
    const GibCase& row = GetParam();
    enemy->bloodKind = row.blood;
    enemy->leavesGibs = row.leavesGibs;
    enemy->health = 5.0f;
    enemy->gibHeight = 0.75f;
    std::srand(kSeed);
    const int count = std::rand() % 5 + 5;
    Texts gibs;
    for (int gib = 0; gib < count; ++gib) {
        gibs.push_back(std::rand() % 2 == 0 ? "gib2" : "gib1");
        for (int angle = 0; angle < 3; ++angle) std::rand();
    }
    std::srand(kSeed);
    const D3DXVECTOR3 point(0.0f, 0.0f, 0.0f), direction(1.0f, 0.0f, 0.0f);
    enemyObject.Damage(&point, &direction, 5.0f, nullptr, false);

    std::vector<Launch> launches = Launches();
    ASSERT_FALSE(launches.empty());
    EXPECT_EQ(launches[0].kind, row.blood);
    launches.erase(launches.begin());
    EXPECT_EQ(enemyObject.IsVisible(), !row.gibs);
    if (!row.gibs) {
        EXPECT_TRUE(launches.empty());
        return;
    }
    ASSERT_GE(count, 5);
    ASSERT_LE(count, 9);
    Texts kinds;
    for (const Launch& launch : launches) {
        kinds.push_back(launch.kind);
        ExpectPoint(launch.call.position, enemyAt + D3DXVECTOR3(0.0f, 0.0f, 0.75f));
        EXPECT_NEAR(D3DXVec3Length(&launch.call.direction), 1.0f, 1e-4f);
        EXPECT_EQ(launch.call.value, -1.0f);
    }
    EXPECT_EQ(kinds, gibs);
}

INSTANTIATE_TEST_SUITE_P(Enemy, EnemyGibs,
                         testing::Values(GibCase{"blood1", true, true}, GibCase{"blood1", false, false},
                                         GibCase{"oil1", true, false}));

} // namespace
