#pragma once

#include "game/PShot.h"

#include <string>
#include <vector>

class CPLevel;

// A shot that flies straight along its direction at its speed. Each frame
// it tests its step through the level and then the racers, leaving out the
// tree of the car that fired it; what it hits first takes its damage, the
// impact kind is spawned where it hit and the shot ends. It also ends once
// it has flown its range.
class ProjectileShot : public CPShot {
public:
    static const int kParamCount = 6;

    explicit ProjectileShot(const std::string& kindName);

    void Clone(RefPtr<CPShot>& copy) override;
    bool Update() override;
    // Description of the model ("none" for none), speed, range, damage,
    // impact kind, sound. False when a number is not one.
    bool SetParams(const std::vector<std::string>& params) override;
    // A value of -1 takes the damage of the parameters.
    void Launch(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float value,
                RefPtr<CPGameObject> owner, int extra) override;

    float GetSpeed() const { return m_speed; }
    float GetRange() const { return m_range; }
    float GetDamage() const { return m_damage; }
    const std::string& GetImpactKind() const { return m_impactKind; }
    float GetFlown() const { return m_flown; }

private:
    bool Hit(CPLevel& level, float step);
    void MoveTo(const D3DXVECTOR3& position);

    // What each frame's flight reads, together on one cache line: the shot
    // object is large and a level has thousands of shots in flight.
    // Unit length.
    D3DXVECTOR3 m_heading;
    float m_speed;
    float m_flown;
    float m_range;
    // The root of the firing object's tree; left out of the ray tests.
    CPGameObject* m_firedBy;
    float m_launchDamage;
    float m_damage;
    std::vector<std::string> m_params;
    std::string m_impactKind;
};
