#include "script/tests/ScriptTest.h"

#include "game/LevelClock.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"
#include "game/tests/ShotTestSupport.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using shot_test::RecordingShot;

const D3DXVECTOR3 kCar(100.0f, -50.0f, 2.0f);

WeightedName Weighted(const char* name, int low, int high)
{
    WeightedName entry;
    entry.name = name;
    entry.low = low;
    entry.high = high;
    return entry;
}

EnemySourcePoint SourcePoint(const D3DXVECTOR3& offset, bool active, std::vector<WeightedName> kinds)
{
    EnemySourcePoint point;
    point.x = kCar.x + offset.x;
    point.y = kCar.y + offset.y;
    point.z = kCar.z + offset.z;
    point.active = active;
    point.enemyKinds = kinds;
    return point;
}

// The draws the functions make after the seed, replayed.
std::vector<int> DrawsAfter(unsigned seed, int count)
{
    std::srand(seed);
    std::vector<int> draws;
    for (int i = 0; i < count; ++i) draws.push_back(std::rand());
    return draws;
}

DWORD s_clockMilliseconds = 0;
DWORD FixedClock()
{
    return s_clockMilliseconds;
}

// A mission of 400 x 300 units: the player car at (100, -50, 2), the source
// "gate" with points at the ring's ends, inside it with either flag and
// above the car, two mission records, and a spawner that records its
// "wolf", "ammo" and "nitro" shots.
class EnemyFunctions : public ScriptTest {
protected:
    EnemyFunctions() : level(new CPLevel()), m_previousClock(SetLevelClock(FixedClock))
    {
        car.SetPosition(kCar.x, kCar.y, kCar.z);
        level->player = &car;
        level->width = 400.0f;
        level->depth = 300.0f;
        data.enemySources["gate"] = {
            SourcePoint(D3DXVECTOR3(15.0f, 20.0f, 0.0f), true, {Weighted("edge", 0, 100)}),
            SourcePoint(D3DXVECTOR3(-24.0f, 32.0f, 0.0f), true, {Weighted("edge", 0, 100)}),
            SourcePoint(D3DXVECTOR3(0.0f, -30.0f, 0.0f), false, {Weighted("hidden", 0, 100)}),
        };
        data.enemySources["high"] = {
            SourcePoint(D3DXVECTOR3(0.0f, 0.0f, 30.0f), true, {Weighted("bat", 0, 40), Weighted("owl", 40, 100)}),
            SourcePoint(D3DXVECTOR3(3.0f, 26.0f, 0.0f), true, {Weighted("rat", 0, 70), Weighted("fox", 70, 100)}),
        };
        EnemySourceRecord first;
        first.enemyKinds = {Weighted("wolf", 0, 100), Weighted("bear", 20, 50)};
        first.bonusChance = 33;
        first.bonusKinds = {Weighted("ammo", 0, 60), Weighted("nitro", 60, 90)};
        EnemySourceRecord second;
        second.enemyKinds = {Weighted("crow", 10, 60)};
        data.missionRecords = {first, second};
        data.coeffB = 1.5f;
        g_pGameData = &data;
        for (const char* kind : {"ammo", "nitro"}) {
            spawner.AddTemplate(std::unique_ptr<CPShot>(new RecordingShot(kind)));
        }
        g_pShotSpawner = &spawner;
    }
    ~EnemyFunctions() override
    {
        SetLevelClock(m_previousClock);
        level->player = nullptr;
        level.reset();
        g_pGameData = nullptr;
        g_pShotSpawner = nullptr;
    }

    std::string Joined(const std::string& code)
    {
        const std::vector<std::string> results = Results(code);
        std::string text;
        for (size_t i = 0; i < results.size(); ++i) text += (i ? "|" : "") + results[i];
        return text;
    }

