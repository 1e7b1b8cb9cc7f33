#pragma once

#include "Render/PBaseCamera.h"
#include "Render/PDrawable.h"
#include "Render/PMaterial.h"
#include "Render/PSkyMaker.h"
#include "Render/PIVertexBuffer.h"
#include "core/PObject.h"

#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CPGameObject;
class CPPhysicData;
class CPRenderQueue;

// One point of the screen grid over which the host draws the blurred frame:
// a pre-transformed, textured vertex whose x and y are its screen position.
struct ScreenGridVertex {
    float x;
    float y;
    float z;
    float rhw;
    float u;
    float v;
};

// A pre-transformed, coloured, textured vertex of the loading screen.
struct LoadingScreenVertex {
    float x;
    float y;
    float z;
    float rhw;
    D3DCOLOR colour;
    float u;
    float v;
};

const DWORD kLoadingScreenFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(kLoadingScreenFVF == 0x144, "loading-screen vertex format");
static_assert(sizeof(LoadingScreenVertex) == 28, "loading-screen vertex is 28 bytes");

// A mesh that several objects share by name, uploaded once into managed,
// write-only buffers. The system-memory copies serve later copies of the
// mesh. A buffer that could not be made (or that would be empty) is null.
struct StaticMeshBuffers {
    StaticMeshBuffers();

    IDirect3DVertexBuffer9* vertexBuffer;
    IDirect3DIndexBuffer9* indexBuffer;
    int vertexCount;
    int triangleCount;
    std::vector<Vertex48> vertices;
    std::vector<uint16_t> indices;
};

// One entry of the render list: a view, a matrix, or both, under a key.
// Copying an entry adds a reference to its view.
struct RenderListEntry {
    RenderListEntry();

    // How many times something was stored into the entry.
    int useCount;
    int key;
    RefPtr<CPBaseCamera> view;
    bool hasMatrix;
    D3DXMATRIX matrix;
};

// The engine's one renderer. It holds the Direct3D 9 device that the host
// created and the state shared by all drawing: the default device states,
// the render list of views and matrices, the frame's lights, ambient light
// and fog colour, the fade, the debug lines, the sky, the shared static
// meshes, the screen grid that the host blurs the frame over and the
// loading screen. The host draws the frame from these; the engine fills them.
class CPRender {
public:
    static const int kMaxLights = 30;

    CPRender();
    ~CPRender();
    CPRender(const CPRender&) = delete;
    CPRender& operator=(const CPRender&) = delete;

    IDirect3DDevice9* GetDevice() const { return m_device; }
    // The host hands in the device it created and keeps owning it.
    void SetDevice(IDirect3DDevice9* device) { m_device = device; }

    // Puts the device into the engine's default state after a level load and
    // stores a new screen camera (an orthographic projection of the screen
    // in pixels) under the screen camera's key.
    void SetDefaultStates();
    // Sampler filtering of stages 0 and 1: anisotropic on stage 0 while the
    // anisotropy factor is above 0, linear otherwise.
    void SetSamplerStates();
    void SetAnisotropyFactor(float factor) { m_anisotropyFactor = factor; }
    // The device's largest anisotropy degree; the host sets it.
    void SetMaxAnisotropy(int maxAnisotropy) { m_maxAnisotropy = maxAnisotropy; }

    // The render list, in ascending key order. Both stores create the entry
    // on first use of the key and count the store.
    void AddToRenderList(int key, CPBaseCamera* view);
    void SetRenderListMatrix(const D3DXMATRIX& matrix, int key);
    // Lets go of the view in every entry that holds it, before the view is
    // destroyed; an entry left holding nothing leaves the list.
    void RemoveFromRenderList(const CPBaseCamera* view);
    const std::map<int, RenderListEntry>& GetRenderList() const { return m_renderList; }

    // The buffers of a mesh shared by its name, whatever its letter case:
    // made from the given data on the first request, the stored record on
    // every later one. Negative counts count as 0.
    StaticMeshBuffers* GetStaticMeshBuffers(const std::string& name, const Vertex48* vertices,
                                            const uint16_t* indices, int vertexCount,
                                            int indexCount);
    // Releases every shared mesh; called when the level is torn down.
    void ClearResources();

