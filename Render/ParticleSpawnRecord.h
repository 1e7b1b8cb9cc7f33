#pragma once

#include "core/PObject.h"

#include <d3dx9.h>

#include "Render/EmitterDefinition.h"

#include <cstdint>
#include <memory>
#include <string>

// The start values of one particle, handed to the particle manager, which
// passes it to the batch of its name. Records chain: each owns the next one,
// and copying a record copies the whole chain behind it.
struct ParticleSpawnRecord {
    ParticleSpawnRecord();
    ParticleSpawnRecord(const ParticleSpawnRecord& other);
    ParticleSpawnRecord& operator=(const ParticleSpawnRecord& other);
    ParticleSpawnRecord(ParticleSpawnRecord&& other) = default;
    ParticleSpawnRecord& operator=(ParticleSpawnRecord&& other) = default;
    ~ParticleSpawnRecord();

    // The name of the batch that receives the particle.
    std::string name;
    D3DXVECTOR3 position;
    D3DXVECTOR3 velocity;
    D3DXVECTOR3 acceleration;
    float size;
    float secondScalar;
    float thirdScalar;
    uint8_t firstFlag;
    uint8_t secondFlag;
    std::unique_ptr<ParticleSpawnRecord> next;
    int32_t number;
    RefPtr<IPObject> object;

private:
    // Every value but the chain.
    void CopyValuesFrom(const ParticleSpawnRecord& other);
};

// What an emitter gives every particle it starts: the batch name, the
// acceleration, the size, the two further scalars and the flag.
void SetEmitterValues(ParticleSpawnRecord& record, const EmitterDefinition& emitter);
