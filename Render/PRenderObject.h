#pragma once

#include "Render/PDrawable.h"
#include "Render/PMaterial.h"
#include "Render/PVertexEffect.h"
#include "core/PBoundingBox.h"

#include <d3dx9.h>

#include <string>
#include <vector>

class CPGameObject;
class CPRenderObject;
struct StaticMeshBuffers;

// One vertex of a deformable mesh: its index in the local vertices of a
// render object (the body itself or one of the owner's other mesh parts).
struct DamageVertex {
    CPRenderObject* part;
    int index;
};

// One region of a deformable mesh: clusters of vertices that share one
// position, a box around them that follows the owner, and how much damage
// the region has taken. A region at 1.0 or more takes no further dents.
struct DamageZone {
    DamageZone(const D3DXVECTOR3& centre, const D3DXVECTOR3& halfExtents);

    std::vector<std::vector<DamageVertex>> clusters;
    CPBoundingBox box;
    float damage;
};

// The drawable of a mesh part: the component of a game object of the mesh
// kind. It keeps the part's triangles as loaded (in the owner's frame) and
// a world-space copy that follows the owner, its vertex effects and its
// material. Static scenery is drawn from the renderer's shared buffers of
// the mesh name instead of being written each frame. Car bodies can be made
// deformable: impacts then dent their normals region by region.
class CPRenderObject : public IPDrawable {
public:
    explicit CPRenderObject(CPGameObject* owner);
    ~CPRenderObject() override;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPRenderObject"; }

    bool IsStatic() override { return m_static; }
    void SetStatic(bool isStatic) override { m_static = isStatic; }
    // The counts of the loaded mesh; the world copy always has as many
    // vertices when it is written.
    int GetVertexCount() override { return static_cast<int>(m_localVertices.size()); }
    int GetIndexCount() override { return static_cast<int>(m_indices.size()); }
    // World vertices through the vertex effects, indices plus the base.
    // Refreshes the world vertices first when the owner has moved.
    void WriteGeometry(Vertex48* destVertices, uint16_t* destIndices, uint16_t baseVertex,
                       bool flag) override;
    void CopyIndices(uint16_t* dest, int count, uint16_t* firstIndex, uint16_t* lastIndex) override;
    void GetMaterial(RefPtr<CPMaterial>& material) override { material = m_material; }
    // The world vertices and indices, and when the owner has moved the
    // local vertices and the owner's matrix that refresh them.
    void PrefetchGeometry() override;

    // Takes the source's owner, mesh, material, static state and a clone of
    // each of its vertex effects. Damage zones stay behind. A static copy
    // shares the renderer's buffers of its mesh name; without a renderer it
    // has none.
    virtual void CopyFrom(RefPtr<CPRenderObject> source);

    // World vertices = local vertices under the owner's world matrix
    // (normals rotated, not renormalised); the zone boxes follow the owner.
    void UpdateWorldVertices();
    // Bakes a transform into the local vertices (positions with translation,
    // normals rotated only).
    void TransformVertices(const D3DXMATRIX& matrix);
    // Welds the vertices of this part and of the owner's other mesh parts
    // (the wheels excepted) into clusters, and the clusters into zones;
    // the zones replace those of an earlier build.
    void BuildDamageZones();
    // Dents every zone that the ray from origin along direction reaches
    // within 1.7 units; amounts up to 0.01 are ignored.
    void ApplyDamage(float originX, float originY, float originZ, float directionX,
                     float directionY, float directionZ, float amount);

    void SetMaterial(RefPtr<CPMaterial> material) { m_material = material; }
    CPGameObject* GetOwner() const { return m_owner; }
    void SetOwner(CPGameObject* owner) { m_owner = owner; }

    // Appends an effect for the written vertices and turns the effects on.
    void AddVertexEffect(std::unique_ptr<IPVertexEffect> effect);
    bool HasVertexEffects() const { return m_hasVertexEffects; }
    const VertexEffectList& GetVertexEffects() const { return m_vertexEffects; }

    std::vector<Vertex48>& GetLocalVertices() { return m_localVertices; }
    std::vector<Vertex48>& GetWorldVertices() { return m_worldVertices; }
    std::vector<uint16_t>& GetIndices() { return m_indices; }

    // Static scenery: the name its shared buffers are registered under and
    // the renderer's buffers themselves.
    void SetMeshName(const std::string& name) { m_meshName = name; }
    const std::string& GetMeshName() const { return m_meshName; }
    void SetStaticBuffers(StaticMeshBuffers* buffers) { m_staticBuffers = buffers; }
    StaticMeshBuffers* GetStaticBuffers() const { return m_staticBuffers; }

    // Four floats a car sets on its exhaust parts each frame: the last one
    // grows with the nitro flame.
    void SetShiftVector(const D3DXVECTOR4& shift) { m_shiftVector = shift; }
    const D3DXVECTOR4& GetShiftVector() const { return m_shiftVector; }

    bool IsDeformable() const { return m_deformable; }
    std::vector<DamageZone>& GetDamageZones() { return m_damageZones; }

private:
    const D3DXMATRIX* OwnerMatrix() const;
    // UpdateWorldVertices without the static check; with a destination,
    // each placed vertex is also written there whole.
    void PlaceWorldVertices(Vertex48* alsoInto);
    void WeldClusters(std::vector<std::vector<DamageVertex>>& clusters);
    void GroupZones(const std::vector<std::vector<DamageVertex>>& clusters);
    void DentZone(DamageZone& zone);

    // What queuing and writing the part read, together at the front.
    CPGameObject* m_owner;
    RefPtr<CPMaterial> m_material;
    bool m_static;
    bool m_hasVertexEffects;
    bool m_deformable;
    std::vector<Vertex48> m_localVertices;
    std::vector<uint16_t> m_indices;
    std::vector<Vertex48> m_worldVertices;
    VertexEffectList m_vertexEffects;
    D3DXVECTOR4 m_shiftVector;
    std::vector<DamageZone> m_damageZones;
    std::string m_meshName;
    StaticMeshBuffers* m_staticBuffers;
};

// Replaces the drawable's material: the old one is released, the new one
// referenced.
void RenderBlockSetMaterial(CPRenderObject* drawable, CPMaterial* material);
