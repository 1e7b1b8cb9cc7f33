#include "game/ProjectileShot.h"

#include "Render/PObjectLoader.h"
#include "core/FrameClock.h"
#include "core/RayQuery.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"
#include "game/ShotNumber.h"

namespace {

const char* const kNoModel = "none";
// Models load as the level's other objects do.
const int kModelTypeOffset = 20;
const float kZeroLengthSquared = 1e-6f;

enum Param { kModel, kSpeed, kRange, kDamage, kImpactKind };

CPGameObject* RootOf(CPGameObject* object)
{
    while (object) {
        RefPtr<CPGameObject> parent = object->GetParent();
        if (!parent) break;
        object = parent.Get();
    }
    return object;
}

} // namespace

ProjectileShot::ProjectileShot(const std::string& kindName)
    : CPShot(kindName),
      m_heading(0.0f, 0.0f, 0.0f),
      m_speed(0.0f),
      m_flown(0.0f),
      m_range(0.0f),
      m_firedBy(nullptr),
      m_launchDamage(0.0f),
      m_damage(0.0f)
{
}

void ProjectileShot::Clone(RefPtr<CPShot>& copy)
{
    ProjectileShot* clone = new ProjectileShot(GetKindName());
    clone->SetParams(m_params);
    copy = clone;
}

bool ProjectileShot::SetParams(const std::vector<std::string>& params)
{
    if (params.size() != static_cast<size_t>(kParamCount)) return false;
    float speed = 0.0f, range = 0.0f, damage = 0.0f;
    if (!ReadShotNumber(params[kSpeed], speed) || !ReadShotNumber(params[kRange], range) ||
        !ReadShotNumber(params[kDamage], damage)) {
        return false;
    }
    m_params = params;
    m_speed = speed;
    m_range = range;
    m_damage = damage;
    m_impactKind = params[kImpactKind];
    if (params[kModel] != kNoModel && g_pObjectLoader) {
        RefPtr<CPGameObject> model = g_pObjectLoader->LoadObject(params[kModel], kModelTypeOffset);
        if (model) AddChild(model);
    }
    return CPShot::SetParams(params);
}

void ProjectileShot::Launch(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float value,
                            RefPtr<CPGameObject> owner, int extra)
{
    CPShot::Launch(position, direction, value, owner, extra);
    m_heading = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    if (D3DXVec3LengthSq(&direction) >= kZeroLengthSquared) D3DXVec3Normalize(&m_heading, &direction);
    m_flown = 0.0f;
    m_launchDamage = value == -1.0f ? m_damage : value;
    m_firedBy = RootOf(owner.Get());
    MoveTo(position);
}

bool ProjectileShot::Update()
{
    const float step = m_speed * FrameDeltaTime;
    CPLevel* level = GetLevel();
    if (level && Hit(*level, step)) return false;
    m_flown += step;
    MoveTo(m_position + m_heading * step);
    return m_flown <= m_range;
}

// The level first, then the racers over what is left of the step, so the
// nearer of a wall and a car is the one hit.
bool ProjectileShot::Hit(CPLevel& level, float step)
{
    RayQuery query;
    query.excluded = m_firedBy;
    query.origin = m_position;
    query.direction = m_heading;
    query.distance = step;
    const bool hitLevel = level.CrossRay(query);
    const bool hitRacer = level.CrossRacers(query);
    if (!hitLevel && !hitRacer) return false;
    const D3DXVECTOR3 point = m_position + m_heading * query.distance;
    if (query.scriptedAncestor) query.scriptedAncestor->Damage(&point, &m_heading, m_launchDamage, nullptr, false);
    if (CPShotSpawner* spawner = GetShotSpawner()) {
        spawner->Spawn(m_impactKind, point, -m_heading, -1.0f, nullptr, 0);
    }
    return true;
}

void ProjectileShot::MoveTo(const D3DXVECTOR3& position)
{
    m_position = position;
    SetPosition(position.x, position.y, position.z);
}
