#pragma once

#include "Render/PParticleHit.h"
#include "core/OwnedObjects.h"
#include "core/PGameObject.h"
#include "game/ItemCatalog.h"
#include "physics/PCarWorld.h"

#include <d3dx9math.h>

#include <cstdint>
#include <string>
#include <unordered_map>

class CPLine;
class CPPerspectiveCamera;
class CPRigidBody;
class CPRenderQueue;

// The race object of one racer: the human player's car, a computer-driven
// opponent or a traffic car. A game object named "PLAYER" around the car
// that the car world gives it, keeping the racer's game state: inputs, the
// lock, damage and life, weapons, bonuses, the shadow and the timers of the
// per-step rules. The level makes one per racer from the racer's loaded
// description.
class CPPlayer : public CPGameObject, public IPCollisionFlag, public IPParticleHit {
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
    // there is no shadow. The car owns the shadows it loads: they go with
    // it.
    void SetupShadow();
    // The volume of the car's engine, skid and nitro sounds; false, and
    // nothing changed, while the car has no sound.
    bool SetCarSoundVolume(float volume);

    // The driver's inputs, handed to the car by the per-step rules. Ignored
    // while locked; the throttle reads 0 while it is blocked.
    void SetCarParams(float throttle, float steer);
    // Locking hands the car throttle 0 and the current steering at once.
    void SetLocked(bool flag);
    // While the slow-down bonus runs the brake shows the rear flares
    // instead of the car's brake lights. Ignored while locked.
    void SetBrake(bool on);
    // The car's nitro input: 0 while locked or with no nitro left, and then
    // the nitro sound stops.
    void SetNitro(float amount);
    // Blocks the throttle for a computer-driven nitro run.
    void SetNitroAI();
    // The car's velocity record; zeros without a car.
    D3DXVECTOR4 GetCarVelocity();
    // At a world point on the car's body; nothing without a body.
    void ApplyImpulse(const D3DXVECTOR3& point, const D3DXVECTOR3& impulse);
    // Queues the car when its box is in view, and its shadow under it when
    // the camera is near; the level's camera car also runs its respawn fade.
    void Draw(CPRenderQueue& queue, const CPPerspectiveCamera& camera);
    // Puts a capsized, falling or off-road car back on the route, upright
    // and at rest (forced: whatever its state). Refused while locked or
    // within a second of the last respawn. True when it respawned.
    bool Respawn(bool force);
    // Bonus pick-ups, while the level's race timer runs: tests the car
    // against every entry of the game data's bonus list and applies what it
    // touches. A pick-up is taken (and leaves the list) by one car only;
    // obstacles stay. Entries without an object are skipped.
    void CheckBonuses();
    // The rule step of the racer: wreck and loss, turn arrows and drift
    // points, the respawn check, the counters, the gloom, the slow-down,
    // the engine heat, the inputs handed to the car, the bonus pick-ups and
    // the end of the speed bonus.
    void Update(float dt);
    // The car's rigid body; null without physics data or a body.
    CPRigidBody* RigidBody() const;

    // The car world's collision callback: the car touches something.
    void RaiseCollisionFlag() override { touching = true; }

    // Weapons (PPlayerWeapons.cpp). Nothing while dead.
    //
    // Makes the weapon of the game data's fitted slot weaponSlot current:
    // shows its model (the descendant of the weapon's name), copies its
    // definition, finds its four muzzle flares and its firing type, and
    // aims it at aimPoint. A slot outside 0 to 2 is no weapon. A weapon
    // with ammunition below 0, missing from the catalogue or with a rate,
    // divisor or multiplier that is not above 0 is empty.
    void SelectWeapon();
    // Aims the weapon model at the point and, while the trigger is
    // held and the cooldown has run out, fires: shots through the shot
    // spawner, flame or casing particles, the next muzzle flare, and
    // "update_game_interface" to "gamemenu". Each shot adds its time to the
    // cooldown, and the weapon fires as long as it has run out, so a long
    // frame fires several shots; a released trigger drops the time owed.
    // The player car also takes the level's playerShotRequest as a pull. The flame-thrower damages what
    // its flames hit every 0.2 s. The aim turns in the ground plane (and a
    // rocket launcher rises by its ground distance), so the target, whose
    // height the aim could take, changes nothing.
    void UpdateWeapon(const D3DXVECTOR3& point, CPGameObject* target);
    // Counts the time until the weapon may fire again down, to no less
    // than minus the longest frame.
    void CountDownFireCooldown(float seconds);
    // A flame particle at the position: the first object near it outside
    // this car's own tree joins hitTargets. True, ending the particle, when
    // it touched one.
    bool FlameHit(const D3DXVECTOR3& position);
    bool OnParticleHit(const D3DXVECTOR3& position) override { return FlameHit(position); }

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
    // The objects the flames touched since the last burn, each held.
    std::unordered_map<CPGameObject*, RefPtr<CPGameObject>> hitTargets;
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

private:
    bool IsCameraCar() const;
    void RunRespawnFade(float dt);
    // Off the road, falling or capsized.
    bool IsStranded();
    // Radians between the car's down axis and straight down.
    float Tilt();
    void PlaceOnRoute(CPRigidBody& body);
    void StandUpright(float yaw);
    // The turn about z that points the nose where it points now.
    float Yaw();
    // The piece's centre, else 3 units to either side: the first place
    // where the car keeps clear of the other racers.
    D3DXVECTOR3 ClearPlaceBeside(const CPLine& piece, float heading);
    bool IsClearOfRacers(const D3DXVECTOR3& place);

    OwnedObjects m_shadows;
};