    // A solid box over the rectangle, as the level places objects.
    void AddSolidObject(CPGameObject& object, const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum)
    {
        object.GetParts().push_back(CPBoundingBox((minimum + maximum) * 0.5f, (maximum - minimum) * 0.5f));
        object.UpdateTransform();
        level->levelObjects.push_back(&object);
    }

    std::vector<std::string> LaunchedKinds()
    {
        std::vector<std::string> kinds;
        for (const RefPtr<CPShot>& shot : spawner.GetActiveShots()) kinds.push_back(shot->GetKindName());
        return kinds;
    }

    CPGameObject car{"car"};
    CPGameData data;
    CPShotSpawner spawner;
    std::unique_ptr<CPLevel> level;

private:
    LevelClockFunction m_previousClock;
};

TEST_F(EnemyFunctions, ThePlayerPositionIsTheLevelsPlayerCar)
{
    EXPECT_EQ(Joined("return GetPlayerPosition()"), "100|-50|2");
    level->player = nullptr;
    EXPECT_EQ(Joined("return GetPlayerPosition()"), "0|0|0");
}

TEST_F(EnemyFunctions, ASourceIsNearOnlyStrictlyInsideTheRingAndWithTheFlagAsked)
{
    struct Case {
        const char* call;
        const char* answer;
    };
    const Case cases[] = {
        {"IsEnemySourceNear(true, 'gate')", "false"}, // exactly 25 and exactly 40 away
        {"IsEnemySourceNear(false, 'gate')", "true"},
        {"IsEnemySourceNear(true, 'high')", "true"}, // 30 straight up counts
        {"IsEnemySourceNear(false, 'high')", "false"},
        {"IsEnemySourceNear(true, 'none')", "false"},
        {"IsEnemySourceNear(true)", "false"},
    };
    for (const Case& c : cases) EXPECT_EQ(Joined(std::string("return ") + c.call), c.answer) << c.call;
    level->player = nullptr;
    EXPECT_EQ(Joined("return IsEnemySourceNear(false, 'gate')"), "false") << "no player car";
}

TEST_F(EnemyFunctions, EnemyTypeDrawsAPointInTheRingThenAKindByItsRanges)
{
    // "high" has two points in the ring: the first draw picks one, the
    // second rolls over its kinds.
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const std::vector<int> draws = DrawsAfter(seed, 2);
        const bool above = draws[0] % 2 == 0;
        const int roll = draws[1] % 100;
        const std::string kind = above ? (roll < 40 ? "bat" : "owl") : (roll < 70 ? "rat" : "fox");
        const std::string place = above ? "100|-50" : "103|-24";
        std::srand(seed);
        EXPECT_EQ(Joined("return GetEnemyType('high', true)"), kind + "|true|" + place) << seed;
    }
}

TEST_F(EnemyFunctions, EnemyTypeFallsBackToTheMissionRecordAtThePlayerCar)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const int roll = DrawsAfter(seed, 1)[0] % 100;
        // Overlapping ranges: the last entry that holds the roll wins.
        const std::string first = roll >= 20 && roll < 50 ? "bear" : "wolf";
        std::srand(seed);
        EXPECT_EQ(Joined("return GetEnemyType(1, true)"), first + "|false|100|-50") << seed;
        const std::string second = roll >= 10 && roll < 60 ? "crow" : "";
        std::srand(seed);
        EXPECT_EQ(Joined("return GetEnemyType('2', false)"), second + "|false|100|-50") << seed;
    }
    for (const char* outside : {"0", "3", "-2^31", "'gate'"}) {
        EXPECT_EQ(Joined(std::string("return GetEnemyType(") + outside + ", true)"), "|false|100|-50") << outside;
    }
    level->player = nullptr;
    EXPECT_EQ(Joined("return GetEnemyType(1, true)"), "|false|0|0") << "no player car";
}

