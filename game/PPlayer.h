#pragma once

#include "core/PGameObject.h"
#include "game/ItemCatalog.h"
#include "physics/PCarWorld.h"

#include <d3dx9math.h>

#include <cstdint>
#include <string>
#include <unordered_map>

class CPLine;

// The race object of one racer: the human player's car, a computer-driven
// opponent or a traffic car. A game object named "PLAYER" around the car
// that the car world gives it, keeping the racer's game state: inputs, the
// lock, damage and life, weapons, bonuses, the shadow and the timers of the
// per-step rules. The level makes one per racer from the racer's loaded
// description.
class CPPlayer : public CPGameObject, public IPCollisionFlag {
public:
    // Side flags.
    static const uint32_t kLightSide = 1;
    static const uint32_t kDarkSide = 2;
    static const uint32_t kTraffic = 4;
    static const uint32_t kHumanPlayer = 8;
    static const int kWeaponSlots = 3;
    static const int kMuzzleFlares = 4;

    CPPlayer();
    ~CPPlayer() override;

    // Loads "shadow.rdf" as the car's shadow and draws it with "shadow.fx"
    // and the car's shadow texture. Without an object loader, or a car,
    // there is no shadow.
    void SetupShadow();
    // The volume of the car's engine, skid and nitro sounds; false, and
    // nothing changed, while the car has no sound.
    bool SetCarSoundVolume(float volume);

    // Bonus pick-ups, while the level's race timer runs: tests the car
    // against every entry of the game data's bonus list and applies what it
    // touches. A pick-up is taken (and leaves the list) by one car only;
    // obstacles stay. Entries without an object are skipped.
    void CheckBonuses();

    // The car world's collision callback: the car touches something.
    void RaiseCollisionFlag() override { touching = true; }

    RefPtr<CPGameObject> shadow;
    float respawnCooldown;
    bool respawnFadeUp;
    bool respawnFadeDown;
    float respawnFadeTime;
    float flameTime;
    float barrelAngle;
    float steerInput;
    float throttleInput;
    int32_t weaponSlot;
    std::string weaponName;
    bool weaponEmpty;
    bool minesEmpty;
    float engineTemp;
    RefPtr<CPGameObject> weaponModel;
    RefPtr<CPGameObject> muzzleFlares[kMuzzleFlares];
    int32_t flareCycle;
    float driftTime;
    D3DXVECTOR3 aimPoint;
    float ammunition[kWeaponSlots];
    WeaponDefinition weaponDef;
    bool minesArmed;
    bool hasMines;
    bool triggerHeld;
    int32_t weaponType;
    float fireCooldown;
    EngineDefinition engineItem;
    float life;
    float maxLife;
    // Hits of the current weapon per object.
    std::unordered_map<IPObject*, int> hitTargets;
    float shotFactor;
    float fireRateFactor;
    bool deathReported;
    bool locked;
    bool throttleBlocked;
    bool speedBonusActive;
    float speedBonusTime;
    int32_t abilityCount;
    float defeatTime;
    bool lossShown;
    int32_t wallHits;
    double lastWallHit;
    D3DXVECTOR3 wallPush;
    double lastHaloHit;
    std::string carModel;
    float blurTime;
    bool blurActive;
    uint32_t sideFlags;
    float damage;
    float smokeTime;
    bool inGloom;
    float gloomTime;
    bool slowActive;
    float slowTime;
    float timeBonus;
    float slamTime;
    // The car sends turn arrows and drift points and may play "slam" along
    // its route line.
    bool routeAware;
    CPLine* routeLine;
    int32_t cameraMin;
    int32_t cameraMax;
    bool dead;
    bool touching;
};
