#include "Render/PParticleSystem.h"

#include "core/FrameClock.h"
#include "core/StringUtils.h"
#include "Render/PParticleManager.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>

namespace {

const float kDefaultInterval = 0.5f;
const float kNoLifetime = -1.0f;
const float kHalf = 0.5f;
const float kRandMax = 32767.0f;
const int kFullTurnDegrees = 360;
// Below this the rotation axis of a direction is taken as none: the
// direction lies along the z axis.
const float kAxisEpsilon = 1e-12f;

// A uniform value in [0, 1].
float RandomUnit()
{
    return static_cast<float>(std::rand()) / kRandMax;
}

// A point of the box with the spread as half extents.
D3DXVECTOR3 RandomOffset(const D3DXVECTOR3& spread)
{
    D3DXVECTOR3 offset;
    offset.x = RandomUnit() * 2.0f * spread.x - spread.x;
    offset.y = RandomUnit() * 2.0f * spread.y - spread.y;
    offset.z = RandomUnit() * 2.0f * spread.z - spread.z;
    return offset;
}

// A velocity of the given speed inside the cone around +z: a random azimuth
// and a random tilt below half the cone angle. Half an angle that rounds to
// 0 (cone angles of 0 and 1) gives no tilt and draws no number for it.
D3DXVECTOR3 RandomConeVelocity(float speed, int coneAngle)
{
    const float azimuth = static_cast<float>(std::rand() % kFullTurnDegrees) * kRadiansPerDegree;
    const int halfCone = coneAngle / 2;
    const float tilt = halfCone != 0 ? static_cast<float>(std::rand() % halfCone) * kRadiansPerDegree : 0.0f;
    const float sinTilt = std::sin(tilt);
    return D3DXVECTOR3(std::cos(azimuth) * sinTilt, std::sin(azimuth) * sinTilt, std::cos(tilt)) * speed;
}

// The direction through the matrix's rotation and scale, without its
// translation; written out because it runs for every particle.
D3DXVECTOR3 TurnDirection(const D3DXVECTOR3& v, const D3DXMATRIX& m)
{
    return D3DXVECTOR3(v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
                       v.x * m._13 + v.y * m._23 + v.z * m._33);
}

// The rotation that takes +z onto the direction. A direction along the z
// axis has no rotation axis: along +z nothing turns, along -z everything
// turns half a turn about the x axis.
D3DXMATRIX TurnTowards(const D3DXVECTOR3& direction)
{
    D3DXMATRIX turn;
    const D3DXVECTOR3 axis(-direction.y, direction.x, 0.0f);
    if (D3DXVec3LengthSq(&axis) >= kAxisEpsilon) {
        D3DXMatrixRotationAxis(&turn, &axis, ClampedAcos(direction.z));
    } else if (direction.z < 0.0f) {
        D3DXMatrixScaling(&turn, 1.0f, -1.0f, -1.0f);
    } else {
        D3DXMatrixIdentity(&turn);
    }
    return turn;
}

} // namespace

CPParticleSystem::CPParticleSystem()
    : m_accumulated(0.0f),
      m_interval(kDefaultInterval),
      m_lifetime(kNoLifetime),
      m_elapsed(0.0f),
      m_damage(0.0f),
      m_owner(nullptr)
{
}

CPParticleSystem::CPParticleSystem(CPGameObject* owner, const std::vector<std::string>& emitterNames)
    : CPParticleSystem()
{
    m_owner = owner;
    m_emitterNames = emitterNames;
    if (!g_pParticleManager) return;
    for (const std::string& name : emitterNames) {
        EmitterDefinition* definition = g_pParticleManager->FindEmitterDefinition(name);
        if (!definition) continue;
        D3DXVec3Normalize(&definition->direction, &definition->direction);
        m_emitters.push_back(*definition);
    }
    TurnEmitters();
}

