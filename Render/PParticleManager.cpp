#include "Render/PParticleManager.h"

CPParticleManager* g_pParticleManager = nullptr;

void CPParticleManager::AddSystemDefinition(RefPtr<CPParticleSystem> definition)
{
    m_systemDefinitions.push_back(definition);
}

CPParticleSystem* CPParticleManager::GetSystemDefinition(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_systemDefinitions.size())) return nullptr;
    return m_systemDefinitions[index].Get();
}