TEST_F(EnemyFunctions, PositionForEnemyLiesOnTheSquareAroundASlowCar)
{
    level->cameraSpeed = 2.0f;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const std::vector<int> draws = DrawsAfter(seed, 3);
        const float along = static_cast<float>(draws[1] % 80) - 40.0f;
        const float across = draws[2] % 2 ? -40.0f : 40.0f;
        const bool alongX = draws[0] % 2 != 0;
        const float x = kCar.x + (alongX ? along : across);
        const float y = kCar.y + (alongX ? across : along);
        std::srand(seed);
        EXPECT_EQ(Results("return GetPositionForEnemy('wolf', 1)"),
                  (std::vector<std::string>{"true", std::to_string(static_cast<int>(x)),
                                            std::to_string(static_cast<int>(y))}))
            << seed;
    }
}

TEST_F(EnemyFunctions, PositionForEnemyLiesAheadOfAFastCarTurnedWithIt)
{
    // A quarter turn about z: the car's forward axis -y points along +x.
    const float half = 0.70710678f;
    car.SetRotation(0.0f, 0.0f, half, half);
    level->cameraSpeed = 2.5f;
    int ahead = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const std::vector<int> draws = DrawsAfter(seed, 2);
        if (draws[0] % 5 == 0) continue;
        ++ahead;
        // Locally (g - 10, -40, 0); turned (40, g - 10, 0); then 40 long.
        D3DXVECTOR3 offset(40.0f, static_cast<float>(draws[1] % 20) - 10.0f, 0.0f);
        offset *= 40.0f / D3DXVec3Length(&offset);
        std::srand(seed);
        const std::vector<std::string> results = Results("return GetPositionForEnemy('wolf', 1)");
        ASSERT_EQ(results.size(), 3u);
        EXPECT_EQ(results[0], "true");
        EXPECT_NEAR(std::stod(results[1]), kCar.x + offset.x, 1e-3) << seed;
        EXPECT_NEAR(std::stod(results[2]), kCar.y + offset.y, 1e-3) << seed;
    }
    EXPECT_GT(ahead, 0);
}

TEST_F(EnemyFunctions, PositionForEnemyBesideAMarkedPointKeepsToTheLevelsMargin)
{
    // Bounds: |x| up to 400 / 2 - 20 = 180, |y| up to 300 / 2 - 20 = 130.
    struct Case {
        const char* arguments;
        const char* answer;
    };
    const Case cases[] = {
        {"178, 128", "true|180|130"},      {"178.5, 0", "false|180.5|2"}, {"-182, -132", "true|-180|-130"},
        {"-182.5, 0", "false|-180.5|2"},   {"0, 128.5", "false|2|130.5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Joined(std::string("return GetPositionForEnemy('wolf', 1, 'near', ") + c.arguments + ")"),
                  c.answer)
            << c.arguments;
    }
    level->player = nullptr;
    EXPECT_EQ(Joined("return GetPositionForEnemy('wolf', 1, 'near', 0, 0)"), "false|0|0") << "no player car";
}

TEST_F(EnemyFunctions, PositionForEnemyAvoidsSolidObjectsTwiceThenGivesUp)
{
    CPGameObject wall("wall"), ghost("ghost");
    AddSolidObject(wall, D3DXVECTOR3(10.0f, -10.0f, -5.0f), D3DXVECTOR3(30.0f, 20.0f, -4.0f));
    AddSolidObject(ghost, D3DXVECTOR3(-30.0f, -10.0f, 0.0f), D3DXVECTOR3(-10.0f, 20.0f, 1.0f));
    ghost.SetCollision(false);
    EXPECT_EQ(Joined("return GetPositionForEnemy('wolf', 1, 'near', 18, 0)"), "false|20|2")
        << "inside the wall's ground rectangle, whatever the heights";
    EXPECT_EQ(Joined("return GetPositionForEnemy('wolf', 1, 'near', 28, 0)"), "true|30|2") << "on its face";
    EXPECT_EQ(Joined("return GetPositionForEnemy('wolf', 1, 'near', -22, 0)"), "true|-20|2")
        << "an object without collision";

    // A wall over the whole square around the slow car: both tries fail and
    // the second candidate is answered.
    CPGameObject block("block");
    AddSolidObject(block, D3DXVECTOR3(50.0f, -100.0f, 0.0f), D3DXVECTOR3(150.0f, 0.0f, 5.0f));
    const std::vector<int> draws = DrawsAfter(7, 6);
    const float along = static_cast<float>(draws[4] % 80) - 40.0f;
    const float across = draws[5] % 2 ? -40.0f : 40.0f;
    const bool alongX = draws[3] % 2 != 0;
    std::srand(7);
    EXPECT_EQ(Results("return GetPositionForEnemy('wolf', 1)"),
              (std::vector<std::string>{"false", std::to_string(static_cast<int>(kCar.x + (alongX ? along : across))),
                                        std::to_string(static_cast<int>(kCar.y + (alongX ? across : along)))}));
    level->levelObjects.clear();
}

