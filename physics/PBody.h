#pragma once

#include "physics/PGeometry.h"
#include "physics/PLinkedList.h"

class CPGameObject;
class CPSimulator;

// Where a body is and how it is turned: the orientation, the rotation built
// from it, the angular momentum (rigid bodies only) and the position.
struct PBodyState {
    D3DXQUATERNION orientation = D3DXQUATERNION(0, 0, 0, 1);
    D3DXVECTOR3 angularMomentum = D3DXVECTOR3(0, 0, 0);
    PMatrix3 rotation = PMatrix3::Identity();
    D3DXVECTOR3 position = D3DXVECTOR3(0, 0, 0);
};

// What rigid and kinematic bodies share: the simulator that made them, their
// number, their shapes and bounds, their place in the simulator's lists and
// the game object they belong to.
class CPBody {
public:
    enum Kind { kRigid, kKinematic, kParticle };

    CPBody();

    void SetUserData(CPGameObject* object) { m_userData = object; }
    CPGameObject* GetUserData() const { return m_userData; }
    // The row and column of the simulator's collision table this body uses.
    void SetCollisionClass(int collisionClass) { m_collisionClass = collisionClass; }
    int GetCollisionClass() const { return m_collisionClass; }

    // A shape from the simulator's pool appended to the body, or null (with
    // the simulator's message) when the pool is empty.
    CPGeometry* AddGeometry();
    CPGeometry* GetGeometries() const { return m_geometries.head; }
    int GetGeometryCount() const { return m_geometries.count; }

    // Recomputes the body-space bounds from the shapes (and rigid bodies' rays).
    void UpdateBoundingInfo();
    const D3DXVECTOR3& GetBoundsCentre() const { return m_boundsCentre; }
    const D3DXVECTOR3& GetBoundsHalfSize() const { return m_boundsHalfSize; }
    float GetBoundingRadius() const { return m_boundingRadius; }
    // The bounds turned into world space as an axis-aligned box.
    void GetWorldBounds(D3DXVECTOR3& minimum, D3DXVECTOR3& maximum) const;

    // The current transform as a 4 x 4 row-vector matrix.
    D3DXMATRIX GetTransform() const;
    const D3DXVECTOR3& GetPosition() const { return m_state.position; }
    const PMatrix3& GetRotation() const { return m_state.rotation; }
    const D3DXQUATERNION& GetOrientation() const { return m_state.orientation; }

    // Leaving the simulation parks the body in its inactive list and out of
    // the broad phase; coming back enters it again when it has shapes or rays.
    void SetActive(bool active, int hint = 0);

    Kind GetKind() const { return m_kind; }
    int GetNumber() const { return m_number; }
    bool IsActive() const { return m_active; }
    bool IsInBroadPhase() const { return m_inBroadPhase; }

    // Simulator bookkeeping.
    void Attach(CPSimulator* simulator, Kind kind, int number);
    void SetInBroadPhase(bool in) { m_inBroadPhase = in; }
    void SetActiveFlag(bool active) { m_active = active; }
    CPBody* m_listPrevious;
    CPBody* m_listNext;

protected:
    // The bounds from the body's rays; none for bodies without rays.
    virtual void AddRayBounds(D3DXVECTOR3& minimum, D3DXVECTOR3& maximum) const;
    virtual bool HasRays() const;
    // Called once a shape was added.
    void EnterBroadPhaseIfActive();
    // Sets the orientation from q when it is a usable rotation.
    bool StoreRotation(float x, float y, float z, float w);

    CPSimulator* m_simulator;
    PBodyState m_state;

private:
    Kind m_kind;
    int m_number;
    CPGameObject* m_userData;
    int m_collisionClass;
    PLinkedList<CPGeometry> m_geometries;
    D3DXVECTOR3 m_boundsCentre;
    D3DXVECTOR3 m_boundsHalfSize;
    float m_boundingRadius;
    bool m_active;
    bool m_inBroadPhase;
};
