#include "Render/PRenderObject.h"

#include "Render/PRender.h"
#include "core/PGameObject.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The wheels and their damaged forms are not part of a car body's dents.
const char* const kWheelPartNames[] = {"w0", "w0d", "w1", "w1d", "w2", "w2d", "w3", "w3d"};

// Vertices closer than this share one position; clusters closer than the
// zone reach share one zone.
const float kWeldDistance = 0.1f;
const float kZoneReach = 0.3f;
// A zone whose corners lie closer than this gets a box of the zone reach
// around its lower corner.
const float kSmallestZoneSpan = 0.4f;
const float kFullDamage = 1.0f;
const float kIgnoredDamage = 0.01f;
const float kImpactReach = 1.7f;
// Each dent turns a normal by up to 0.05 radians about each axis.
const float kDentAngle = 0.05f;
const float kRandomMaximum = 32767.0f;
const D3DCOLOR kWeldedColour = 0xFFFFFFFF;
const D3DCOLOR kDentedColour = 0x96FFFFFF;

bool IsWheelPart(const std::string& name)
{
    for (const char* wheel : kWheelPartNames) {
        if (name == wheel) return true;
    }
    return false;
}

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    D3DXVECTOR3 offset = a - b;
    return D3DXVec3Length(&offset);
}

// Placing vertices runs for every vertex of every moving mesh each frame,
// so it works on four lanes at once with SSE, which both builds compile for.
// The rows of a row-vector matrix: a position is x times the first, plus y
// times the second, plus z times the third, plus the translation row.
struct PlacementRows {
    __m128 x;
    __m128 y;
    __m128 z;
    __m128 translation;
};

PlacementRows RowsOf(const D3DXMATRIX& m)
{
    return PlacementRows{_mm_loadu_ps(&m._11), _mm_loadu_ps(&m._21), _mm_loadu_ps(&m._31),
                         _mm_loadu_ps(&m._41)};
}

// One vertex placed, as the first two quarters of a Vertex48: the position
// with the translation and the normal by the upper 3 x 3 (not
// renormalised), the local diffuse colour and the specular colour that the
// world vertex keeps. Shuffles move the colours' bits unchanged. The sums
// run in the order x, y, z, translation.
inline void PlaceVertex(const Vertex48& local, const Vertex48& world,
                                       const PlacementRows& rows, __m128& front, __m128& middle)
{
    const float* from = &local.position.x;
    const __m128 positionAndNormalX = _mm_loadu_ps(from);
    const __m128 normalYZAndColours = _mm_loadu_ps(from + 4);
    const __m128 worldColours = _mm_loadu_ps(&world.normal.y);
    const __m128 position = _mm_add_ps(
        _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_shuffle_ps(positionAndNormalX, positionAndNormalX, 0x00), rows.x),
                              _mm_mul_ps(_mm_shuffle_ps(positionAndNormalX, positionAndNormalX, 0x55), rows.y)),
                   _mm_mul_ps(_mm_shuffle_ps(positionAndNormalX, positionAndNormalX, 0xAA), rows.z)),
        rows.translation);
    const __m128 normal = _mm_add_ps(
        _mm_add_ps(_mm_mul_ps(_mm_shuffle_ps(positionAndNormalX, positionAndNormalX, 0xFF), rows.x),
                   _mm_mul_ps(_mm_shuffle_ps(normalYZAndColours, normalYZAndColours, 0x00), rows.y)),
        _mm_mul_ps(_mm_shuffle_ps(normalYZAndColours, normalYZAndColours, 0x55), rows.z));
    // (z, z, normal x, normal x), then (x, y, z, normal x).
    const __m128 joint = _mm_shuffle_ps(position, normal, _MM_SHUFFLE(0, 0, 2, 2));
    front = _mm_shuffle_ps(position, joint, _MM_SHUFFLE(2, 0, 1, 0));
    // (diffuse, diffuse, specular, specular), then (normal y, normal z,
    // diffuse, specular).
    const __m128 colours = _mm_shuffle_ps(normalYZAndColours, worldColours, _MM_SHUFFLE(3, 3, 2, 2));
    middle = _mm_shuffle_ps(normal, colours, _MM_SHUFFLE(2, 0, 2, 1));
}

