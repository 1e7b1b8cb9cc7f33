#pragma once

#include "physics/PKinematicBody.h"
#include "physics/PRigidBody.h"

#include <cstdint>
#include <vector>

// One contact point as the solver works on it. B is either a moving rigid
// body or an obstacle (the road, a kinematic body, a sleeping or immovable
// body) with a fixed velocity.
struct PContactConstraint {
    CPRigidBody* a;
    CPRigidBody* b;
    D3DXVECTOR3 obstacleVelocity;
    D3DXVECTOR3 point;
    D3DXVECTOR3 normal;
    float depth;
    float friction;
    float restitution;
    // The manifold the point belongs to, for finding last step's impulses.
    uint64_t key;

    D3DXVECTOR3 rA, rB;
    // Per direction (normal, first and second tangent): the direction, the
    // arms r × direction, their turn of the angular velocity per unit
    // impulse, the effective mass and the impulse summed so far.
    D3DXVECTOR3 direction[3];
    D3DXVECTOR3 armA[3], armB[3];
    D3DXVECTOR3 turnA[3], turnB[3];
    float mass[3];
    float impulse[3];
    float targetVelocity;
    float approach;
    float pendingBounce;
    float removedSpeed;
};

// Sequential impulses over all contacts of a step, warm-started from the
// impulses of the matching contacts of the step before. A contact whose gap
// closes within the step lets the bodies meet exactly; the bounce with the
// restitution follows in the next step, when they touch, from the approach
// speed remembered here.
class CPContactSolver {
public:
    static const int kIterations = 8;

    std::vector<PContactConstraint>& Constraints() { return m_constraints; }

    void Solve(float timeStep);

private:
    struct CachedContact {
        uint64_t key;
        D3DXVECTOR3 localPoint;
        float normalImpulse;
        D3DXVECTOR3 frictionImpulse;
        float pendingBounce;
        float removedSpeed;
    };

    static D3DXVECTOR3 LocalPointOnA(const PContactConstraint& c);
    void Prepare(PContactConstraint& c, float timeStep);
    void WarmStart(PContactConstraint& c);
    void SolveOne(PContactConstraint& c);
    void Remember();
    static float Speed(const PContactConstraint& c, int axis);
    static void Push(PContactConstraint& c, int axis, float amount);

    std::vector<PContactConstraint> m_constraints;
    // Last step's contacts sorted by manifold key; the spare vector is
    // where the next step's are gathered, so neither allocates once grown.
    std::vector<CachedContact> m_cache;
    std::vector<CachedContact> m_nextCache;
};
