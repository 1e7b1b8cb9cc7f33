#include "Render/PQuadTreeNode.h"

#include "Render/PPerspectiveCamera.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "Render/RenderLog.h"
#include "core/Settings.h"

#include <algorithm>

#if !defined(_WIN64)
static_assert(sizeof(CPQuadTreeNode) == 48 && sizeof(AxisAlignedBox) == 48,
              "the deepest leaf depth is reckoned from these sizes");
#endif

namespace {

// Quadrant i lies on the sides (kQuadrantSigns[i][0], kQuadrantSigns[i][1])
// of the node's centre in x and y.
const float kQuadrantSigns[CPQuadTreeNode::kChildCount][2] = {{-1, -1}, {1, 1}, {1, -1}, {-1, 1}};

// Closed on every face, so an object on a split plane still belongs to a
// quadrant (the first in quadrant order).
bool HoldsPoint(const AxisAlignedBox& box, const D3DXVECTOR3& point)
{
    return point.x >= box.minimum.x && point.x <= box.maximum.x && point.y >= box.minimum.y &&
           point.y <= box.maximum.y && point.z >= box.minimum.z && point.z <= box.maximum.z;
}

float OutsideDistanceSquared(const AxisAlignedBox& box, const D3DXVECTOR3& point)
{
    D3DXVECTOR3 nearest(std::max(box.minimum.x, std::min(point.x, box.maximum.x)),
                        std::max(box.minimum.y, std::min(point.y, box.maximum.y)),
                        std::max(box.minimum.z, std::min(point.z, box.maximum.z)));
    D3DXVECTOR3 offset = point - nearest;
    return D3DXVec3LengthSq(&offset);
}

// The first quadrant that holds the point, else the nearest one.
int QuadrantOf(CPQuadTreeNode* const (&quadrants)[CPQuadTreeNode::kChildCount],
               const D3DXVECTOR3& point)
{
    int nearest = 0;
    float nearestDistance = OutsideDistanceSquared(*quadrants[0]->GetBounds(), point);
    for (int i = 0; i < CPQuadTreeNode::kChildCount; ++i) {
        const AxisAlignedBox& box = *quadrants[i]->GetBounds();
        if (HoldsPoint(box, point)) return i;
        float distance = OutsideDistanceSquared(box, point);
        if (distance < nearestDistance) {
            nearest = i;
            nearestDistance = distance;
        }
    }
    return nearest;
}

} // namespace

CPQuadTreeNode::CPQuadTreeNode() = default;

CPQuadTreeNode::~CPQuadTreeNode() = default;

void CPQuadTreeNode::SetBounds(const D3DXVECTOR3& centre, const D3DXVECTOR3& halfExtents)
{
    m_bounds.reset(new AxisAlignedBox());
    m_bounds->minimum = centre - halfExtents;
    m_bounds->maximum = centre + halfExtents;
    m_bounds->halfExtents = halfExtents;
    m_bounds->centre = centre;
}

void CPQuadTreeNode::AddObject(RefPtr<CPGameObject> object)
{
    m_objects.push_back(object);
}

void CPQuadTreeNode::SetChild(int index, CPQuadTreeNode* node)
{
    m_children[index].reset(node);
}

bool CPQuadTreeNode::HasChildren() const
{
    for (const std::unique_ptr<CPQuadTreeNode>& child : m_children) {
        if (child) return true;
    }
    return false;
}

int CPQuadTreeNode::LeafDepthFor(int setting)
{
    int depth = std::max(0, std::min(setting, kDeepestLeafDepth));
    if (depth != setting) GetRenderLog().Report("\"quadlevels\" %d taken as %d", setting, depth);
    return depth;
}

void CPQuadTreeNode::Build(const CPGameObject::ObjectList& objects, int depth)
{
    BuildTo(objects, depth, LeafDepthFor(g_quadlevels));
}

void CPQuadTreeNode::BuildTo(const CPGameObject::ObjectList& objects, int depth, int leafDepth)
{
    if (depth >= leafDepth || !m_bounds) {
        BuildLeaf(objects);
        return;
    }
    const D3DXVECTOR3 centre = m_bounds->centre;
    const D3DXVECTOR3 half = m_bounds->halfExtents;
    const D3DXVECTOR3 quadrantHalf(half.x / 2, half.y / 2, half.z);
    CPQuadTreeNode* quadrants[kChildCount];
    for (int i = 0; i < kChildCount; ++i) {
        quadrants[i] = new CPQuadTreeNode();
        quadrants[i]->SetBounds(D3DXVECTOR3(centre.x + kQuadrantSigns[i][0] * quadrantHalf.x,
                                            centre.y + kQuadrantSigns[i][1] * quadrantHalf.y,
                                            centre.z),
                                quadrantHalf);
    }

    CPGameObject::ObjectList shares[kChildCount];
    for (const RefPtr<CPGameObject>& object : objects) {
        shares[QuadrantOf(quadrants, *object->GetPositionRef())].push_back(object);
    }
    AxisAlignedBox merged;
    for (int i = 0; i < kChildCount; ++i) {
        quadrants[i]->BuildTo(shares[i], depth + 1, leafDepth);
        if (i == 0) {
            merged = *quadrants[0]->GetBounds();
        } else {
            merged.Merge(*quadrants[i]->GetBounds());
        }
    }
    *m_bounds = merged;
    for (int i = 0; i < kChildCount; ++i) SetChild(i, quadrants[i]);
}

// A leaf's bounds are those of its objects' world boxes; a leaf without
// objects keeps the bounds its parent gave it.
void CPQuadTreeNode::BuildLeaf(const CPGameObject::ObjectList& objects)
{
    AxisAlignedBox box = m_bounds ? *m_bounds : AxisAlignedBox();
    if (!objects.empty()) box = objects.front()->GetBounds();
    for (const RefPtr<CPGameObject>& object : objects) {
        AddObject(object);
        box.Merge(object->GetBounds());
    }
    SetBounds(box.centre, box.halfExtents);
}

void CPQuadTreeNode::Render(const CPPerspectiveCamera& camera)
{
    for (const std::unique_ptr<CPQuadTreeNode>& child : m_children) {
        if (!child || !child->m_bounds) continue;
        if (camera.IsBoxVisible(child->m_bounds->minimum, child->m_bounds->maximum)) {
            child->Render(camera);
        }
    }
    if (HasChildren() || m_objects.empty() || !m_bounds) return;
    D3DXVECTOR3 offset = camera.GetEye() - m_bounds->centre;
    const int reach = g_distance * g_distance;
    if (D3DXVec3LengthSq(&offset) >= static_cast<float>(reach)) return;
    QueueObjects();
}

void CPQuadTreeNode::QueueObjects()
{
    CPRender* render = GetRender();
    CPRenderQueue* queue = render ? render->GetRenderQueue().Get() : nullptr;
    if (!queue) return;
    render->AddObjectCount(static_cast<int>(m_objects.size()));
    for (const RefPtr<CPGameObject>& object : m_objects) {
        if (object) queue->AddObject(object);
    }
    render->AddObjectCount(static_cast<int>(m_singleObjects.size()));
    for (const RefPtr<CPGameObject>& object : m_singleObjects) {
        if (object) queue->AddObjectGeometry(object);
    }
}