    // The sky's ambient light, also set on the device.
    void SetAmbient(D3DCOLOR packed, float red, float green, float blue);
    D3DCOLOR GetAmbient() const { return m_ambient; }
    const D3DXCOLOR& GetAmbientColour() const { return m_ambientColour; }
    // Applied by the default states; the sky writes it.
    void SetFogColour(D3DCOLOR colour) { m_fogColour = colour; }
    D3DCOLOR GetFogColour() const { return m_fogColour; }

    // Replaces the sky with one from "skyscape<number>.txt".
    void SetSky(int number);
    void SetSkyMaker(IPSkyMaker* maker) { m_skyMaker = maker; }
    CPDynamicSky* GetSky() const { return m_sky; }

    // The screen position in pixels (y down, z 0) of a world point under
    // the view-projection matrix; nothing is clipped. A point on the eye
    // plane lands far off the screen on its own side.
    D3DXVECTOR3* WorldToScreen(D3DXVECTOR3* out, const D3DXVECTOR3& point) const;
    // The current camera's view-projection; the host sets it.
    void SetViewProjection(const D3DXMATRIX& matrix) { m_viewProjection = matrix; }

    // Collects a light for the frame; a light beyond the 30th is dropped.
    void AddLight(const D3DLIGHT9& light);
    int GetLightCount() const { return m_lightCount; }
    const D3DLIGHT9& GetLight(int index) const { return m_lights[index]; }
    // Sets and enables the collected lights on the device, disables the rest
    // of the 30 and empties the table.
    void ApplyLights();
    // Empties the table without touching the device, for a frame that is
    // not drawn.
    void ClearLights() { m_lightCount = 0; }
    // The last directional light that ApplyLights set.
    const D3DLIGHT9& GetDirectionalLight() const { return m_directionalLight; }

    // The fade: the factor, clamped to [0, 1] (anything not at least 0 is
    // 0), times the maximum. 1 is full brightness; the host applies it.
    void SetFade(float factor);
    float GetFade() const { return m_fade; }
    void SetMaxFade(int maxFade) { m_maxFade = maxFade; }
    int GetMaxFade() const { return m_maxFade; }

    // Queues a coloured line for the host, which draws the list as a line
    // list and empties it.
    void AddLine(D3DCOLOR colour, const D3DXVECTOR3& from, const D3DXVECTOR3& to);
    bool HasLines() const { return m_hasLines; }
    std::vector<Vertex48>& GetLines() { return m_lines; }
    void ClearLines();

    // Draws and presents one loading frame: the background and a progress
    // bar, progress in percent.
    void DrawLoadingScreen(int progress);
    IDirect3DTexture9* GetLoadingBackground() const { return m_loadingBackground; }
    IDirect3DTexture9* GetLoadingBar() const { return m_loadingBar; }

    // Motion blur: an amount of 0 turns it off.
    void SetMotionBlur(float amount);
    bool IsMotionBlurOn() const { return m_motionBlurOn != 0; }
    float GetMotionBlurAmount() const { return m_motionBlurAmount; }
    // The blend value of the motion blur, 255 normally.
    void SetBlurBlend(uint8_t blend) { m_blurBlend = blend; }
    uint8_t GetBlurBlend() const { return m_blurBlend; }
    void SetRadialBlur(float amount) { m_radialBlur = amount; }
    float GetRadialBlur() const { return m_radialBlur; }
    void SetLightCoeff(float coeff) { m_lightCoeff = coeff; }
    float GetLightCoeff() const { return m_lightCoeff; }

    // Which of the 19 car tuning parameters the tuning keys change.
    void SetTuningIndex(int index) { m_tuningIndex = index; }
    int GetTuningIndex() const { return m_tuningIndex; }

    // Objects the scene walk submitted since the game rules last reset it.
    void AddObjectCount(int count) { m_objectCount += count; }
    int GetObjectCount() const { return m_objectCount; }
    void ResetObjectCount() { m_objectCount = 0; }

