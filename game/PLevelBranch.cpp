#include "game/PLevelBranch.h"

#include "Render/PPerspectiveCamera.h"
#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "Render/PRenderQueue.h"
#include "core/RayQuery.h"
#include "core/Settings.h"

#include <string>

namespace {

const int kAxisCount = 3;
const char kBonusPrefix[] = "bonus";
const char kNameSeparator = '_';

float AxisOf(const D3DXVECTOR3& vector, int axis)
{
    return axis == 0 ? vector.x : axis == 1 ? vector.y : vector.z;
}

D3DXVECTOR3 WorldPositionOf(const CPGameObject& object)
{
    const D3DXMATRIX& world = object.GetWorldMatrix();
    return D3DXVECTOR3(world._41, world._42, world._43);
}

int MaterialSum(const RefPtr<CPLevelBranch> (&pair)[2])
{
    return pair[0]->GetMaterialCount() + pair[1]->GetMaterialCount();
}

// A branch owns its halves: nothing outside the tree holds them.
void DestroyPair(RefPtr<CPLevelBranch> (&pair)[2])
{
    for (RefPtr<CPLevelBranch>& branch : pair) {
        CPLevelBranch* owned = branch.Get();
        branch = nullptr;
        delete owned;
    }
}

} // namespace

AxisAlignedBox LevelBoxOf(const CPGameObject& object)
{
    AxisAlignedBox box = object.GetBounds();
    box.Merge(object.GetPartBounds());
    return box;
}

bool IsBonusName(const std::string& name)
{
    return name.compare(0, name.find(kNameSeparator), kBonusPrefix) == 0;
}

CPLevelBranch::CPLevelBranch() = default;

CPLevelBranch::~CPLevelBranch()
{
    DestroyPair(m_children);
}

// The shared buffer takes the geometry of the root's objects only: the
// halves of a split hold the same objects again, and writing them for every
// branch would fill the buffer with copies.
void CPLevelBranch::SetObjects(const ObjectList& objects)
{
    Assign(objects);
    if (g_static != 0) FillSharedGeometry();
}

void CPLevelBranch::FillSharedGeometry()
{
    CPRender* render = GetRender();
    RefPtr<CPRenderQueue> queue = render ? render->GetRenderQueue() : nullptr;
    if (!queue || !queue->GetSharedBuffer()) return;
    for (const RefPtr<CPGameObject>& object : m_distanceObjects) queue->FillVertexBuffer(object);
}

void CPLevelBranch::Assign(const ObjectList& objects)
{
    if (objects.empty()) return;
    m_objects = objects;
    m_box = LevelBoxOf(*objects.front());
    for (const RefPtr<CPGameObject>& object : objects) {
        m_box.Merge(LevelBoxOf(*object));
        GatherMaterials(*object);
        (object->GetSharedGeometry() ? m_distanceObjects : m_staticObjects).push_back(object);
    }
}

// The materials of the object's plain mesh parts that may share static
// geometry, with their fire materials.
void CPLevelBranch::GatherMaterials(CPGameObject& object)
{
    if (object.GetKind() == CPGameObject::kKindMesh && object.GetSharedGeometry()) {
        if (CPRenderObject* mesh = object.GetRenderObject()) {
            RefPtr<CPMaterial> material;
            mesh->GetMaterial(material);
            if (material) m_materials.insert(material.Get());
        }
        if (CPMaterial* fire = object.GetFireMaterial()) m_materials.insert(fire);
    }
    for (const RefPtr<CPGameObject>& child : object.GetChildren()) GatherMaterials(*child);
}

// A later axis replaces the halves only when they use fewer materials; a
// tie keeps the earlier axis.
void CPLevelBranch::Build()
{
    if (m_objects.empty()) return;
    D3DXVECTOR3 low = LevelBoxOf(*m_objects.front()).centre;
    D3DXVECTOR3 high = low;
    for (const RefPtr<CPGameObject>& object : m_objects) {
        const D3DXVECTOR3 centre = LevelBoxOf(*object).centre;
        D3DXVec3Minimize(&low, &low, &centre);
        D3DXVec3Maximize(&high, &high, &centre);
    }
    const D3DXVECTOR3 middle = (low + high) * 0.5f;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        RefPtr<CPLevelBranch> halves[2];
        if (!SplitAlong(axis, middle, halves)) continue;
        if (IsLeaf() || MaterialSum(halves) < MaterialSum(m_children)) {
            DestroyPair(m_children);
            m_children[0] = halves[0];
            m_children[1] = halves[1];
        } else {
            DestroyPair(halves);
        }
    }
    if (IsLeaf()) {
        ListBonuses();
        return;
    }
    m_children[0]->Build();
    m_children[1]->Build();
}

