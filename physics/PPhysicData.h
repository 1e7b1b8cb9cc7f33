#pragma once

#include "core/PObject.h"
#include "physics/PKinematicBody.h"
#include "physics/PRigidBody.h"

#include <cstdint>
#include <vector>

class CPGameObject;

// The body's parameters as the physics world reads them; copied whole.
struct PhysicBodyParams {
    static constexpr int kSize = 56;
    uint8_t bytes[kSize];
};

// One collision shape of the body (its type, place, orientation, sizes and
// mass); copied whole.
struct PhysicShapeRecord {
    static constexpr int kSize = 56;
    uint8_t bytes[kSize];
};

static_assert(sizeof(PhysicBodyParams) == PhysicBodyParams::kSize, "body parameters are 56 bytes");
static_assert(sizeof(PhysicShapeRecord) == PhysicShapeRecord::kSize, "shape records are 56 bytes");

// What a game object carries when it takes part in physics: its body once
// the physics world has made one. Moving the object moves the body.
class CPPhysicData : public IPObject {
public:
    // The most road triangles the triangle query lists for one body.
    static constexpr int kMaxCandidates = 1000;

    explicit CPPhysicData(CPGameObject* owner)
        : m_owner(owner),
          m_kinematicBody(nullptr),
          m_rigidBody(nullptr),
          m_bodyParams(),
          m_candidates(),
          m_candidateCount(0)
    {
    }

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPPhysicData"; }

    // A body that the program places takes the position before a simulated one.
    void SetPosition(float x, float y, float z)
    {
        if (m_kinematicBody) {
            m_kinematicBody->SetPosition(x, y, z);
        } else if (m_rigidBody) {
            m_rigidBody->SetPosition(x, y, z);
        }
    }

    void SetRotation(float x, float y, float z, float w)
    {
        if (m_rigidBody) m_rigidBody->SetRotation(x, y, z, w);
    }

    CPGameObject* GetOwner() const { return m_owner; }
    void SetKinematicBody(CPKinematicBody* body) { m_kinematicBody = body; }
    void SetRigidBody(CPRigidBody* body) { m_rigidBody = body; }
    PhysicBodyParams& GetBodyParams() { return m_bodyParams; }
    std::vector<PhysicShapeRecord>& GetShapes() { return m_shapes; }

    // The road triangles near the body (indices into the physics world's
    // road tables) and how many of them the last query listed.
    int32_t* GetCandidates() { return m_candidates; }
    int32_t GetCandidateCount() const { return m_candidateCount; }
    void SetCandidateCount(int32_t count) { m_candidateCount = count; }

private:
    CPGameObject* m_owner;
    CPKinematicBody* m_kinematicBody;
    CPRigidBody* m_rigidBody;
    PhysicBodyParams m_bodyParams;
    std::vector<PhysicShapeRecord> m_shapes;
    int32_t m_candidates[kMaxCandidates];
    int32_t m_candidateCount;
};
