#pragma once

#include "physics/PKinematicBody.h"
#include "physics/PRigidBody.h"

#include <cstdint>
#include <unordered_map>
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

    D3DXVECTOR3 rA, rB, tangent1, tangent2;
    float normalMass, tangentMass1, tangentMass2;
    float targetVelocity;
    float normalImpulse, tangentImpulse1, tangentImpulse2;
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
    static const int kIterations = 12;

    std::vector<PContactConstraint>& Constraints() { return m_constraints; }
    // Velocity of b (or of the obstacle) relative to a at the contact.
    static D3DXVECTOR3 RelativeVelocity(const PContactConstraint& c);

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
    static void ApplyImpulse(PContactConstraint& c, const D3DXVECTOR3& impulse);

    std::vector<PContactConstraint> m_constraints;
    // Last step's contacts grouped by manifold key, and this step's.
    std::unordered_multimap<uint64_t, CachedContact> m_cache;
};
