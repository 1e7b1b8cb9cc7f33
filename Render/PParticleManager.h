#pragma once

#include "core/PObject.h"
#include "Render/EmitterDefinition.h"
#include "Render/PParticleBatch.h"
#include "Render/PParticleSystem.h"
#include "Render/ParticleSpawnRecord.h"

#include <string>
#include <unordered_map>
#include <vector>

// The engine's one particle manager: it keeps the emitter definitions by
// name and the particle batches that simulate and draw particles, and hands
// every spawned particle to the batch of its name. The host creates it,
// fills it and publishes it in g_pParticleManager.
class CPParticleManager {
public:
    void AddEmitterDefinition(const std::string& name, const EmitterDefinition& definition);
    // The definition of that name, or null; systems normalise its direction
    // in place when they copy it.
    EmitterDefinition* FindEmitterDefinition(const std::string& name);

    void AddBatch(const std::string& name, RefPtr<IPParticleBatch> batch);
    // The batches that received particles since the last Clear, in the
    // order they first did.
    const std::vector<RefPtr<IPParticleBatch>>& GetActiveBatches() const { return m_activeBatches; }

    // Makes a particle from the record and its chain, turned by a random
    // start angle, and hands it to the batch of the record's name, listing
    // the batch as active first when it is not. A particle for a name
    // without a batch is dropped.
    void SpawnParticle(const ParticleSpawnRecord& record);
    // The same for a record its caller has done with: the chain moves into
    // the particle instead of being copied.
    void SpawnParticle(ParticleSpawnRecord&& record);
    // Clears every batch and empties the list of active batches.
    void Clear();
    // Takes the batches that went inactive off the list of active batches.
    void RemoveInactiveBatches();
    // Forgets every batch, for their owner to destroy them.
    void RemoveBatches();

    // The particle-system definitions that objects set burning copy, by the
    // index that a description's flame type gives.
    void AddSystemDefinition(RefPtr<CPParticleSystem> definition);
    // The definition at the index, or null when there is none.
    CPParticleSystem* GetSystemDefinition(int index) const;

private:
    void HandToBatch(const Particle& particle);

    std::unordered_map<std::string, RefPtr<IPParticleBatch>> m_batches;
    std::vector<RefPtr<IPParticleBatch>> m_activeBatches;
    std::unordered_map<std::string, EmitterDefinition> m_emitterDefinitions;
    std::vector<RefPtr<CPParticleSystem>> m_systemDefinitions;
};

// The particle manager that the host created and published.
extern CPParticleManager* g_pParticleManager;
