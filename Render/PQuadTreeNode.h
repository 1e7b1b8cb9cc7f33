#pragma once

#include "core/AxisAlignedBox.h"
#include "core/PGameObject.h"

#include <d3dx9.h>

#include <memory>
#include <vector>

class CPPerspectiveCamera;

// A node of the quadtree over the level's static objects, split over the
// ground plane (x and y). Each frame the walk descends into the children
// the camera sees; a leaf within the view distance hands its objects to
// the render queue.
class CPQuadTreeNode {
public:
    static const int kChildCount = 4;
    // A tree with leaves at depth L has (4^(L+1) - 1) / 3 nodes, and each
    // node holds two blocks of the heap: itself and its bounds, 48 bytes
    // each in the 32-bit program, 56 with the heap's header and rounding.
    // At depth 11 that is 5,592,405 nodes in 626 MB; at depth 12 it would
    // be 22,369,621 nodes in 2.5 GB, more than the 2 GB that a 32-bit
    // process can address.
    static const int kDeepestLeafDepth = 11;

    CPQuadTreeNode();
    virtual ~CPQuadTreeNode();
    CPQuadTreeNode(const CPQuadTreeNode&) = delete;
    CPQuadTreeNode& operator=(const CPQuadTreeNode&) = delete;

    void SetBounds(const D3DXVECTOR3& centre, const D3DXVECTOR3& halfExtents);
    void AddObject(RefPtr<CPGameObject> object);
    // Stores the node as child 0 to 3, deleting a child already there.
    void SetChild(int index, CPQuadTreeNode* node);

    // Builds the subtree below a node whose bounds are set. Nodes at the
    // depth of the "quadlevels" setting are leaves that keep their objects
    // and take the bounds of their objects' world boxes; inner nodes split
    // into quadrants 0 (-x, -y), 1 (+x, +y), 2 (+x, -y) and 3 (-x, +y) and
    // take the merged bounds of their children. Every object goes to the
    // first quadrant whose closed box holds its position; one outside them
    // all goes to the quadrant nearest to it.
    void Build(const CPGameObject::ObjectList& objects, int depth);
    // The depth of the leaves for a "quadlevels" setting: one below 0 is
    // taken as 0 and one past the deepest tree that fits the address space
    // as that depth; either change leaves a line in the render log.
    static int LeafDepthFor(int setting);
    // Queues the objects of every visible leaf whose centre lies closer to
    // the eye than the "distance" setting.
    void Render(const CPPerspectiveCamera& camera);

    CPQuadTreeNode* GetChild(int index) const { return m_children[index].get(); }
    const CPGameObject::ObjectList& GetObjects() const { return m_objects; }
    CPGameObject::ObjectList& GetSingleObjects() { return m_singleObjects; }
    const AxisAlignedBox* GetBounds() const { return m_bounds.get(); }

private:
    void BuildTo(const CPGameObject::ObjectList& objects, int depth, int leafDepth);
    bool HasChildren() const;
    void BuildLeaf(const CPGameObject::ObjectList& objects);
    void QueueObjects();

    std::unique_ptr<CPQuadTreeNode> m_children[kChildCount];
    CPGameObject::ObjectList m_objects;
    CPGameObject::ObjectList m_singleObjects;
    std::unique_ptr<AxisAlignedBox> m_bounds;
};
