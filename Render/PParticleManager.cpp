#include "Render/PParticleManager.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

CPParticleManager* g_pParticleManager = nullptr;

namespace {

const int kFullTurnDegrees = 360;

// The start angle is drawn before the batch is looked for, so that a
// missing batch leaves the random sequence as a present one would.
float RandomStartAngle()
{
    return static_cast<float>(std::rand() % kFullTurnDegrees) * kRadiansPerDegree;
}

} // namespace

void CPParticleManager::AddEmitterDefinition(const std::string& name, const EmitterDefinition& definition)
{
    m_emitterDefinitions[name] = definition;
}

EmitterDefinition* CPParticleManager::FindEmitterDefinition(const std::string& name)
{
    auto named = m_emitterDefinitions.find(name);
    return named == m_emitterDefinitions.end() ? nullptr : &named->second;
}

void CPParticleManager::AddBatch(const std::string& name, RefPtr<IPParticleBatch> batch)
{
    m_batches[name] = batch;
}

void CPParticleManager::SpawnParticle(const ParticleSpawnRecord& record)
{
    Particle particle;
    particle.record = record;
    particle.startAngle = RandomStartAngle();
    HandToBatch(particle);
}

void CPParticleManager::SpawnParticle(ParticleSpawnRecord&& record)
{
    Particle particle;
    particle.record = std::move(record);
    particle.startAngle = RandomStartAngle();
    HandToBatch(particle);
}

void CPParticleManager::HandToBatch(const Particle& particle)
{
    auto named = m_batches.find(particle.record.name);
    if (named == m_batches.end() || !named->second) return;
    IPParticleBatch* batch = named->second.Get();
    if (!batch->IsActive()) {
        m_activeBatches.push_back(batch);
        batch->SetActive(true);
    }
    batch->AddParticle(particle);
}

void CPParticleManager::Clear()
{
    for (auto& named : m_batches) {
        if (!named.second) continue;
        named.second->Clear();
        named.second->SetActive(false);
    }
    m_activeBatches.clear();
}

void CPParticleManager::RemoveInactiveBatches()
{
    m_activeBatches.erase(std::remove_if(m_activeBatches.begin(), m_activeBatches.end(),
                                         [](const RefPtr<IPParticleBatch>& batch) { return !batch->IsActive(); }),
                          m_activeBatches.end());
}

void CPParticleManager::RemoveBatches()
{
    Clear();
    m_batches.clear();
}

void CPParticleManager::AddSystemDefinition(RefPtr<CPParticleSystem> definition)
{
    m_systemDefinitions.push_back(definition);
}

CPParticleSystem* CPParticleManager::GetSystemDefinition(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_systemDefinitions.size())) return nullptr;
    return m_systemDefinitions[index].Get();
}
