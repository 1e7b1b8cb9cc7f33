#include "physics/PContactSolver.h"

#include <algorithm>

namespace {

// Overlap left uncorrected, so resting contacts stay touching from step to step.
const float kAllowedPenetration = 0.002f;
// Share of the remaining overlap removed per step, and the fastest push-out.
const float kCorrectionRate = 0.2f;
const float kMaxCorrectionSpeed = 2.0f;
// Approach speeds below this do not bounce.
const float kBounceSpeed = 0.5f;
// A remembered meeting bounces once the gap has closed to this.
const float kBounceGap = 0.005f;
// How far (body space of A) a contact may have moved and still be the same one.
const float kMatchDistanceSquared = 0.02f * 0.02f;

} // namespace

// The speed of A relative to B along one of the contact's directions.
float CPContactSolver::Speed(const PContactConstraint& c, int axis)
{
    const D3DXVECTOR3 linear = c.b ? c.a->GetVelocity() - c.b->GetVelocity() : c.a->GetVelocity() - c.obstacleVelocity;
    float speed = Dot(c.direction[axis], linear) + Dot(c.a->GetAngularVelocity(), c.armA[axis]);
    if (c.b) speed -= Dot(c.b->GetAngularVelocity(), c.armB[axis]);
    return speed;
}

// An impulse along one direction: A is pushed along it, B the other way.
void CPContactSolver::Push(PContactConstraint& c, int axis, float amount)
{
    CPRigidBody* a = c.a;
    a->Velocity() += c.direction[axis] * (amount * a->GetInverseMass());
    a->State().angularMomentum += c.armA[axis] * amount;
    a->AngularVelocity() += c.turnA[axis] * amount;
    if (CPRigidBody* b = c.b) {
        b->Velocity() -= c.direction[axis] * (amount * b->GetInverseMass());
        b->State().angularMomentum -= c.armB[axis] * amount;
        b->AngularVelocity() -= c.turnB[axis] * amount;
    }
}

void CPContactSolver::Solve(float timeStep)
{
    for (PContactConstraint& c : m_constraints) Prepare(c, timeStep);
    for (PContactConstraint& c : m_constraints) WarmStart(c);
    for (int iteration = 0; iteration < kIterations; ++iteration) {
        for (PContactConstraint& c : m_constraints) SolveOne(c);
    }
    Remember();
}

void CPContactSolver::Prepare(PContactConstraint& c, float timeStep)
{
    c.rA = c.point - c.a->GetPosition();
    c.rB = c.b ? c.point - c.b->GetPosition() : D3DXVECTOR3(0, 0, 0);
    c.direction[0] = c.normal;
    for (int axis = 0; axis < 3; ++axis) {
        if (axis == 1) {
            // The first tangent runs along the sliding, when there is any.
            const D3DXVECTOR3 linear = c.b ? c.b->GetVelocityAtPoint(c.rB) : c.obstacleVelocity;
            const D3DXVECTOR3 relative = c.a->GetVelocityAtPoint(c.rA) - linear;
            const D3DXVECTOR3 sliding = relative - c.normal * Dot(relative, c.normal);
            c.direction[1] = LengthSquared(sliding) > kZeroLengthSquared ? Normalised(sliding) : Perpendicular(c.normal);
            c.direction[2] = Cross(c.normal, c.direction[1]);
        }
        const D3DXVECTOR3& d = c.direction[axis];
        c.armA[axis] = Cross(c.rA, d);
        c.turnA[axis] = c.a->GetInverseWorldInertia().Apply(c.armA[axis]);
        float inverse = c.a->GetInverseMass() + Dot(c.armA[axis], c.turnA[axis]);
        if (c.b) {
            c.armB[axis] = Cross(c.rB, d);
            c.turnB[axis] = c.b->GetInverseWorldInertia().Apply(c.armB[axis]);
            inverse += c.b->GetInverseMass() + Dot(c.armB[axis], c.turnB[axis]);
        }
        c.mass[axis] = inverse > 0.0f ? 1.0f / inverse : 0.0f;
        c.impulse[axis] = 0.0f;
    }

    const float approach = -Speed(c, 0);
    c.approach = approach;
    c.removedSpeed = 0.0f;
    if (c.depth < 0.0f) {
        // Not touching yet: the bodies may close the gap, no more. When they
        // would meet within the step the bounce waits for the next one.
        const float gap = -c.depth;
        c.targetVelocity = -gap / timeStep;
        const bool meets = approach * timeStep > gap;
        c.pendingBounce = meets ? approach : 0.0f;
        c.removedSpeed = meets ? approach - gap / timeStep : 0.0f;
        return;
    }
    const float correction = kCorrectionRate * (c.depth - kAllowedPenetration) / timeStep;
    c.targetVelocity = std::min(std::max(correction, 0.0f), kMaxCorrectionSpeed);
    const float bounceSpeed = std::max(approach, c.pendingBounce);
    if (bounceSpeed > kBounceSpeed) c.targetVelocity = std::max(c.targetVelocity, c.restitution * bounceSpeed);
    c.pendingBounce = 0.0f;
}

