#include "script/EnemyFunctions.h"

#include "script/ScriptArguments.h"

#include "game/LevelClock.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Enemies appear out of sight but close enough to matter: in a ring around
// the player car, both ends left out.
const float kNearestSpawnDistance = 25.0f;
const float kFarthestSpawnDistance = 40.0f;
const int kRollRange = 100;

// GetPositionForEnemy: the side of the square searched around the car, and
// the one used when a marker asks for the point beside the given one.
const float kSearchSize = 80.0f;
const float kMarkedSearchSize = 2.0f;
const float kMarkerOffset = 2.0f;
const int kMarkerArgument = 3;
const float kBorderMargin = 20.0f;
const float kFastCarSpeed = 2.0f;
// One try in this many searches the square even when the car is fast.
const int kAheadOdds = 5;
const int kPositionTries = 2;
const float kZeroSquaredLength = 1e-6f;

const float kBonusValue = -1.0f;

CPGameObject* PlayerCar()
{
    return CurrentLevel ? CurrentLevel->player.Get() : nullptr;
}

D3DXVECTOR3 PositionOf(CPGameObject& object)
{
    return *object.GetPositionRef();
}

bool InSpawnRing(const D3DXVECTOR3& point, const D3DXVECTOR3& centre)
{
    const D3DXVECTOR3 offset = point - centre;
    const float distance = D3DXVec3Length(&offset);
    return distance > kNearestSpawnDistance && distance < kFarthestSpawnDistance;
}

// The points of the named source with the flag that lie in the ring
// around the car.
std::vector<const EnemySourcePoint*> PointsInRing(const char* source, bool flag, const D3DXVECTOR3& car)
{
    std::vector<const EnemySourcePoint*> points;
    if (!g_pGameData || !source) return points;
    auto named = g_pGameData->enemySources.find(source);
    if (named == g_pGameData->enemySources.end()) return points;
    for (const EnemySourcePoint& point : named->second) {
        if (point.active == flag && InSpawnRing(D3DXVECTOR3(point.x, point.y, point.z), car)) {
            points.push_back(&point);
        }
    }
    return points;
}

// The name whose range holds the roll, the last one when ranges overlap;
// "" when none does.
std::string PickWeighted(const std::vector<WeightedName>& names, int roll)
{
    std::string picked;
    for (const WeightedName& entry : names) {
        if (roll >= entry.low && roll < entry.high) picked = entry.name;
    }
    return picked;
}

int Roll()
{
    return std::rand() % kRollRange;
}

// The mission record at the index, or an empty one that holds no kinds.
EnemySourceRecord MissionRecord(int64_t index)
{
    if (!g_pGameData || index < 0 || static_cast<size_t>(index) >= g_pGameData->missionRecords.size()) {
        return EnemySourceRecord();
    }
    return g_pGameData->missionRecords[static_cast<size_t>(index)];
}

// rand() modulo the count, where a count of 0 gives 0 (the draw is still
// made, so the sequence of draws does not depend on it).
int RandomBelow(int count)
{
    const int drawn = std::rand();
    return count > 0 ? drawn % count : 0;
}

bool CoinFlip()
{
    return (std::rand() & 1) != 0;
}

// Ahead of the fast car: a direction spread across its front, turned with
// the car, half the size long.
D3DXVECTOR3 OffsetAhead(CPGameObject& car, float size)
{
    const int spread = RandomBelow(static_cast<int>(size * 0.25f));
    D3DXVECTOR3 direction(static_cast<float>(spread) - size * 0.125f, -size * 0.5f, 0.0f);
    D3DXMATRIX turn;
    D3DXMatrixRotationQuaternion(&turn, car.GetRotationRef());
    D3DXVec3TransformNormal(&direction, &direction, &turn);
    if (D3DXVec3LengthSq(&direction) < kZeroSquaredLength) return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVec3Normalize(&direction, &direction);
    return direction * (size * 0.5f);
}

// A point on the border of the square of the size around the car.
D3DXVECTOR3 OffsetOnSquare(float size)
{
    const bool alongX = CoinFlip();
    const float along = static_cast<float>(RandomBelow(static_cast<int>(size))) - size * 0.5f;
    const float across = CoinFlip() ? -size * 0.5f : size * 0.5f;
    return alongX ? D3DXVECTOR3(along, across, 0.0f) : D3DXVECTOR3(across, along, 0.0f);
}

