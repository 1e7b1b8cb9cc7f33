#pragma once

#include "DynamicSky/SkyLighting.h"
#include "Render/PCamera.h"
#include "core/PGameObject.h"
#include "core/PObject.h"

#include <d3dx9math.h>

class CPCar;

// The race level: everything one race needs. There is one current level at
// a time; a level makes itself current when it is built and stops being
// current when it is destroyed. It is not a counted engine object: whoever
// holds the current level deletes it. It is what its follow camera follows,
// and while current it takes the sky's sun as its directional light.
class CPLevel : public IPCameraSubject, public IPSunLightTarget {
public:
    CPLevel();
    virtual ~CPLevel();

    virtual const char* GetTypeName();

    // The player's direction and car, and the level's heading overrides;
    // without a car its values are zero.
    void GetFollowInputs(FollowInputs& inputs) override;

    void SetPlayer(CPGameObject* player) { m_player = player; }
    CPGameObject* GetPlayer() const { return m_player.Get(); }
    // The player object's car, or null.
    CPCar* GetCarPtr() const;

    // Its x and y give the player's heading and pitch.
    void SetPlayerDirection(const D3DXVECTOR3& direction) { m_playerDirection = direction; }
    const D3DXVECTOR3& GetPlayerDirection() const { return m_playerDirection; }
    // While forced, the camera's heading is the given one (radians) turned
    // by a quarter.
    void SetForcedHeading(bool forced, float heading);
    // Radians the camera turns by while the script tuning value is 0.
    void SetExtraYaw(float yaw) { m_extraYaw = yaw; }

    // The level's directional light.
    D3DLIGHT9 light;
    // Copies the light into the renderer's light table; dropped when the
    // table is full.
    void SubmitLight();
    void SubmitSunLight(const D3DXVECTOR3& direction, const D3DCOLORVALUE& colour) override;

private:
    RefPtr<CPGameObject> m_player;
    D3DXVECTOR3 m_playerDirection;
    bool m_headingForced;
    float m_forcedHeading;
    float m_extraYaw;
};

// The current level, or null.
extern CPLevel* CurrentLevel;
CPLevel* GetLevel();