// The contact's point on A's surface in A's space: it stays put while a gap closes.
D3DXVECTOR3 CPContactSolver::LocalPointOnA(const PContactConstraint& c)
{
    return c.a->GetRotation().ApplyTransposed(c.rA - c.normal * (c.depth * 0.5f));
}

void CPContactSolver::WarmStart(PContactConstraint& c)
{
    const D3DXVECTOR3 local = LocalPointOnA(c);
    auto it = std::lower_bound(m_cache.begin(), m_cache.end(), c.key,
                               [](const CachedContact& cached, uint64_t key) { return cached.key < key; });
    for (; it != m_cache.end() && it->key == c.key; ++it) {
        const CachedContact& cached = *it;
        if (LengthSquared(cached.localPoint - local) > kMatchDistanceSquared) continue;
        c.impulse[0] = cached.normalImpulse;
        c.impulse[1] = Dot(cached.frictionImpulse, c.direction[1]);
        c.impulse[2] = Dot(cached.frictionImpulse, c.direction[2]);
        if (c.depth > -kBounceGap && cached.pendingBounce > kBounceSpeed) {
            // The meeting of last step bounces now: with the approach speed
            // then, or with today's plus what the meeting took away, when the
            // shapes have turned since and meet less head-on.
            const float bounce = std::min(cached.pendingBounce, c.approach + cached.removedSpeed);
            c.targetVelocity = std::max(c.targetVelocity, c.restitution * bounce);
            c.pendingBounce = 0.0f;
        } else if (cached.pendingBounce > c.pendingBounce) {
            c.pendingBounce = cached.pendingBounce;
            c.removedSpeed = cached.removedSpeed;
        }
        for (int axis = 0; axis < 3; ++axis) Push(c, axis, c.impulse[axis]);
        return;
    }
}

void CPContactSolver::SolveOne(PContactConstraint& c)
{
    // Friction within the circle of the current normal impulse.
    const float limit = c.friction * c.impulse[0];
    float t1 = c.impulse[1] - Speed(c, 1) * c.mass[1];
    float t2 = c.impulse[2] - Speed(c, 2) * c.mass[2];
    const float squared = t1 * t1 + t2 * t2;
    if (squared > limit * limit) {
        const float scale = squared > 0.0f ? limit / std::sqrt(squared) : 0.0f;
        t1 *= scale;
        t2 *= scale;
    }
    Push(c, 1, t1 - c.impulse[1]);
    Push(c, 2, t2 - c.impulse[2]);
    c.impulse[1] = t1;
    c.impulse[2] = t2;

    const float total = std::max(c.impulse[0] + (c.targetVelocity - Speed(c, 0)) * c.mass[0], 0.0f);
    Push(c, 0, total - c.impulse[0]);
    c.impulse[0] = total;
}

void CPContactSolver::Remember()
{
    m_nextCache.clear();
    for (const PContactConstraint& c : m_constraints) {
        CachedContact cached;
        cached.key = c.key;
        cached.localPoint = LocalPointOnA(c);
        cached.normalImpulse = c.impulse[0];
        cached.frictionImpulse = c.direction[1] * c.impulse[1] + c.direction[2] * c.impulse[2];
        cached.pendingBounce = c.pendingBounce;
        cached.removedSpeed = c.removedSpeed;
        m_nextCache.push_back(cached);
    }
    std::sort(m_nextCache.begin(), m_nextCache.end(),
              [](const CachedContact& x, const CachedContact& y) { return x.key < y.key; });
    m_cache.swap(m_nextCache);
}