// Each vertex is read before it is written, so local and world may be the
// same array. The texture coordinates of the world vertices stay. With a
// destination, each placed vertex is also written there whole while it is
// at hand.
void PlaceVertices(const Vertex48* local, Vertex48* world, Vertex48* copy,
                                  size_t count, const D3DXMATRIX& matrix)
{
    const PlacementRows rows = RowsOf(matrix);
    for (size_t i = 0; i < count; ++i) {
        __m128 front;
        __m128 middle;
        PlaceVertex(local[i], world[i], rows, front, middle);
        float* placed = &world[i].position.x;
        _mm_storeu_ps(placed, front);
        _mm_storeu_ps(placed + 4, middle);
        if (!copy) continue;
        float* copied = &copy[i].position.x;
        _mm_storeu_ps(copied, front);
        _mm_storeu_ps(copied + 4, middle);
        _mm_storeu_ps(copied + 8, _mm_loadu_ps(placed + 8));
    }
}

Vertex48& VertexOf(const DamageVertex& reference)
{
    return reference.part->GetLocalVertices()[reference.index];
}

// Uniform in [-0.05, 0.05] radians from one draw of the C library generator.
float DentAngle()
{
    return kDentAngle - (static_cast<float>(std::rand()) / kRandomMaximum) * 2.0f * kDentAngle;
}

} // namespace

DamageZone::DamageZone(const D3DXVECTOR3& centre, const D3DXVECTOR3& halfExtents)
    : box(centre, halfExtents), damage(0.0f)
{
}

CPRenderObject::CPRenderObject(CPGameObject* owner)
    : m_owner(owner),
      m_static(false),
      m_hasVertexEffects(false),
      m_deformable(false),
      m_shiftVector(0.0f, 0.0f, 0.0f, 0.0f),
      m_staticBuffers(nullptr)
{
}

CPRenderObject::~CPRenderObject() = default;

const D3DXMATRIX* CPRenderObject::OwnerMatrix() const
{
    return m_owner ? &m_owner->GetWorldMatrix() : nullptr;
}

void CPRenderObject::UpdateWorldVertices()
{
    if (m_static) return;
    PlaceWorldVertices(nullptr);
}

void CPRenderObject::PlaceWorldVertices(Vertex48* alsoInto)
{
    // The world copy always matches the loaded mesh in size, so what is
    // written agrees with the counts the buffers were given.
    if (m_worldVertices.size() != m_localVertices.size()) m_worldVertices = m_localVertices;

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const D3DXMATRIX* ownerMatrix = OwnerMatrix();
    const D3DXMATRIX& world = ownerMatrix ? *ownerMatrix : identity;
    PlaceVertices(m_localVertices.data(), m_worldVertices.data(), alsoInto, m_localVertices.size(),
                  world);
    if (!m_deformable) return;
    for (DamageZone& zone : m_damageZones) {
        if (zone.damage >= kFullDamage) continue;
        zone.box.PlaceInWorld(world);
        zone.box.Update();
    }
}

// The vertices reach the buffers in one sequential pass (or through the
// effects): buffer memory may be write-combined, where scattered stores
// are slow. Refreshed world vertices go to the buffer as they are placed.
void CPRenderObject::WriteGeometry(Vertex48* destVertices, uint16_t* destIndices,
                                   uint16_t baseVertex, bool)
{
    if (m_static || m_localVertices.empty()) return;
    bool ownerMoved = m_owner && m_owner->IsTransformChanged();
    bool stale = ownerMoved || m_worldVertices.size() != m_localVertices.size();
    bool effects = m_hasVertexEffects && !m_vertexEffects.empty();
    if (stale) PlaceWorldVertices(effects ? nullptr : destVertices);
    if (ownerMoved) m_owner->ClearTransformChanged();

    int count = static_cast<int>(m_worldVertices.size());
    if (effects) {
        m_vertexEffects[0]->Apply(destVertices, m_worldVertices.data(), count);
        for (size_t i = 1; i < m_vertexEffects.size(); ++i) {
            m_vertexEffects[i]->Apply(destVertices, destVertices, count);
        }
    } else if (!stale) {
        std::memcpy(destVertices, m_worldVertices.data(), count * sizeof(Vertex48));
    }
    WriteIndices(destIndices, m_indices.data(), static_cast<int>(m_indices.size()), baseVertex);
}