    // The material that objects' shadows are drawn with; none until the
    // host sets one.
    void SetShadowMaterial(CPMaterial* material) { m_shadowMaterial = material; }
    RefPtr<CPMaterial> GetShadowMaterial() const { return m_shadowMaterial; }

    // The frame's render queue, which the host makes with its shared
    // buffer and keeps owning; null until it is set.
    void SetRenderQueue(CPRenderQueue* queue) { m_renderQueue = queue; }
    RefPtr<CPRenderQueue> GetRenderQueue() const;
    // The static-geometry batch is the render queue's shared buffer: the
    // level locks it whole, has its shared meshes written into it and
    // unlocks it. It is handed out empty. Null without a queue.
    RefPtr<CPIVertexBuffer> GetStaticBatch() const;

    // Rebuilds the decal mesh under the object: the object's footprint,
    // taken from its box under the world matrix, projected onto the
    // candidate road triangles that the physics data holds.
    void AddQuadAtPoint(RefPtr<CPGameObject> object, const D3DXMATRIX& world,
                        RefPtr<CPPhysicData> candidates);

    // Sizes the grid's points and directions together for the given cell
    // counts, so the counts and the arrays always agree. Negative counts
    // count as 0.
    void SetScreenGrid(int columns, int rows);
    int GetGridColumns() const { return m_gridColumns; }
    int GetGridRows() const { return m_gridRows; }
    // The grid's points, row after row, for the host to place. Only their
    // values can change here: a resized array would no longer match the
    // directions written beside it.
    ScreenGridVertex* GetGridVertices() { return m_gridVertices.data(); }
    size_t GetGridVertexCount() const { return m_gridVertices.size(); }
    const std::vector<D3DXVECTOR2>& GetGridDirections() const { return m_gridDirections; }

    // Points every grid direction away from the blur centre, which sits in
    // the middle of the screen's width and at (offset + 1) half heights
    // down. Does nothing while the "blur" setting is off.
    void UpdateBlurDirections(float offset);

private:
    void SetDefaultMaterial();
    void SetDefaultFog();
    void StoreScreenCamera();
    void CreateMeshBuffers(StaticMeshBuffers& mesh);
    void FillMeshBuffers(StaticMeshBuffers& mesh);
    void DestroySky();
    void LoadLoadingTextures();
    void SetLoadingScreenStates();
    void DrawLoadingQuad(IDirect3DTexture9* texture, const LoadingScreenVertex* vertices);

    std::unordered_map<std::string, std::unique_ptr<StaticMeshBuffers>> m_staticMeshes;
    int m_motionBlurOn;
    float m_motionBlurAmount;
    float m_lightCoeff;
    uint8_t m_blurBlend;
    int m_objectCount;
    bool m_hasLines;
    std::vector<Vertex48> m_lines;
    D3DLIGHT9 m_lights[kMaxLights];
    int m_lightCount;
    IDirect3DDevice9* m_device;
    std::map<int, RenderListEntry> m_renderList;
    float m_fade;
    int m_maxFade;
    D3DCOLOR m_ambient;
    D3DXCOLOR m_ambientColour;
    std::vector<ScreenGridVertex> m_gridVertices;
    std::vector<D3DXVECTOR2> m_gridDirections;
    int m_gridColumns;
    int m_gridRows;
    float m_radialBlur;
    int m_maxAnisotropy;
    float m_anisotropyFactor;
    CPDynamicSky* m_sky;
    IPSkyMaker* m_skyMaker;
    D3DXMATRIX m_viewProjection;
    D3DLIGHT9 m_directionalLight;
    IDirect3DTexture9* m_loadingBackground;
    IDirect3DTexture9* m_loadingBar;
    D3DCOLOR m_fogColour;
    int m_tuningIndex;
    // The renderer makes the screen camera, so it destroys it; the render
    // list only holds references.
    std::unique_ptr<CPBaseCamera> m_screenCamera;
    CPRenderQueue* m_renderQueue;
    RefPtr<CPMaterial> m_shadowMaterial;
};

// The renderer that the host created and published.
extern CPRender* g_pRender;
CPRender* GetRender();