TEST_F(EnemyFunctions, BonusIsSeededByTheLevelClockAndRollsTheScaledChanceThenTheKind)
{
    // 33 x 1.5 = 49.5, truncated to 49: a first roll of 49 drops a bonus,
    // one of 50 does not. Clocks that give each, and each kind, are found
    // by replaying the draws.
    DWORD keepAt = 0, ammoAt = 0, nitroAt = 0;
    for (DWORD clock = 1; clock < 20000 && (!keepAt || !ammoAt || !nitroAt); ++clock) {
        const std::vector<int> draws = DrawsAfter(clock, 2);
        const int chanceRoll = draws[0] % 100, kindRoll = draws[1] % 100;
        if (chanceRoll == 50 && !keepAt) keepAt = clock;
        if (chanceRoll == 49 && kindRoll < 60 && !ammoAt) ammoAt = clock;
        if (chanceRoll < 49 && kindRoll >= 60 && kindRoll < 90 && !nitroAt) nitroAt = clock;
    }
    ASSERT_TRUE(keepAt && ammoAt && nitroAt);
    s_clockMilliseconds = keepAt;
    Results("SetBonus(12.5, -7, 0)");
    EXPECT_TRUE(spawner.GetActiveShots().empty());

    s_clockMilliseconds = ammoAt;
    Results("SetBonus(12.5, -7, 0)");
    s_clockMilliseconds = nitroAt;
    Results("SetBonus(12.5, -7, 0)");
    ASSERT_EQ(LaunchedKinds(), (std::vector<std::string>{"ammo", "nitro"}));
    const RecordingShot& shot = static_cast<RecordingShot&>(*spawner.GetActiveShots()[0]);
    ASSERT_EQ(shot.launches.size(), 1u);
    shot_test::ExpectPoint(shot.launches[0].position, D3DXVECTOR3(12.5f, -7.0f, 0.0f));
    shot_test::ExpectPoint(shot.launches[0].direction, D3DXVECTOR3(12.5f, -7.0f, 0.0f));
    EXPECT_EQ(shot.launches[0].value, -1.0f);
    EXPECT_EQ(shot.launches[0].owner, nullptr);
}

TEST_F(EnemyFunctions, BonusOfARecordOutsideTheMissionOrWithoutChanceDropsNothing)
{
    for (DWORD clock = 1; clock <= 20; ++clock) {
        s_clockMilliseconds = clock;
        Results("SetBonus(1, 2, 1) SetBonus(1, 2, 2) SetBonus(1, 2, -1) SetBonus(1, 2, 2^31)");
    }
    EXPECT_TRUE(spawner.GetActiveShots().empty()) << "the second record has no bonus kinds";
    g_pShotSpawner = nullptr;
    data.missionRecords[0].bonusChance = 100;
    Results("SetBonus(1, 2, 0)");
    EXPECT_TRUE(spawner.GetActiveShots().empty()) << "no spawner";
}

} // namespace
