#pragma once

#include "Render/PDrawable.h"
#include "Render/PMaterial.h"
#include "Render/PVertexEffect.h"

#include <d3dx9.h>

#include <memory>
#include <vector>

class CPGameObject;

// The drawable of a sprite object: one textured square centred on its game
// object that faces the camera. A facing direction fixed to the object and
// an angle limit let it fade out when seen from the wrong side.
//
// A sprite without an owner, or drawn before any view is published, has no
// place to be drawn at and answers no vertices and no indices.
class CPSprite : public IPDrawable {
public:
    // size is half the edge length of the square.
    explicit CPSprite(float size);
    ~CPSprite() override;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPSprite"; }

    // 4 and 6 while the sprite shows; each call runs the visibility test.
    int GetVertexCount() override;
    int GetIndexCount() override;
    void WriteGeometry(Vertex48* destVertices, uint16_t* destIndices, uint16_t baseVertex,
                       bool flag) override;
    void GetMaterial(RefPtr<CPMaterial>& material) override { material = m_material; }

    void SetMaterial(RefPtr<CPMaterial> material) { m_material = material; }
    void SetOwner(CPGameObject* owner) { m_owner = owner; }
    CPGameObject* GetOwner() const { return m_owner; }
    float GetSize() const { return m_size; }
    void SetRoll(float roll) { m_roll = roll; }
    float GetRoll() const { return m_roll; }
    // The direction, in the frame of the owner's topmost ancestor, that the
    // sprite shows towards, and the angle (radians) beyond which it hides.
    void SetFacing(const D3DXVECTOR3& facing, float angleLimit);
    const D3DXVECTOR3& GetFacing() const { return m_facing; }
    float GetAngleLimit() const { return m_angleLimit; }

    // Appends an effect for the written corners and turns the effects on.
    void AddVertexEffect(std::unique_ptr<IPVertexEffect> effect);
    bool HasVertexEffects() const { return m_hasVertexEffects; }
    const std::vector<std::unique_ptr<IPVertexEffect>>& GetVertexEffects() const { return m_vertexEffects; }

    // Shares the source's material and takes its roll, facing, angle limit
    // and effects flag, with a clone of each of its effects; the size and
    // the owner stay.
    void CopyFrom(const CPSprite& source);

    // Whether the sprite shows now; also sets the colour of its corners.
    // A negative angle limit fixes a grey level (-limit x 255) and hides the
    // sprite between -0.1 and 0; a positive one fades it with the angle
    // between its facing direction and the horizontal way to the camera.
    bool UpdateVisibility();
    D3DCOLOR GetColour() const { return m_colour; }
    bool IsVisible() const { return m_visible; }

private:
    bool CanBePlaced() const;
    bool UpdateFacingVisibility();

    bool m_hasVertexEffects;
    std::vector<std::unique_ptr<IPVertexEffect>> m_vertexEffects;
    CPGameObject* m_owner;
    RefPtr<CPMaterial> m_material;
    float m_size;
    float m_roll;
    D3DCOLOR m_colour;
    // Start u, start v, end u, end v.
    float m_textureRect[4];
    D3DXVECTOR3 m_facing;
    float m_angleLimit;
    bool m_visible;
};
