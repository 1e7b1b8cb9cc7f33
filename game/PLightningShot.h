#pragma once

#include "game/PShot.h"

#include <string>
#include <vector>

// A bolt that grows from its launch point along its direction at its
// speed, drawn as one textured quad turned toward the level camera, until
// it hits something in the level (where it spawns its impact kind) or has
// grown 20 units. Made and launched by the scripts, never from a pool.
class CPLightningShot : public CPShot {
public:
    static constexpr float kMaxLength = 20.0f;

    explicit CPLightningShot(const std::string& kindName);

    // A bolt is not copied: hands back none.
    void Clone(RefPtr<CPShot>& copy) override;
    bool Update() override;
    // In order: "enemy" or another target word, speed, power, half width,
    // texture, effect, material type, impact kind, a further number that
    // is also the sound. Missing strings read as 0 or empty.
    bool SetParams(const std::vector<std::string>& params) override;
    void Launch(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float value,
                RefPtr<CPGameObject> owner, int extra) override;

    // One frame of growth: -1 once longer than 20 units, 0 when it hit
    // (hitObject names what), 1 while it grows.
    int Strike(RefPtr<CPGameObject>& hitObject);

    float GetSpeed() const { return m_speed; }
    float GetPower() const { return m_power; }
    float GetTravelled() const { return m_travelled; }
    float GetHalfWidth() const { return m_halfWidth; }
    const std::string& GetImpactKind() const { return m_impactKind; }
    const std::string& GetTextureName() const { return m_textureName; }
    const std::string& GetEffectName() const { return m_effectName; }
    int GetMaterialType() const { return m_materialType; }
    bool IsNotEnemyTarget() const { return m_notEnemyTarget; }
    float GetExtraValue() const { return m_extraValue; }
    const D3DXVECTOR3& GetStart() const { return m_start; }

private:
    bool HitsLevel(float step, RefPtr<CPGameObject>& hitObject);
    void PlaceQuad();
    void BuildMesh();

    float m_speed;
    float m_power;
    float m_travelled;
    std::string m_impactKind;
    std::string m_textureName;
    std::string m_effectName;
    bool m_notEnemyTarget;
    int m_materialType;
    D3DXVECTOR3 m_start;
    float m_halfWidth;
    float m_extraValue;
    // The side the quad spreads to; kept when the eye lies on the bolt's line.
    D3DXVECTOR3 m_side;
};