// A ground point is free inside the level's margin and outside the boxes
// of every solid object the level placed; heights do not count.
bool IsFreeGroundPoint(const CPLevel& level, const D3DXVECTOR3& point)
{
    if (std::fabs(point.x) > level.width * 0.5f - kBorderMargin) return false;
    if (std::fabs(point.y) > level.depth * 0.5f - kBorderMargin) return false;
    for (const RefPtr<CPGameObject>& object : level.levelObjects) {
        if (!object || !object->GetCollision()) continue;
        const AxisAlignedBox& box = object->GetPartBounds();
        if (point.x > box.minimum.x && point.x < box.maximum.x && point.y > box.minimum.y &&
            point.y < box.maximum.y) {
            return false;
        }
    }
    return true;
}

int PushSpawnPoint(lua_State* state, bool flag, float x, float y)
{
    lua_pushboolean(state, flag);
    lua_pushnumber(state, x);
    lua_pushnumber(state, y);
    return 3;
}

} // namespace

int Script_GetPlayerPosition(lua_State* state)
{
    CPGameObject* car = PlayerCar();
    const D3DXVECTOR3 position = car ? PositionOf(*car) : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    lua_pushnumber(state, position.x);
    lua_pushnumber(state, position.y);
    lua_pushnumber(state, position.z);
    return 3;
}

int Script_IsEnemySourceNear(lua_State* state)
{
    CPGameObject* car = PlayerCar();
    const bool nearby = car && !PointsInRing(ReadText(state, 2), ReadBool(state, 1), PositionOf(*car)).empty();
    lua_pushboolean(state, nearby);
    return 1;
}

int Script_GetEnemyType(lua_State* state)
{
    CPGameObject* car = PlayerCar();
    if (!car || !g_pGameData) {
        lua_pushstring(state, "");
        return 1 + PushSpawnPoint(state, false, 0.0f, 0.0f);
    }
    const std::vector<const EnemySourcePoint*> points =
        PointsInRing(ReadText(state, 1), ReadBool(state, 2), PositionOf(*car));
    if (points.empty()) {
        const EnemySourceRecord record = MissionRecord(static_cast<int64_t>(ReadInt(state, 1)) - 1);
        const D3DXVECTOR3 at = PositionOf(*car);
        lua_pushstring(state, PickWeighted(record.enemyKinds, Roll()).c_str());
        return 1 + PushSpawnPoint(state, false, at.x, at.y);
    }
    const EnemySourcePoint& point = *points[static_cast<size_t>(std::rand()) % points.size()];
    lua_pushstring(state, PickWeighted(point.enemyKinds, Roll()).c_str());
    return 1 + PushSpawnPoint(state, true, point.x, point.y);
}

int Script_GetPositionForEnemy(lua_State* state)
{
    CPGameObject* car = PlayerCar();
    if (!car) return PushSpawnPoint(state, false, 0.0f, 0.0f);
    const bool marked = !lua_isnoneornil(state, kMarkerArgument);
    const float size = marked ? kMarkedSearchSize : kSearchSize;
    const D3DXVECTOR3 beside(ReadFloat(state, 4) + kMarkerOffset, ReadFloat(state, 5) + kMarkerOffset, 0.0f);
    D3DXVECTOR3 candidate(0.0f, 0.0f, 0.0f);
    bool isFree = false;
    for (int attempt = 0; attempt < kPositionTries && !isFree; ++attempt) {
        // The draws are made with a marker too, so both kinds of call move
        // the random sequence alike.
        const bool ahead = CurrentLevel->cameraSpeed > kFastCarSpeed && std::rand() % kAheadOdds != 0;
        const D3DXVECTOR3 offset = ahead ? OffsetAhead(*car, size) : OffsetOnSquare(size);
        candidate = marked ? beside : PositionOf(*car) + offset;
        isFree = IsFreeGroundPoint(*CurrentLevel, candidate);
    }
    return PushSpawnPoint(state, isFree, candidate.x, candidate.y);
}

int Script_SetBonus(lua_State* state)
{
    std::srand(LevelClockMilliseconds());
    if (!g_pGameData || !g_pShotSpawner) return 0;
    const EnemySourceRecord record = MissionRecord(ReadInt(state, 3));
    const int chance = NarrowToInt(static_cast<double>(record.bonusChance) * g_pGameData->coeffB);
    if (chance < Roll()) return 0;
    const std::string kind = PickWeighted(record.bonusKinds, Roll());
    if (kind.empty()) return 0;
    const D3DXVECTOR3 at(ReadFloat(state, 1), ReadFloat(state, 2), 0.0f);
    g_pShotSpawner->Spawn(kind, at, at, kBonusValue, nullptr, 0);
    return 0;
}
