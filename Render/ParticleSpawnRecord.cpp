#include "Render/ParticleSpawnRecord.h"

ParticleSpawnRecord::ParticleSpawnRecord()
    : position(0.0f, 0.0f, 0.0f),
      velocity(0.0f, 0.0f, 0.0f),
      acceleration(0.0f, 0.0f, 0.0f),
      size(0.0f),
      secondScalar(0.0f),
      thirdScalar(0.0f),
      firstFlag(0),
      secondFlag(0),
      number(0)
{
}

// The chain is copied link by link, and let go of the same way, so a long
// chain cannot exhaust the stack through nested calls.
ParticleSpawnRecord::ParticleSpawnRecord(const ParticleSpawnRecord& other) : ParticleSpawnRecord()
{
    CopyValuesFrom(other);
    ParticleSpawnRecord* tail = this;
    for (const ParticleSpawnRecord* link = other.next.get(); link; link = link->next.get()) {
        tail->next = std::make_unique<ParticleSpawnRecord>();
        tail = tail->next.get();
        tail->CopyValuesFrom(*link);
    }
}

ParticleSpawnRecord& ParticleSpawnRecord::operator=(const ParticleSpawnRecord& other)
{
    if (this != &other) *this = ParticleSpawnRecord(other);
    return *this;
}

ParticleSpawnRecord::~ParticleSpawnRecord()
{
    std::unique_ptr<ParticleSpawnRecord> link = std::move(next);
    while (link) link = std::move(link->next);
}

void ParticleSpawnRecord::CopyValuesFrom(const ParticleSpawnRecord& other)
{
    name = other.name;
    position = other.position;
    velocity = other.velocity;
    acceleration = other.acceleration;
    size = other.size;
    secondScalar = other.secondScalar;
    thirdScalar = other.thirdScalar;
    firstFlag = other.firstFlag;
    secondFlag = other.secondFlag;
    number = other.number;
    object = other.object;
}

void SetEmitterValues(ParticleSpawnRecord& record, const EmitterDefinition& emitter)
{
    record.name = emitter.particleName;
    record.acceleration = emitter.acceleration;
    record.size = emitter.thirdScalar;
    record.secondScalar = emitter.secondScalar;
    record.thirdScalar = emitter.firstScalar;
    record.firstFlag = emitter.flag;
}
