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

D3DXVECTOR3 AngularPart(const CPRigidBody* body, const D3DXVECTOR3& r, const D3DXVECTOR3& direction)
{
    return Cross(body->GetInverseWorldInertia().Apply(Cross(r, direction)), r);
}

float EffectiveMass(const PContactConstraint& c, const D3DXVECTOR3& direction)
{
    float inverse = c.a->GetInverseMass() + Dot(direction, AngularPart(c.a, c.rA, direction));
    if (c.b) inverse += c.b->GetInverseMass() + Dot(direction, AngularPart(c.b, c.rB, direction));
    return inverse > 0.0f ? 1.0f / inverse : 0.0f;
}

} // namespace

D3DXVECTOR3 CPContactSolver::RelativeVelocity(const PContactConstraint& c)
{
    const D3DXVECTOR3 velocityA = c.a->GetVelocityAtPoint(c.rA);
    const D3DXVECTOR3 velocityB = c.b ? c.b->GetVelocityAtPoint(c.rB) : c.obstacleVelocity;
    return velocityA - velocityB;
}

void CPContactSolver::ApplyImpulse(PContactConstraint& c, const D3DXVECTOR3& impulse)
{
    CPRigidBody* a = c.a;
    a->Velocity() += impulse * a->GetInverseMass();
    const D3DXVECTOR3 momentumA = Cross(c.rA, impulse);
    a->State().angularMomentum += momentumA;
    a->AngularVelocity() += a->GetInverseWorldInertia().Apply(momentumA);
    if (CPRigidBody* b = c.b) {
        b->Velocity() -= impulse * b->GetInverseMass();
        const D3DXVECTOR3 momentumB = Cross(c.rB, impulse);
        b->State().angularMomentum -= momentumB;
        b->AngularVelocity() -= b->GetInverseWorldInertia().Apply(momentumB);
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
    const D3DXVECTOR3 relative = RelativeVelocity(c);
    const float normalSpeed = Dot(relative, c.normal);
    const D3DXVECTOR3 sliding = relative - c.normal * normalSpeed;
    c.tangent1 = LengthSquared(sliding) > kZeroLengthSquared ? Normalised(sliding) : Perpendicular(c.normal);
    c.tangent2 = Cross(c.normal, c.tangent1);
    c.normalMass = EffectiveMass(c, c.normal);
    c.tangentMass1 = EffectiveMass(c, c.tangent1);
    c.tangentMass2 = EffectiveMass(c, c.tangent2);
    c.normalImpulse = c.tangentImpulse1 = c.tangentImpulse2 = 0.0f;

    const float approach = -normalSpeed;
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
    auto range = m_cache.equal_range(c.key);
    for (auto it = range.first; it != range.second; ++it) {
        const CachedContact& cached = it->second;
        if (LengthSquared(cached.localPoint - local) > kMatchDistanceSquared) continue;
        c.normalImpulse = cached.normalImpulse;
        c.tangentImpulse1 = Dot(cached.frictionImpulse, c.tangent1);
        c.tangentImpulse2 = Dot(cached.frictionImpulse, c.tangent2);
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
        ApplyImpulse(c, c.normal * c.normalImpulse + c.tangent1 * c.tangentImpulse1 +
                            c.tangent2 * c.tangentImpulse2);
        return;
    }
}

void CPContactSolver::SolveOne(PContactConstraint& c)
{
    D3DXVECTOR3 relative = RelativeVelocity(c);
    // Friction within the circle of the current normal impulse.
    const float limit = c.friction * c.normalImpulse;
    float t1 = c.tangentImpulse1 - Dot(relative, c.tangent1) * c.tangentMass1;
    float t2 = c.tangentImpulse2 - Dot(relative, c.tangent2) * c.tangentMass2;
    const float squared = t1 * t1 + t2 * t2;
    if (squared > limit * limit) {
        const float scale = squared > 0.0f ? limit / std::sqrt(squared) : 0.0f;
        t1 *= scale;
        t2 *= scale;
    }
    ApplyImpulse(c, c.tangent1 * (t1 - c.tangentImpulse1) + c.tangent2 * (t2 - c.tangentImpulse2));
    c.tangentImpulse1 = t1;
    c.tangentImpulse2 = t2;

    relative = RelativeVelocity(c);
    const float normalSpeed = Dot(relative, c.normal);
    const float total = std::max(c.normalImpulse + (c.targetVelocity - normalSpeed) * c.normalMass, 0.0f);
    ApplyImpulse(c, c.normal * (total - c.normalImpulse));
    c.normalImpulse = total;
}

void CPContactSolver::Remember()
{
    m_cache.clear();
    for (const PContactConstraint& c : m_constraints) {
        CachedContact cached;
        cached.key = c.key;
        cached.localPoint = LocalPointOnA(c);
        cached.normalImpulse = c.normalImpulse;
        cached.frictionImpulse = c.tangent1 * c.tangentImpulse1 + c.tangent2 * c.tangentImpulse2;
        cached.pendingBounce = c.pendingBounce;
        cached.removedSpeed = c.removedSpeed;
        m_cache.emplace(c.key, cached);
    }
}
