#pragma once

#include "Render/ParticleSpawnRecord.h"
#include "game/PShot.h"

#include <string>
#include <vector>

// An explosion, blood or gibs: starts its particle system at the launch
// point along the launch direction and ends once its life is over.
class EffectShot : public CPShot {
public:
    static const int kParamCount = 3;

    explicit EffectShot(const std::string& kindName);

    void Clone(RefPtr<CPShot>& copy) override;
    bool Update() override;
    // Particle system, life in seconds, sound. False when the life is not
    // a number.
    bool SetParams(const std::vector<std::string>& params) override;
    void Launch(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float value,
                RefPtr<CPGameObject> owner, int extra) override;

    const std::string& GetParticleName() const { return m_particleName; }
    float GetLife() const { return m_life; }

private:
    ParticleSpawnRecord MakeRecord(const D3DXVECTOR3& position, const D3DXVECTOR3& direction) const;

    std::vector<std::string> m_params;
    std::string m_particleName;
    float m_life;
    float m_age;
};