// Objects whose centre lies above the middle go to the second half, all
// others (those on the middle too) to the first.
bool CPLevelBranch::SplitAlong(int axis, const D3DXVECTOR3& middle, RefPtr<CPLevelBranch> halves[2]) const
{
    ObjectList sides[2];
    const float cut = AxisOf(middle, axis);
    for (const RefPtr<CPGameObject>& object : m_objects) {
        sides[AxisOf(LevelBoxOf(*object).centre, axis) > cut ? 1 : 0].push_back(object);
    }
    if (sides[0].empty() || sides[1].empty()) return false;
    for (int side = 0; side < 2; ++side) {
        halves[side] = new CPLevelBranch();
        halves[side]->Assign(sides[side]);
    }
    return true;
}

void CPLevelBranch::ListBonuses()
{
    for (const RefPtr<CPGameObject>& object : m_objects) {
        if (!IsBonusName(object->GetName())) continue;
        m_bonusObjects.push_back(object);
        m_bonusPositions.push_back(WorldPositionOf(*object));
    }
}

void CPLevelBranch::Render(const CPPerspectiveCamera& view)
{
    if (!view.IsBoxVisible(m_box.minimum, m_box.maximum)) return;
    if (IsLeaf()) {
        QueueLeaf(view);
        return;
    }
    m_children[0]->Render(view);
    m_children[1]->Render(view);
}

void CPLevelBranch::QueueLeaf(const CPPerspectiveCamera& view)
{
    CPRender* render = GetRender();
    RefPtr<CPRenderQueue> queue = render ? render->GetRenderQueue() : nullptr;
    if (!queue) return;
    queue->AddObjectCount(static_cast<int>(m_objects.size()));
    for (const RefPtr<CPGameObject>& object : m_staticObjects) queue->AddObject(object);
    for (const RefPtr<CPGameObject>& object : m_distanceObjects) {
        if (CPGameObject* shown = ChooseLevelOfDetail(*object, view.GetEye())) queue->AddObject(shown);
    }
}

// The object's levels of detail after its own first entry each cover the
// distances above their threshold up to the next entry's threshold (the
// draw distance for the last one); an entry without an object draws
// nothing there, and nearer than every threshold the object draws itself.
CPGameObject* CPLevelBranch::ChooseLevelOfDetail(CPGameObject& object, const D3DXVECTOR3& eye) const
{
    const std::vector<CPGameObject::LevelOfDetail>& levels = object.GetLevelsOfDetail();
    if (levels.size() < 2) return &object;
    const D3DXVECTOR3 offset = eye - WorldPositionOf(object);
    const float distanceSquared = D3DXVec3LengthSq(&offset);
    float upper = static_cast<float>(g_distance);
    if (distanceSquared > upper * upper) return nullptr;
    size_t chosen = 0;
    for (size_t entry = levels.size() - 1; entry >= 1; --entry) {
        const float threshold = static_cast<float>(levels[entry].level);
        if (distanceSquared > threshold * threshold && distanceSquared <= upper * upper) chosen = entry;
        upper = threshold;
    }
    return chosen == 0 ? &object : levels[chosen].object.Get();
}

bool CPLevelBranch::IntersectRay(RayQuery& query)
{
    if (!m_box.IntersectSegment(query.origin, query.direction, query.distance)) return false;
    bool hit = false;
    if (IsLeaf()) {
        for (const RefPtr<CPGameObject>& object : m_objects) {
            if (object->IntersectRay(query)) hit = true;
        }
        return hit;
    }
    for (const RefPtr<CPLevelBranch>& child : m_children) {
        if (child->IntersectRay(query)) hit = true;
    }
    return hit;
}

void CPLevelBranch::CollectInSphere(const D3DXVECTOR3& centre, float radius, ObjectList& result)
{
    if (!m_box.OverlapsSphere(centre, radius)) return;
    if (IsLeaf()) {
        for (const RefPtr<CPGameObject>& object : m_objects) {
            if (LevelBoxOf(*object).OverlapsSphere(centre, radius)) result.push_back(object);
        }
        return;
    }
    m_children[0]->CollectInSphere(centre, radius, result);
    m_children[1]->CollectInSphere(centre, radius, result);
}

void CPLevelBranch::StopObjects()
{
    for (const RefPtr<CPGameObject>& object : m_staticObjects) object->Stop();
}
