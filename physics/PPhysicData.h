#pragma once

#include "core/PObject.h"
#include "physics/PController.h"
#include "physics/PKinematicBody.h"
#include "physics/PRigidBody.h"

#include <vector>

class CPGameObject;

// One collision shape as a mesh file describes it: type 0 a box (size1 to
// size3 its extents), type 1 a cylinder (size2 its height, size4 its
// diameter, size1 and size3 fixed at 5); the geometry made for it once the
// object is in the world.
struct PhysicShape {
    int type;
    CPGeometry* geometry;
    float positionX, positionY, positionZ;
    float orientationX, orientationY, orientationZ, orientationW;
    float size1, size2, size3, size4;
    float mass;
};

// The body as a mesh file describes it; copies of a game object keep it.
struct PhysicBodyParams {
    int bodyShapeType = 0;
    int shapeValue = 0;
    float sizeB = 0.0f;
    float sizeA = 0.0f;
    float sizeC = 0.0f;
    float cylinderDiameter = 0.0f;
    float mass = 0.0f;
    bool isParticle = false;
};

// What a game object carries when it takes part in physics: its shapes and
// mass from its mesh file and, once it is in the world, its body. Moving the
// object moves the body.
class CPPhysicData : public IPObject, public IPControllerCallback {
public:
    static constexpr int kCandidateCapacity = 1000;
    static const int kBoxShape = 0;
    static const int kCylinderShape = 1;

    explicit CPPhysicData(CPGameObject* owner);

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPPhysicData"; }

    // Masses are the file's values divided by the setting "weight_div"; a
    // divisor of 0 divides by 1.
    void SetBodyParams(float sizeA, float sizeB, float sizeC, float massValue);
    void AddBox(const float position[3], const float orientation[4], float x, float y, float z, float massValue);
    void AddShapeType1(const float position[3], const float orientation[4], float diameter, float height,
                       float massValue);
    // Completes a rigid body: inertia from the body's shape, mass, the
    // owner's pose, the controller when one is wanted, and the bounds.
    void SetupRigidBody();
    // Takes the shapes and body parameters of another description; the
    // copy names no geometry, it has no body yet.
    void CopyDescriptionFrom(const CPPhysicData& source);

    // A kinematic body takes the position before a rigid one.
    void SetPosition(float x, float y, float z);
    void SetRotation(float x, float y, float z, float w);
    // While the simulator writes a body's pose into the owner, the owner's
    // moves do not come back to the body.
    void SetWritingBack(bool writingBack) { m_writingBack = writingBack; }

    void OnControllerStep(CPController* controller, float timeStep) override;

    // Parks the body through the published car world, when there is a body.
    void RemoveFromWorld();
    // Drops every pointer into a simulator that is being freed.
    void ForgetBodies();

    CPGameObject* GetOwner() const { return m_owner; }
    CPRigidBody* GetRigidBody() const { return m_rigidBody; }
    void SetRigidBody(CPRigidBody* body) { m_rigidBody = body; }
    CPKinematicBody* GetKinematicBody() const { return m_kinematicBody; }
    void SetKinematicBody(CPKinematicBody* body) { m_kinematicBody = body; }
    CPController* GetController() const { return m_controller; }
    const PhysicBodyParams& GetBodyParams() const { return m_bodyParams; }
    void SetParticle(bool isParticle) { m_bodyParams.isParticle = isParticle; }
    float GetMass() const { return m_bodyParams.mass; }
    std::vector<PhysicShape>& GetShapes() { return m_shapes; }
    const std::vector<PhysicShape>& GetShapes() const { return m_shapes; }
    void SetWantsController(bool wants) { m_wantsController = wants; }
    void SetStoredMotion(const D3DXVECTOR3& angularMomentum, const D3DXVECTOR3& velocity, bool apply);
    // Whether each step writes the stored motion into the body; the stored
    // vectors stay.
    void SetApplyStoredMotion(bool apply) { m_applyStoredMotion = apply; }
    void SetBodyFlag(unsigned char flag) { m_bodyFlag = flag; }
    unsigned char GetBodyFlag() const { return m_bodyFlag; }
    bool IsSetupPending() const { return m_setupPending; }
    // The road triangles near the body, filled by the road's triangle query.
    int* GetCandidates() { return m_candidates; }
    int GetCandidateCount() const { return m_candidateCount; }
    void SetCandidateCount(int count) { m_candidateCount = count; }

private:
    static float MassOf(float massValue);
    PhysicShape MakeShape(int type, const float position[3], const float orientation[4], float massValue) const;

    CPController* m_controller;
    CPKinematicBody* m_kinematicBody;
    std::vector<PhysicShape> m_shapes;
    CPGameObject* m_owner;
    bool m_wantsController;
    D3DXVECTOR3 m_storedAngularMomentum;
    D3DXVECTOR3 m_storedVelocity;
    bool m_applyStoredMotion;
    unsigned char m_bodyFlag;
    bool m_setupPending;
    int m_candidates[kCandidateCapacity];
    int m_candidateCount;
    CPRigidBody* m_rigidBody;
    PhysicBodyParams m_bodyParams;
    bool m_writingBack;
};
