#pragma once

#include "core/PGameObject.h"
#include "core/PProcess.h"
#include "Render/EmitterDefinition.h"
#include "Render/ParticleSpawnRecord.h"

#include <d3dx9.h>

#include <string>
#include <vector>

// A particle effect attached to a game object (smoke, flames, sparks). It
// runs as a task that, at a fixed interval, turns each of its emitters into
// a particle record and hands the chain of records to the particle manager.
// Each emission can also damage a target object and the owner's scripted
// ancestor; with a lifetime it stops itself, and at half its lifetime it
// puts the fire material on the owner's scripted ancestor.
class CPParticleSystem : public IPProcess {
public:
    // A system without owner and emitters.
    CPParticleSystem();
    // Copies the manager's definition of each name it knows, in order,
    // normalising the definition's direction first; the names all stay.
    CPParticleSystem(CPGameObject* owner, const std::vector<std::string>& emitterNames);

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPParticleSystem"; }
    int GetTaskValue() override { return 1; }
    // Sets both clocks back to 0, also for a running system.
    bool Start() override;
    void Execute() override;
    // A new system with the same owner, names, emitters, interval,
    // lifetime, damage and target.
    void Clone(RefPtr<IPProcess>& copy) override;

    // The game object the system belongs to; not kept alive by the system.
    void SetOwner(CPGameObject* owner) { m_owner = owner; }
    CPGameObject* GetOwner() const { return m_owner; }

    // Seconds between emissions; 0.5 unless set.
    void SetInterval(float interval) { m_interval = interval; }
    float GetInterval() const { return m_interval; }
    // Seconds of emission after which the system stops; 0 or less for none.
    void SetLifetime(float lifetime) { m_lifetime = lifetime; }
    float GetLifetime() const { return m_lifetime; }
    // The amount of damage each emission deals.
    void SetDamage(float damage) { m_damage = damage; }
    float GetDamage() const { return m_damage; }
    // An object that takes damage at each emission, or none.
    void SetTarget(RefPtr<CPGameObject> target) { m_target = target; }
    CPGameObject* GetTarget() const { return m_target.Get(); }

    const std::vector<EmitterDefinition>& GetEmitters() const { return m_emitters; }
    const std::vector<std::string>& GetEmitterNames() const { return m_emitterNames; }
    float GetAccumulatedTime() const { return m_accumulated; }
    float GetElapsedTime() const { return m_elapsed; }

private:
    bool IsBeforeHalfLife() const;
    void DamageTarget();
    void DamageScriptedOwner();
    void TurnEmitters();
    void Emit();
    // The record of the emitter at the index; the first is placed in the
    // world, the others are offsets from it.
    ParticleSpawnRecord MakeRecord(size_t index, const D3DXMATRIX& world) const;

    std::vector<EmitterDefinition> m_emitters;
    // Per emitter, the rotation that takes +z onto its direction.
    std::vector<D3DXMATRIX> m_turns;
    std::vector<std::string> m_emitterNames;
    float m_accumulated;
    float m_interval;
    float m_lifetime;
    float m_elapsed;
    float m_damage;
    RefPtr<CPGameObject> m_target;
    CPGameObject* m_owner;
};
