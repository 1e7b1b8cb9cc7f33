#pragma once

#include "core/PObject.h"
#include "Render/ParticleSpawnRecord.h"

// A particle as a batch receives it: the spawn record's values, with the
// chain of records behind it, and the angle in radians it starts turned by.
struct Particle {
    ParticleSpawnRecord record;
    float startAngle = 0.0f;
};

// The particles of one kind, simulated and drawn together. The host makes
// the batches and registers them with the particle manager under their
// names; the manager lists a batch as active when it hands it a particle.
class IPParticleBatch : public IPObject {
public:
    IPParticleBatch() : m_active(false) {}

    bool IsActive() const { return m_active; }
    void SetActive(bool active) { m_active = active; }

    // Takes a copy of what it needs; the particle is gone after the call.
    virtual void AddParticle(const Particle& particle) = 0;
    // Drops every particle.
    virtual void Clear() = 0;

private:
    bool m_active;
};
