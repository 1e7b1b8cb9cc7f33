#pragma once

#include <d3dx9.h>

#include <cstdint>
#include <string>

// Particle angles are whole degrees, turned into radians by this factor.
const float kRadiansPerDegree = 0.017453292f;

// How one emitter of a particle system starts its particles. The particle
// manager keeps one definition per name; a particle system copies the ones
// it names.
struct EmitterDefinition {
    // Become the record's third scalar, its second scalar and its size.
    float firstScalar = 0.0f;
    float secondScalar = 0.0f;
    // Particles leave along this direction, within the cone angle around it.
    D3DXVECTOR3 direction = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    float speed = 0.0f;
    D3DXVECTOR3 acceleration = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float thirdScalar = 0.0f;
    uint8_t flag = 0;
    // The batch that receives the particles.
    std::string particleName;
    // Degrees; particles leave up to half of it away from the direction.
    int32_t coneAngle = 0;
    // Half extents of the box around the emitter in which particles start.
    D3DXVECTOR3 spread = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
};
