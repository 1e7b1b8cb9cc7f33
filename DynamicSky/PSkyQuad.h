#pragma once

#include "DynamicSky/VertexObject.h"

#include <d3dx9math.h>

#include <string>
#include <vector>

// A textured square on the sky (the first one is the sun). Each frame it
// runs along a circle around the origin whose axis is its direction, turned
// by its angle less the sky state's, faces the origin, stands upright and
// is scaled by the sky state's value. It steps through a list of textures
// and draws with one of two named effects.
class CPSkyQuad : public CPVertexObject {
public:
    CPSkyQuad();
    ~CPSkyQuad() override;

    // Places, faces and draws the quad for the frame; step goes to Draw.
    virtual void Update(float step);

    void SetEffectNames(const std::string& first, const std::string& second);
    void AddTexture(const std::string& name);
    // The square of half size s in the plane y = 0, the texture at the
    // current index (none without names) and the second effect.
    void Build(float halfSize);
    // Index 0 loads the first effect, 1 the second; any other keeps the
    // effect as it is.
    void SelectEffect(int index);
    // Moves on to the next texture name, round to the first, and loads it.
    void NextTexture();
    // Every vertex gets alpha a over the quad's fixed dark blue.
    void SetAlpha(int alpha);

    // The direction is normalised; the orientation turns z onto it.
    void SetDirection(const D3DXVECTOR3& direction);
    void SetDistance(float distance) { m_distance = distance; }
    void SetAngle(float angle) { m_angle = angle; }
    void SetStateAngle(float angle) { m_stateAngle = angle; }
    void SetScale(float scale) { m_scale = scale; }

    const D3DXVECTOR3& GetPosition() const { return m_position; }
    const D3DXVECTOR3& GetDirection() const { return m_direction; }
    int GetEffectIndex() const { return m_effectIndex; }
    int GetTextureIndex() const { return m_textureIndex; }
    // The world matrix of the last Update.
    const D3DXMATRIX& GetWorld() const { return m_world; }

private:
    void PlaceOnCircle();
    D3DXMATRIX UprightTurn(const D3DXMATRIX& facing) const;

    D3DXVECTOR3 m_direction;
    D3DXVECTOR3 m_position;
    float m_distance;
    std::string m_firstEffect;
    std::string m_secondEffect;
    int m_effectIndex;
    float m_angle;
    float m_stateAngle;
    float m_scale;
    std::vector<std::string> m_textures;
    int m_textureIndex;
    D3DXMATRIX m_orientation;
};
