#pragma once

#include "Render/PDrawable.h"
#include "Render/PMaterial.h"

#include <d3dx9.h>

class CPGameObject;

// The drawable of a mesh part: the component of a game object of the mesh
// kind. It follows its owner's world matrix, which the owner hands down on
// every transform rebuild.
class CPRenderObject : public IPDrawable {
public:
    explicit CPRenderObject(CPGameObject* owner) : m_owner(owner) { D3DXMatrixIdentity(&m_worldMatrix); }

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPRenderObject"; }
    void GetMaterial(RefPtr<CPMaterial>& material) override { material = m_material; }

    // Replaces the material; the old one is released.
    void SetMaterial(RefPtr<CPMaterial> material) { m_material = material; }

    void SetWorldMatrix(const D3DXMATRIX& world) { m_worldMatrix = world; }
    const D3DXMATRIX& GetWorldMatrix() const { return m_worldMatrix; }
    CPGameObject* GetOwner() const { return m_owner; }
    void SetOwner(CPGameObject* owner) { m_owner = owner; }

    // Takes over the source's owner and shares its material.
    virtual void CopyFrom(RefPtr<CPRenderObject> source)
    {
        m_owner = source->m_owner;
        m_material = source->m_material;
    }
    // Hands back a new render object of this object's own class that has
    // copied this one (CopyFrom); a game object's copy then makes itself its
    // owner.
    virtual void Clone(RefPtr<CPRenderObject>& copy) = 0;

private:
    CPGameObject* m_owner;
    RefPtr<CPMaterial> m_material;
    D3DXMATRIX m_worldMatrix;
};
