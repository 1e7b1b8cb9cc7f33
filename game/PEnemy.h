#pragma once

#include "core/PEnemyComponent.h"
#include "core/PGameObject.h"

#include <d3dx9.h>

#include <cstdint>
#include <string>
#include <unordered_map>

// One melee attack of an enemy ("melee1" or "melee2"): how many passes its
// animation plays, and, in the enemy's own frame, the point it strikes and
// the way it pushes, with the push's force and the damage it does.
struct MeleeRecord {
    int32_t loops = 0;
    D3DXVECTOR3 reach = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVECTOR3 pushDirection = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float pushForce = 0.0f;
    float damage = 0.0f;
};

// The animation an enemy last asked its object to play.
struct EnemyAnimation {
    std::string name;
    float speed = 1.0f;
    bool loop = false;
    // Passes to play while looping; 0 or less plays on.
    int32_t loops = -1;
};

// The logic of one enemy, carried by its game object, which hands it the end
// and the report event of its animations and the damage it takes. The
// animations drive it: a melee animation that ends chooses the next melee,
// the report frame of a melee strikes at the player's car and that of "fire"
// shoots at it, "fire_in" leads into the "fire" loop and "fire_out" out of
// it. Damage makes it bleed, and the blow that kills it pays its reward,
// may leave gibs and tells the level once.
//
// Enemies are made and filled by their owner (weapon, melee records, state
// table, report frames, reward); no script makes one. The object must
// outlive the enemy.
class CPEnemy : public IPEnemyComponent {
public:
    static const int kMeleeRecords = 2;
    // The state keys this logic sets: out of the fire cycle, and dead.
    static const int32_t kStateIdle = 1;
    static const int32_t kStateDead = 4;

    // Installs itself as the object's enemy component; the object is also
    // its body until the owner gives another.
    explicit CPEnemy(CPGameObject* object);
    ~CPEnemy() override;
    CPEnemy(const CPEnemy&) = delete;
    CPEnemy& operator=(const CPEnemy&) = delete;

    // Plays the animation on the object, telling its script handler when it
    // stops and reports: once, or, looping, for that many passes (0 or less
    // plays on). The current animation's name is started again only when
    // forced.
    void SetAnimation(const std::string& name, bool loop, bool force, int32_t loops);

    void OnAnimationEnd() override;
    // Strikes or fires by the current animation. Without a level, a player
    // car or an animated object there is nothing to strike or fire at.
    void OnAnimationEvent() override;
    // A blow from a source (an object) makes no blood; a quiet blow is
    // restricted: it hurts only a machine ("oil1"). Once dead, nothing.
    void OnDamage(const D3DXVECTOR3* point, const D3DXVECTOR3* direction, float amount, IPObject* source,
                  bool quiet) override;

    int32_t state = 0;
    float stateTime = 0.0f;
    // A key met for the first time reads as 0.
    std::unordered_map<int32_t, int32_t> stateTable;
    // Where the attacks start from and which way the enemy faces: its world
    // position, and the forward axis turned as the body is.
    CPGameObject* body;
    CPGameObject* object;
    D3DXVECTOR3 forwardAxis = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    float health = 0.0f;
    // "hmgun", "rocket", "plasma", "mgun", "lgun", "shotgun", or
    // "explosion": the enemy blows itself up at its melee strike.
    std::string weaponName;
    // The melee animations are "melee1" to "melee<meleeCount>"; more than
    // the records count as that many.
    int32_t meleeCount = 0;
    float gibHeight = 0.0f;
    EnemyAnimation animation;
    // "blood1" (flesh) or "oil1" (machines): spawned where a blow lands.
    std::string bloodKind;
    bool wasHit = false;
    std::string nextMelee;
    MeleeRecord melee[kMeleeRecords];
    int32_t fireLoops = 0;
    D3DXVECTOR3 muzzleOffset = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    // 1 while the "fire" animation repeats.
    int32_t firing = 0;
    bool dead = false;
    bool leavesGibs = false;
    int32_t reward = 0;
    int32_t rocketCount = 0;
    bool deathHandled = false;
    bool deathReportSuppressed = false;
    bool deathReported = false;
    // The frame whose reaching each animation reports; an animation not
    // listed reports nothing.
    std::unordered_map<std::string, int> reportFrames;

private:
    // Where the enemy stands and how it is turned about the up axis.
    struct Bearing {
        D3DXVECTOR3 position;
        // The horizontal unit direction it faces.
        D3DXVECTOR3 heading;
        float angle;
        // A vector of the enemy's frame in the world's.
        D3DXVECTOR3 Turn(const D3DXVECTOR3& v) const;
    };
    Bearing TakeBearing() const;

    void ChooseNextMelee();
    void Strike(int number, CPGameObject& player);
    bool Touches(const Bearing& bearing, float reach, CPGameObject& player) const;
    void Fire(CPGameObject& player);
    void SetState(int32_t key);
    void ReportDeath();
    void PayReward();
    void SpawnGibs();
    bool IsAnimated() const;
};
