#pragma once

#include <d3dx9math.h>

// Something that particles can run into. A spawn record whose object
// implements it ties its particle to it: each time the particle's batch
// moves the particle on, it asks with the particle's new position, and an
// answer of true ends the particle there.
class IPParticleHit {
public:
    virtual bool OnParticleHit(const D3DXVECTOR3& position) = 0;

protected:
    ~IPParticleHit() = default;
};
