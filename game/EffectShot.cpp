#include "game/EffectShot.h"

#include "Render/PParticleManager.h"
#include "core/FrameClock.h"
#include "game/ShotNumber.h"

namespace {

enum Param { kParticleName, kLife };

const float kZeroLengthSquared = 1e-6f;

} // namespace

EffectShot::EffectShot(const std::string& kindName) : CPShot(kindName), m_life(0.0f), m_age(0.0f)
{
}

void EffectShot::Clone(RefPtr<CPShot>& copy)
{
    EffectShot* clone = new EffectShot(GetKindName());
    clone->SetParams(m_params);
    copy = clone;
}

bool EffectShot::SetParams(const std::vector<std::string>& params)
{
    if (params.size() != static_cast<size_t>(kParamCount)) return false;
    float life = 0.0f;
    if (!ReadShotNumber(params[kLife], life)) return false;
    m_params = params;
    m_particleName = params[kParticleName];
    m_life = life;
    return CPShot::SetParams(params);
}

void EffectShot::Launch(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float value,
                        RefPtr<CPGameObject> owner, int extra)
{
    CPShot::Launch(position, direction, value, owner, extra);
    m_age = 0.0f;
    SetPosition(position.x, position.y, position.z);
    if (g_pParticleManager) g_pParticleManager->SpawnParticle(MakeRecord(position, direction));
}

// With an emitter of the system's name its particles take the emitter's
// values and leave along the direction at its speed; without one a
// particle of that name leaves with the direction as its velocity.
ParticleSpawnRecord EffectShot::MakeRecord(const D3DXVECTOR3& position, const D3DXVECTOR3& direction) const
{
    ParticleSpawnRecord record;
    record.name = m_particleName;
    record.position = position;
    record.velocity = direction;
    const EmitterDefinition* emitter = g_pParticleManager->FindEmitterDefinition(m_particleName);
    if (!emitter) return record;
    SetEmitterValues(record, *emitter);
    if (D3DXVec3LengthSq(&direction) >= kZeroLengthSquared) {
        D3DXVec3Normalize(&record.velocity, &direction);
        record.velocity *= emitter->speed;
    }
    return record;
}

bool EffectShot::Update()
{
    m_age += FrameDeltaTime;
    return m_age <= m_life;
}
