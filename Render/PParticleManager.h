#pragma once

#include "core/PObject.h"
#include "Render/PParticleSystem.h"

#include <vector>

// The engine's one particle manager. So far it holds only the particle-system
// definitions that burning objects copy, by index; particle batches, named
// emitters and spawning are not built yet. The host creates it and
// publishes it in g_pParticleManager.
class CPParticleManager {
public:
    // The particle-system definitions that objects set burning copy, by the
    // index that a description's flame type gives.
    void AddSystemDefinition(RefPtr<CPParticleSystem> definition);
    // The definition at the index, or null when there is none.
    CPParticleSystem* GetSystemDefinition(int index) const;

private:
    std::vector<RefPtr<CPParticleSystem>> m_systemDefinitions;
};

// The particle manager that the host created and published.
extern CPParticleManager* g_pParticleManager;