void CPRenderObject::PrefetchGeometry()
{
    if (m_static) return;
    PrefetchMemory(m_worldVertices.data(), m_worldVertices.size() * sizeof(Vertex48));
    PrefetchMemory(m_indices.data(), m_indices.size() * sizeof(uint16_t));
    if (!m_owner || !m_owner->IsTransformChanged()) return;
    PrefetchMemory(m_localVertices.data(), m_localVertices.size() * sizeof(Vertex48));
    PrefetchMemory(&m_owner->GetWorldMatrix(), sizeof(D3DXMATRIX));
}

void CPRenderObject::CopyIndices(uint16_t* dest, int, uint16_t* firstIndex, uint16_t* lastIndex)
{
    if (m_localVertices.empty() || m_indices.empty()) return;
    std::copy(m_indices.begin(), m_indices.end(), dest);
    *firstIndex = m_indices.front();
    *lastIndex = m_indices.back();
}

void CPRenderObject::CopyFrom(RefPtr<CPRenderObject> source)
{
    m_owner = source->m_owner;
    m_localVertices = source->m_localVertices;
    m_worldVertices = source->m_worldVertices;
    m_indices = source->m_indices;
    m_material = source->m_material;

    SetStatic(source->IsStatic());
    CPRender* render = GetRender();
    if (IsStatic()) m_meshName = source->m_meshName;
    if (IsStatic() && render) {
        m_staticBuffers = render->GetStaticMeshBuffers(m_meshName, m_localVertices.data(), m_indices.data(),
                                                       GetVertexCount(), GetIndexCount());
    }
    m_hasVertexEffects = source->m_hasVertexEffects;
    m_vertexEffects = CloneVertexEffects(source->m_vertexEffects);
}

void CPRenderObject::AddVertexEffect(std::unique_ptr<IPVertexEffect> effect)
{
    m_vertexEffects.push_back(std::move(effect));
    m_hasVertexEffects = true;
}

void CPRenderObject::TransformVertices(const D3DXMATRIX& matrix)
{
    PlaceVertices(m_localVertices.data(), m_localVertices.data(), nullptr, m_localVertices.size(),
                  matrix);
}

void CPRenderObject::BuildDamageZones()
{
    m_deformable = true;
    m_damageZones.clear();
    std::vector<std::vector<DamageVertex>> clusters;
    WeldClusters(clusters);
    GroupZones(clusters);
}

// Entries are this part's vertices, then those of each other mesh part of
// the owner's tree in pre-order; each entry not yet taken starts a cluster
// that takes every later free entry near it.
void CPRenderObject::WeldClusters(std::vector<std::vector<DamageVertex>>& clusters)
{
    std::vector<DamageVertex> entries;
    auto enter = [&entries](CPRenderObject* part) {
        for (size_t i = 0; i < part->m_localVertices.size(); ++i) {
            part->m_localVertices[i].diffuse = kWeldedColour;
            entries.push_back(DamageVertex{part, static_cast<int>(i)});
        }
    };
    enter(this);
    if (m_owner) {
        CPGameObject::ObjectList tree;
        m_owner->CollectTree(tree);
        for (const RefPtr<CPGameObject>& object : tree) {
            if (object.Get() == m_owner || object->GetKind() != CPGameObject::kKindMesh) continue;
            if (IsWheelPart(object->GetName())) continue;
            CPRenderObject* part = dynamic_cast<CPRenderObject*>(object->GetComponent());
            if (part) enter(part);
        }
    }

    std::vector<bool> taken(entries.size(), false);
    for (size_t first = 0; first < entries.size(); ++first) {
        if (taken[first]) continue;
        const D3DXVECTOR3 start = VertexOf(entries[first]).position;
        clusters.emplace_back(1, entries[first]);
        for (size_t later = first + 1; later < entries.size(); ++later) {
            if (taken[later] || Distance(VertexOf(entries[later]).position, start) >= kWeldDistance) {
                continue;
            }
            clusters.back().push_back(entries[later]);
            taken[later] = true;
        }
    }
}

