// The level's ray and sphere queries, its placed objects and the small
// operations that the loader, the race rules and the scripts call.

#include "game/PLevel.h"

#include "Render/PObjectLoader.h"
#include "Render/PRenderObject.h"
#include "core/RayQuery.h"
#include "core/Settings.h"
#include "game/AIManager.h"
#include "game/PPlayer.h"

#include <cctype>
#include <cmath>

namespace {

// How far around the player (in x and y, world units) rays and spheres
// look beyond the branch tree.
const float kPlayerReach = 10.0f;
// Grid cells are 10 x 10 units.
const float kCellsPerUnit = 0.1f;
// Placed objects load with the material offset of all level objects.
const int kPlacedObjectFlags = 20;
// "chk12_barrel": the number starts at the fourth character.
const size_t kPlacedNumberStart = 3;
const size_t kShortestPlacedName = 5;
const char kDescriptionExtension[] = ".rdf";
const size_t kCarsDrivenAtStart = AIManager::kOpponentSlots;
const float kRouteTurn = 6.2831855f;
// The heading difference wraps with this slightly shorter turn.
const float kHeadingTurn = 6.283f;
const float kBackwardsFrom = 1.57f;
const float kBackwardsTo = 4.713f;
const float kPi = 3.14159265f;

template <class List>
void AppendTouching(const List& objects, const D3DXVECTOR3& centre, float radius, CPGameObject::ObjectList& result)
{
    for (const RefPtr<CPGameObject>& object : objects) {
        if (object && LevelBoxOf(*object).OverlapsSphere(centre, radius)) result.push_back(object);
    }
}

template <class List>
bool IntersectEach(const List& objects, RayQuery& query)
{
    bool hit = false;
    for (const RefPtr<CPGameObject>& object : objects) {
        if (object && object->IntersectRay(query)) hit = true;
    }
    return hit;
}

void SetHitPoint(RayQuery& query)
{
    query.hitPoint = query.origin + query.direction * query.distance;
}

void AppendMeshParts(const RefPtr<CPGameObject>& object, CPGameObject::ObjectList& result)
{
    if (object->GetKind() == CPGameObject::kKindMesh && object->GetRenderObject()) result.push_back(object);
    for (const RefPtr<CPGameObject>& child : object->GetChildren()) AppendMeshParts(child, result);
}

void AppendMarkedParts(const CPGameObject::ObjectList& objects, CPGameObject::ObjectList& result)
{
    for (const RefPtr<CPGameObject>& object : objects) {
        if (object->IsMarked()) AppendMeshParts(object, result);
    }
}

// Into [0, turn): a whole number of turns is taken off or added.
float WrapInto(float angle, float turn)
{
    const float wrapped = std::fmod(angle, turn);
    return wrapped < 0.0f ? wrapped + turn : wrapped;
}

} // namespace

bool CPLevel::CrossRay(RayQuery& query)
{
    return CrossLevel(query, true);
}

bool CPLevel::CrossPlayerRay(RayQuery& query)
{
    return CrossLevel(query, false);
}

bool CPLevel::CrossLevel(RayQuery& query, bool withPlayer)
{
    bool hit = false;
    if (g_quadlevels == 0 && branchTree && branchTree->IntersectRay(query)) hit = true;
    if (player && PassesNearPlayer(query)) {
        if (withPlayer && player->IntersectRay(query)) hit = true;
        if (IntersectEach(dynamicObjects, query)) hit = true;
        if (IntersectEach(rayObjects, query)) hit = true;
    }
    SetHitPoint(query);
    return hit;
}

// The segment's band: within reach of the player along both ground axes
// around its middle, and across the segment's line.
bool CPLevel::PassesNearPlayer(const RayQuery& query) const
{
    const float half = query.distance / 2.0f;
    const D3DXVECTOR3& direction = query.direction;
    const D3DXVECTOR3 middle = query.origin + direction * half;
    const D3DXVECTOR3 offset = *player->GetPositionRef() - middle;
    const float dx = std::fabs(direction.x);
    const float dy = std::fabs(direction.y);
    return std::fabs(offset.x) <= dx * half + kPlayerReach && std::fabs(offset.y) <= dy * half + kPlayerReach &&
           std::fabs(direction.y * offset.x - offset.y * direction.x) <= (dy + dx) * kPlayerReach;
}

bool CPLevel::CrossRacers(RayQuery& query)
{
    for (const RefPtr<CPGameObject>& opponent : opponents) {
        if (opponent && opponent->IntersectRay(query)) {
            SetHitPoint(query);
            return true;
        }
    }
    if (!cameraCar || !cameraCar->IntersectRay(query)) return false;
    SetHitPoint(query);
    return true;
}

