#pragma once

#include "Render/PParticleBatch.h"

#include <vector>

namespace particle_test {

// Keeps a copy of every particle it is handed and counts the clears.
class RecordingBatch : public IPParticleBatch {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "RecordingBatch"; }
    void AddParticle(const Particle& particle) override { particles.push_back(particle); }
    void Clear() override
    {
        particles.clear();
        ++clears;
    }

    std::vector<Particle> particles;
    int clears = 0;
};

} // namespace particle_test
