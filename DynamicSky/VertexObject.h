#pragma once

#include "Render/PDeviceListener.h"
#include "Render/PDrawable.h"

#include <d3d9.h>
#include <d3dx9effect.h>
#include <d3dx9math.h>

#include <cstdint>
#include <string>
#include <vector>

// A drawable of the sky: a list of 48-byte vertices and 16-bit indices kept
// in one managed vertex buffer and one index buffer of fixed size, a texture
// and two effects read from data files. The source list is what the owner
// handed in; the working list is what is uploaded and drawn, so an owner
// can transform a copy every frame without losing the original.
class CPVertexObject : public IPDeviceListener {
public:
    static const size_t kMaxVertices = 20000;
    static const size_t kMaxIndices = 60000;

    CPVertexObject();
    ~CPVertexObject() override;

    void OnLostDevice() override;
    void OnResetDevice() override;

    // A file that cannot be read answers 0 and changes nothing; otherwise
    // the creation's result, the new texture replacing the old one.
    int LoadTexture(const std::string& path);
    // Both release the held effect first; a file that cannot be read
    // answers the read's failure, otherwise the compile's result.
    int LoadEffect(const std::string& path);
    int LoadSecondEffect(const std::string& path);

    // Stores the lists and uploads them: the working vertices (the given
    // ones unless keepWorking) for as many vertices as the source holds.
    // Geometry beyond the buffers, or buffers that cannot be made, fail and
    // keep the previous lists.
    int SetGeometry(const std::vector<Vertex48>& vertices, const std::vector<uint16_t>& indices,
                    bool keepWorking);
    // The working positions become the source positions transformed by m
    // as points; nothing else of the vertices changes.
    int TransformVertices(const D3DXMATRIX& m);
    // Draws through the global vertex drawer; the argument is not used.
    int Draw(float step);

    void SetUseSecondEffect(bool use) { m_useSecondEffect = use; }

    const std::vector<Vertex48>& GetWorkingVertices() const { return m_workingVertices; }
    const std::vector<Vertex48>& GetSourceVertices() const { return m_sourceVertices; }
    const std::vector<uint16_t>& GetIndices() const { return m_indices; }
    IDirect3DTexture9* GetTexture() const { return m_texture; }
    ID3DXEffect* GetEffect() const { return m_effect; }
    ID3DXEffect* GetSecondEffect() const { return m_secondEffect; }

protected:
    friend class CPVertexDrawer;

    std::vector<Vertex48> m_workingVertices;
    std::vector<Vertex48> m_sourceVertices;
    std::vector<uint16_t> m_indices;
    D3DXMATRIX m_world;
    IDirect3DTexture9* m_texture;
    ID3DXEffect* m_effect;
    ID3DXEffect* m_secondEffect;
    bool m_useSecondEffect;
    IDirect3DVertexBuffer9* m_vertexBuffer;
    IDirect3DIndexBuffer9* m_indexBuffer;
    // Without an effect: whether the colour comes from the texture alone
    // (the vertex diffuse then only carries alpha) or from the texture
    // modulated by the vertex colour.
    bool m_colourFromTexture;

private:
    int LoadEffectInto(ID3DXEffect*& effect, const std::string& path, int errorLine);
    bool CreateBuffers();
    HRESULT Upload();
};

// Draws vertex objects on the device that the host hands in together with
// the renderer's, with the identity world matrix; without a device every
// draw fails.
class CPVertexDrawer {
public:
    CPVertexDrawer();

    IDirect3DDevice9* GetDevice() const { return m_device; }
    void SetDevice(IDirect3DDevice9* device) { m_device = device; }

    int Draw(const CPVertexObject& object);

private:
    HRESULT DrawPrimitives(const CPVertexObject& object);
    HRESULT DrawWithoutEffect(const CPVertexObject& object);
    HRESULT DrawWithEffect(const CPVertexObject& object, ID3DXEffect* effect);

    IDirect3DDevice9* m_device;
};

extern CPVertexDrawer g_VertexDrawer;