// The emitters' directions never change, so each emitter's turn is worked
// out once rather than for every particle.
void CPParticleSystem::TurnEmitters()
{
    m_turns.clear();
    for (const EmitterDefinition& emitter : m_emitters) m_turns.push_back(TurnTowards(emitter.direction));
}

bool CPParticleSystem::Start()
{
    m_accumulated = 0.0f;
    m_elapsed = 0.0f;
    return IPProcess::Start();
}

void CPParticleSystem::Clone(RefPtr<IPProcess>& copy)
{
    CPParticleSystem* clone = new CPParticleSystem(m_owner, m_emitterNames);
    clone->m_interval = m_interval;
    clone->m_lifetime = m_lifetime;
    clone->m_damage = m_damage;
    clone->m_target = m_target;
    clone->m_emitters = m_emitters;
    clone->TurnEmitters();
    copy = clone;
}

bool CPParticleSystem::IsBeforeHalfLife() const
{
    return m_lifetime * kHalf > m_elapsed;
}

// Emits once for every interval the accumulated time exceeds. Over one call
// the elapsed time grows by exactly the frame time. An interval that takes
// no time off the accumulated time (0 or less, or too small to tell) emits
// at most once a frame, and a system that reaches its lifetime emits no
// more in that frame.
void CPParticleSystem::Execute()
{
    const float before = m_accumulated;
    m_accumulated += FrameDeltaTime;
    const bool wasBeforeHalfLife = IsBeforeHalfLife();
    while (m_accumulated > m_interval) {
        DamageTarget();
        const float remaining = m_accumulated - m_interval;
        const bool intervalTakesTime = remaining < m_accumulated;
        m_accumulated = remaining;
        m_elapsed += m_interval;
        DamageScriptedOwner();
        Emit();
        if (m_lifetime > 0.0f && m_elapsed > m_lifetime) {
            Stop();
            break;
        }
        if (!intervalTakesTime) break;
    }
    if (wasBeforeHalfLife && !IsBeforeHalfLife() && m_owner) {
        m_owner->FindScriptedAncestor()->ApplyAlternateMaterial();
    }
    m_elapsed += m_accumulated - before;
}

void CPParticleSystem::DamageTarget()
{
    if (!m_target) return;
    D3DXVECTOR3 direction;
    direction.x = RandomUnit() - kHalf;
    direction.y = RandomUnit() - kHalf;
    direction.z = RandomUnit() - kHalf;
    m_target->Damage(m_target->GetPositionRef(), &direction, m_damage, nullptr, false);
}

void CPParticleSystem::DamageScriptedOwner()
{
    if (!m_owner) return;
    const D3DXVECTOR3 zero(0.0f, 0.0f, 0.0f);
    m_owner->FindScriptedAncestor()->Damage(&zero, &zero, m_damage, nullptr, false);
}

// One record per emitter, chained in emitter order. The first record is
// placed in the world; the ones behind it are offsets from it.
void CPParticleSystem::Emit()
{
    if (m_emitters.empty()) return;
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    if (m_owner) world = m_owner->GetWorldMatrix();

    ParticleSpawnRecord head = MakeRecord(0, world);
    ParticleSpawnRecord* tail = &head;
    for (size_t i = 1; i < m_emitters.size(); ++i) {
        tail->next = std::make_unique<ParticleSpawnRecord>(MakeRecord(i, world));
        tail = tail->next.get();
    }
    if (g_pParticleManager) g_pParticleManager->SpawnParticle(std::move(head));
}

ParticleSpawnRecord CPParticleSystem::MakeRecord(size_t index, const D3DXMATRIX& world) const
{
    const EmitterDefinition& emitter = m_emitters[index];
    ParticleSpawnRecord record;
    record.position = RandomOffset(emitter.spread);
    if (index == 0) record.position += D3DXVECTOR3(world._41, world._42, world._43);
    const D3DXVECTOR3 cone = RandomConeVelocity(emitter.speed, emitter.coneAngle);
    record.velocity = TurnDirection(TurnDirection(cone, m_turns[index]), world);
    SetEmitterValues(record, emitter);
    return record;
}