void CPRenderObject::GroupZones(const std::vector<std::vector<DamageVertex>>& clusters)
{
    std::vector<bool> taken(clusters.size(), false);
    for (size_t first = 0; first < clusters.size(); ++first) {
        if (taken[first]) continue;
        std::vector<std::vector<DamageVertex>> members(1, clusters[first]);
        const D3DXVECTOR3 start = VertexOf(clusters[first][0]).position;
        for (size_t later = first + 1; later < clusters.size(); ++later) {
            if (taken[later] || Distance(VertexOf(clusters[later][0]).position, start) >= kZoneReach) {
                continue;
            }
            members.push_back(clusters[later]);
            taken[later] = true;
        }

        D3DXVECTOR3 minimum = VertexOf(members[0][0]).position;
        D3DXVECTOR3 maximum = minimum;
        for (const std::vector<DamageVertex>& cluster : members) {
            D3DXVec3Minimize(&minimum, &minimum, &VertexOf(cluster[0]).position);
            D3DXVec3Maximize(&maximum, &maximum, &VertexOf(cluster[0]).position);
        }
        D3DXVECTOR3 half = (maximum - minimum) * 0.5f;
        bool spansZone = minimum != maximum && Distance(maximum, minimum) >= kSmallestZoneSpan;
        if (spansZone) {
            m_damageZones.emplace_back(minimum + half, half);
        } else {
            m_damageZones.emplace_back(minimum, D3DXVECTOR3(kZoneReach, kZoneReach, kZoneReach));
        }
        m_damageZones.back().clusters = std::move(members);
    }
}

void CPRenderObject::ApplyDamage(float originX, float originY, float originZ, float directionX,
                                 float directionY, float directionZ, float amount)
{
    if (!m_deformable || amount <= kIgnoredDamage) return;
    const D3DXVECTOR3 origin(originX, originY, originZ);
    const D3DXVECTOR3 direction(directionX, directionY, directionZ);
    for (DamageZone& zone : m_damageZones) {
        if (zone.damage >= kFullDamage) continue;
        float reach = kImpactReach;
        D3DXPLANE hitPlane;
        if (!zone.box.IntersectRay(origin, direction, reach, hitPlane)) continue;
        zone.damage += amount;
        DentZone(zone);
    }
}

// Every vertex of the zone gets its normal turned a little at random; the
// position stays, and the dented colour marks it.
void CPRenderObject::DentZone(DamageZone& zone)
{
    for (const std::vector<DamageVertex>& cluster : zone.clusters) {
        for (const DamageVertex& reference : cluster) {
            float yaw = DentAngle();
            float pitch = DentAngle();
            float roll = DentAngle();
            D3DXMATRIX rotation;
            D3DXMatrixRotationYawPitchRoll(&rotation, yaw, pitch, roll);
            Vertex48& vertex = VertexOf(reference);
            D3DXVECTOR3 turned;
            D3DXVec3TransformNormal(&turned, &vertex.normal, &rotation);
            D3DXVec3Normalize(&vertex.normal, &turned);
            vertex.diffuse = kDentedColour;
        }
    }
}

void RenderBlockSetMaterial(CPRenderObject* drawable, CPMaterial* material)
{
    drawable->SetMaterial(material);
}