void CPLevel::CollectInSphere(const D3DXVECTOR3& centre, float radius, CPGameObject::ObjectList& result)
{
    if (g_quadlevels == 0 && branchTree) branchTree->CollectInSphere(centre, radius, result);
    if (player) {
        const D3DXVECTOR3& around = *player->GetPositionRef();
        if (LevelBoxOf(*player).OverlapsSphere(centre, radius)) result.push_back(player);
        if (std::fabs(centre.x - around.x) < radius + kPlayerReach &&
            std::fabs(centre.y - around.y) < radius + kPlayerReach) {
            AppendTouching(dynamicObjects, centre, radius, result);
        }
        const bool hasGrid = gridColumns > 0 && gridRows > 0 &&
                             gridCells.size() == static_cast<size_t>(gridColumns) * gridRows;
        if (hasGrid) {
            const int lastColumn = GridIndexOf(around.x + kPlayerReach, width, gridColumns);
            const int lastRow = GridIndexOf(around.y + kPlayerReach, depth, gridRows);
            for (int column = GridIndexOf(around.x - kPlayerReach, width, gridColumns); column <= lastColumn;
                 ++column) {
                for (int row = GridIndexOf(around.y - kPlayerReach, depth, gridRows); row <= lastRow; ++row) {
                    AppendTouching(gridCells[column * gridRows + row], centre, radius, result);
                }
            }
        }
    }
    AppendTouching(rayObjects, centre, radius, result);
}

// A NaN coordinate lands in cell 0 like any other position off the grid's
// low edge.
int CPLevel::GridIndexOf(float coordinate, float extent, int count)
{
    const float cell = (coordinate + extent / 2.0f) * kCellsPerUnit;
    const float last = static_cast<float>(count - 1);
    if (!(cell >= 0.0f)) return 0;
    return cell >= last ? count - 1 : static_cast<int>(cell);
}

void CPLevel::AddToGrid(RefPtr<CPGameObject> object)
{
    if (!object || gridColumns <= 0 || gridRows <= 0 ||
        gridCells.size() != static_cast<size_t>(gridColumns) * gridRows) {
        return;
    }
    const D3DXVECTOR3& position = *object->GetPositionRef();
    const int column = GridIndexOf(position.x, width, gridColumns);
    const int row = GridIndexOf(position.y, depth, gridRows);
    gridCells[column * gridRows + row].push_back(object);
}

void CPLevel::CollectFlaggedObjects(CPGameObject::ObjectList& result)
{
    if (g_quadlevels != 0 || !branchTree) return;
    AppendMarkedParts(branchTree->GetStaticObjects(), result);
    AppendMarkedParts(branchTree->GetDistanceObjects(), result);
}

// "chk12_barrel" and "chk_barrel" give "barrel"; a name with nothing after
// the number and its separator gives nothing.
std::string CPLevel::PlacedFileBase(const std::string& name)
{
    if (name.size() < kShortestPlacedName) return std::string();
    size_t at = kPlacedNumberStart;
    while (at < name.size() && std::isdigit(static_cast<unsigned char>(name[at]))) ++at;
    ++at;
    return at < name.size() ? name.substr(at) : std::string();
}

void CPLevel::PlaceObject(const std::string& name, const D3DXVECTOR3& position, const D3DXQUATERNION& rotation)
{
    const std::string base = PlacedFileBase(name);
    if (base.empty() || !g_pObjectLoader) return;
    RefPtr<CPGameObject> object = LoadOwned(base + kDescriptionExtension, kPlacedObjectFlags);
    if (!object) return;
    SetObjectTreeFlag(object.Get(), false);
    object->SetPosition(position.x, position.y, position.z);
    object->SetRotation(-rotation.x, -rotation.y, -rotation.z, rotation.w);
    object->UpdateTransform();
    placedObjects.push_back(object);
}

void CPLevel::TransformObjectTree(CPGameObject& object, const D3DXMATRIX& matrix)
{
    if (object.GetKind() != CPGameObject::kKindAnimated) {
        if (CPRenderObject* mesh = object.GetRenderObject()) mesh->TransformVertices(matrix);
        const std::vector<CPGameObject::LevelOfDetail>& levels = object.GetLevelsOfDetail();
        for (size_t entry = 1; entry < levels.size(); ++entry) {
            if (levels[entry].object) TransformObjectTree(*levels[entry].object, matrix);
        }
    }
    for (const RefPtr<CPGameObject>& child : object.GetChildren()) TransformObjectTree(*child, matrix);
}

void CPLevel::SetWeaponPos(float x, float y, float z, CPGameObject* target)
{
    if (CPPlayer* racer = dynamic_cast<CPPlayer*>(player.Get())) racer->UpdateWeapon(D3DXVECTOR3(x, y, z), target);
}

bool CPLevel::IsPlayerMovingBackwards() const
{
    const float route = WrapInto(reversed ? routeHeading + kPi : routeHeading, kRouteTurn);
    const float difference = WrapInto(heading - route, kHeadingTurn);
    return difference > kBackwardsFrom && difference < kBackwardsTo;
}

void CPLevel::DriveAllCars()
{
    allCarsDriven = true;
    AIManager* drivers = GetAIManager();
    if (drivers && routeSpline) drivers->enabled = true;
    for (size_t i = kCarsDrivenAtStart; i < opponents.size(); ++i) {
        const RefPtr<CPGameObject>& car = opponents[i];
        if (!car) continue;
        car->SetMarked(true);
        SetObjectTreeFlag(car.Get(), true);
        const size_t slot = i - kCarsDrivenAtStart;
        if (drivers && slot < drivers->traffic.size() && drivers->traffic[slot]) {
            drivers->traffic[slot]->Setup(car, ForwardAxisOf(*car), 0.0f, car, static_cast<int>(i), 0);
        }
    }
}
