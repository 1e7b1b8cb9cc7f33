#pragma once

#include "core/AxisAlignedBox.h"
#include "core/PGameObject.h"
#include "core/PObject.h"

#include <d3dx9.h>

#include <unordered_set>
#include <vector>

class CPMaterial;
class CPPerspectiveCamera;
struct RayQuery;

// A node of the tree over the level's static objects. The level hands all
// its placed objects to the root and builds the tree once; every frame it
// draws through it, and the level's ray and sphere queries search it. Each
// split cuts a branch in two along x, y or z at the middle of its objects'
// centres, taking the axis whose halves use the fewest materials between
// them, so that a leaf draws with few render state changes. Leaves also
// list their bonus objects and where those stand.
class CPLevelBranch : public IPObject {
public:
    typedef CPGameObject::ObjectList ObjectList;

    CPLevelBranch();
    // Destroys the halves below it; whoever holds the root destroys that.
    ~CPLevelBranch() override;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPLevelBranch"; }

    // Takes the objects, the box around them and the materials of their
    // mesh parts, and sorts them into objects drawn as they are and objects
    // drawn by distance (those with the tree flag). An empty list changes
    // nothing. With the "static" setting on, the objects drawn by distance
    // are written into the render queue's shared buffer.
    void SetObjects(const ObjectList& objects);
    // Splits the branch and its halves until no axis separates a branch's
    // objects; such a branch is a leaf and lists its bonus objects.
    void Build();

    // Queues the objects of every leaf the view sees: objects drawn by
    // distance through their levels of detail. Adds each such leaf's object
    // count to the render queue's object total.
    void Render(const CPPerspectiveCamera& view);
    // Searches every branch the segment reaches; the query keeps the
    // nearest hit. True when any object was hit.
    bool IntersectRay(RayQuery& query);
    // Appends every object whose box reaches the sphere.
    void CollectInSphere(const D3DXVECTOR3& centre, float radius, ObjectList& result);
    // Stops the branch's objects drawn as they are; on the root, those of
    // the whole tree.
    void StopObjects();

    bool IsLeaf() const { return !m_children[0]; }
    CPLevelBranch* GetChild(int index) const { return m_children[index].Get(); }
    const AxisAlignedBox& GetBox() const { return m_box; }
    const ObjectList& GetObjects() const { return m_objects; }
    const ObjectList& GetStaticObjects() const { return m_staticObjects; }
    const ObjectList& GetDistanceObjects() const { return m_distanceObjects; }
    int GetMaterialCount() const { return static_cast<int>(m_materials.size()); }
    const ObjectList& GetBonusObjects() const { return m_bonusObjects; }
    const std::vector<D3DXVECTOR3>& GetBonusPositions() const { return m_bonusPositions; }

private:
    // SetObjects without writing to the shared buffer.
    void Assign(const ObjectList& objects);
    void FillSharedGeometry();
    void GatherMaterials(CPGameObject& object);
    // The pair of halves along one axis, or none when the axis does not
    // separate the objects.
    bool SplitAlong(int axis, const D3DXVECTOR3& middle, RefPtr<CPLevelBranch> halves[2]) const;
    void ListBonuses();
    void QueueLeaf(const CPPerspectiveCamera& view);
    CPGameObject* ChooseLevelOfDetail(CPGameObject& object, const D3DXVECTOR3& eye) const;

    std::unordered_set<CPMaterial*> m_materials;
    AxisAlignedBox m_box;
    RefPtr<CPLevelBranch> m_children[2];
    ObjectList m_objects;
    ObjectList m_bonusObjects;
    std::vector<D3DXVECTOR3> m_bonusPositions;
    ObjectList m_staticObjects;
    ObjectList m_distanceObjects;
};

// The box the tree knows an object by: its own bounds and its parts'
// bounds together, so that neither drawing nor a ray test misses it.
AxisAlignedBox LevelBoxOf(const CPGameObject& object);

// Whether the name marks a bonus: exactly "bonus", or "bonus_" and more.
bool IsBonusName(const std::string& name);
