#include "Render/PRender.h"

#include "Render/PRenderQueue.h"
#include "Render/RenderStates.h"
#include "core/PDXErrorLog.h"
#include "core/PDataFile.h"
#include "core/Settings.h"
#include "core/StringUtils.h"

#include <d3dx9tex.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

CPRender* g_pRender = nullptr;

CPRender* GetRender()
{
    return g_pRender;
}

namespace {

const char* const kSourceFile = "Render/PRender";

// The default view looks down the z axis from above the origin, with a 63
// degree field of view on a 4:3 screen.
const D3DXVECTOR3 kDefaultEye(0.0f, 0.0f, 14.5f);
const D3DXVECTOR3 kDefaultTarget(0.0f, 0.0f, 0.0f);
const D3DXVECTOR3 kDefaultUp(0.0f, 0.0f, 1.0f);
const float kDefaultFieldOfView = 1.0995574f;
const float kDefaultAspect = 1.3333334f;
const float kDefaultNearPlane = 0.1f;
const float kDefaultFarPlane = 1000.0f;

const int kScreenCameraKey = 195;

const RenderStateValue kBaseStates[] = {
    {D3DRS_SPECULARENABLE, FALSE},
    {D3DRS_LIGHTING, TRUE},
    {D3DRS_ALPHABLENDENABLE, FALSE},
    {D3DRS_ZENABLE, D3DZB_TRUE},
    {D3DRS_ZWRITEENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
};

// The ambient colour follows these; it is the renderer's own.
const RenderStateValue kDepthAndCullStates[] = {
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_DITHERENABLE, TRUE},
    {D3DRS_CLIPPING, TRUE},
    {D3DRS_CULLMODE, D3DCULL_CCW},
};

const RenderStateValue kMaterialSourceStates[] = {
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
};

const float kFogStart = 50.0f;
// The fog ends a tenth short of the draw distance.
const float kFogEndShare = 0.1f;

const float kMaterialSpecular = 0.3f;
const float kMaterialPower = 10.0f;

// One stage or sampler state: which stage, which state and its value.
struct StageState {
    DWORD stage;
    DWORD type;
    DWORD value;
    bool sampler;
};

const StageState kStage0States[] = {
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE, false},
    {0, D3DTSS_COLORARG1, D3DTA_TEXTURE, false},
    {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE, false},
    {0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP, true},
    {0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP, true},
    {0, D3DTSS_ALPHAOP, D3DTOP_DISABLE, false},
    {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE, false},
    {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE, false},
};

const StageState kLaterStageStates[] = {
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE, false},
    {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE, false},
    {1, D3DTSS_COLORARG1, D3DTA_TEXTURE, false},
    {1, D3DTSS_COLORARG2, D3DTA_CURRENT, false},
    {1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE, false},
    {1, D3DTSS_ALPHAARG2, D3DTA_CURRENT, false},
    {1, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP, true},
    {1, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP, true},
    {2, D3DTSS_COLOROP, D3DTOP_DISABLE, false},
    {2, D3DTSS_ALPHAOP, D3DTOP_DISABLE, false},
};

// Render states hold floats as their bit patterns.
DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

template <size_t count>
void SetStageStates(IDirect3DDevice9* device, const StageState (&states)[count])
{
    for (const StageState& state : states) {
        if (state.sampler) {
            device->SetSamplerState(state.stage, static_cast<D3DSAMPLERSTATETYPE>(state.type),
                                    state.value);
        } else {
            device->SetTextureStageState(
                state.stage, static_cast<D3DTEXTURESTAGESTATETYPE>(state.type), state.value);
        }
    }
}

void SetSamplerFilters(IDirect3DDevice9* device, DWORD sampler, DWORD filter, DWORD mipFilter)
{
    device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, filter);
    device->SetSamplerState(sampler, D3DSAMP_MINFILTER, filter);
    device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, mipFilter);
}

// Loading-screen files and where their failed creation is reported.
const char* const kLoadingBackgroundFile = "data\\textures\\back2.jpg";
const char* const kLoadingBarFile = "data\\textures\\load.tga";
const int kLoadingBackgroundErrorLine = 112;
const int kLoadingBarErrorLine = 137;
// Triangle filtering with dithering for the mip levels.
const DWORD kLoadingMipFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;

const D3DCOLOR kLoadingClearColour = 0xFF000000;
const D3DCOLOR kLoadingBarColour = 0xFFFFFFFF;
// The background shows the top three quarters of its texture.
const float kLoadingBackgroundV = 0.75f;
// The bar lies on a fixed 1024 x 768 layout, rows 758 to 768, whatever the
// screen size; a full bar is 1024 pixels wide.
const float kLoadingBarPixelsPerPercent = 10.24f;
const float kLoadingBarTop = 758.0f;
const float kLoadingBarBottom = 768.0f;
// A point on the eye plane has no projection; it is placed this many
// half screens from the centre, in the direction it lies in.
const float kEyePlaneDistance = 1000.0f;

const int kQuadVertexCount = 4;
const UINT kQuadTriangles = 2;

// The clip-space x and y divided by w. A point on the eye plane (w = 0)
// gets finite ratios far off the screen instead of infinities or NaNs.
D3DXVECTOR2 ProjectedRatios(const D3DXVECTOR4& clip)
{
    if (clip.w != 0.0f) return D3DXVECTOR2(clip.x / clip.w, clip.y / clip.w);
    float largest = std::max(std::fabs(clip.x), std::fabs(clip.y));
    if (largest == 0.0f) return D3DXVECTOR2(kEyePlaneDistance, kEyePlaneDistance);
    float scale = kEyePlaneDistance / largest;
    return D3DXVECTOR2(clip.x * scale, clip.y * scale);
}

// Loads a texture from a plain data file. A file that cannot be read
// leaves the texture missing silently; one that cannot be decoded is
// reported as a failed call at the given line.
IDirect3DTexture9* LoadLoadingTexture(IDirect3DDevice9* device, const char* path, int errorLine)
{
    CPDataFile file(path, false);
    if (FAILED(file.Load())) return nullptr;
    IDirect3DTexture9* texture = nullptr;
    HRESULT result = D3DXCreateTextureFromFileInMemoryEx(
        device, file.GetData(), static_cast<UINT>(file.GetDataSize()), D3DX_DEFAULT, D3DX_DEFAULT,
        D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, kLoadingMipFilter, 0,
        nullptr, nullptr, &texture);
    if (ReportDXError(result, kSourceFile, errorLine)) return nullptr;
    return texture;
}

template <class T>
void ReleaseAndClear(T*& resource)
{
    if (resource) resource->Release();
    resource = nullptr;
}

} // namespace

StaticMeshBuffers::StaticMeshBuffers()
    : vertexBuffer(nullptr), indexBuffer(nullptr), vertexCount(0), triangleCount(0)
{
}

RenderListEntry::RenderListEntry() : useCount(0), key(0), hasMatrix(false)
{
    D3DXMatrixIdentity(&matrix);
}

CPRender::CPRender()
    : m_motionBlurOn(0),
      m_motionBlurAmount(0.0f),
      m_lightCoeff(0.0f),
      m_blurBlend(255),
      m_objectCount(0),
      m_hasLines(false),
      m_lights(),
      m_lightCount(0),
      m_device(nullptr),
      m_fade(0.0f),
      m_maxFade(0),
      m_ambient(0),
      m_ambientColour(0.0f, 0.0f, 0.0f, 1.0f),
      m_gridColumns(0),
      m_gridRows(0),
      m_radialBlur(0.0f),
      m_maxAnisotropy(0),
      m_anisotropyFactor(0.0f),
      m_sky(nullptr),
      m_skyMaker(nullptr),
      m_directionalLight(),
      m_loadingBackground(nullptr),
      m_loadingBar(nullptr),
      m_fogColour(0),
      m_tuningIndex(0),
      m_renderQueue(nullptr)
{
    D3DXMatrixIdentity(&m_viewProjection);
}

CPRender::~CPRender()
{
    // The entries let go of the screen camera before it is destroyed.
    m_renderList.clear();
    ClearResources();
    DestroySky();
    ReleaseAndClear(m_loadingBackground);
    ReleaseAndClear(m_loadingBar);
}

void CPRender::SetDefaultStates()
{
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DXMatrixLookAtLH(&view, &kDefaultEye, &kDefaultTarget, &kDefaultUp);
    m_device->SetTransform(D3DTS_VIEW, &view);
    D3DXMatrixPerspectiveFovLH(&projection, kDefaultFieldOfView, kDefaultAspect,
                               kDefaultNearPlane, kDefaultFarPlane);
    m_device->SetTransform(D3DTS_PROJECTION, &projection);

    SetRenderStates(m_device, kBaseStates);
    SetSamplerStates();
    SetStageStates(m_device, kStage0States);
    SetRenderStates(m_device, kDepthAndCullStates);
    m_device->SetRenderState(D3DRS_AMBIENT, m_ambient);
    m_device->SetFVF(kVertex48FVF);
    SetStageStates(m_device, kLaterStageStates);
    SetDefaultMaterial();
    SetDefaultFog();
    StoreScreenCamera();
}

void CPRender::SetDefaultMaterial()
{
    D3DMATERIAL9 material = {};
    material.Diffuse = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
    material.Ambient = D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f);
    material.Specular = D3DXCOLOR(kMaterialSpecular, kMaterialSpecular, kMaterialSpecular, 1.0f);
    material.Emissive = D3DXCOLOR(0.0f, 0.0f, 0.0f, 0.0f);
    material.Power = kMaterialPower;
    m_device->SetMaterial(&material);
    SetRenderStates(m_device, kMaterialSourceStates);
}

// Linear fog set up but left off; it ends a tenth short of the draw distance.
void CPRender::SetDefaultFog()
{
    float distance = static_cast<float>(g_distance);
    float fogEnd = distance - distance * kFogEndShare;
    m_device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    m_device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    m_device->SetRenderState(D3DRS_FOGDENSITY, FloatBits(0.0f));
    m_device->SetRenderState(D3DRS_FOGSTART, FloatBits(kFogStart));
    m_device->SetRenderState(D3DRS_FOGEND, FloatBits(fogEnd));
    m_device->SetRenderState(D3DRS_FOGCOLOR, m_fogColour);
}

// Each level load makes a new screen camera; the old one leaves the render
// list before it is destroyed.
void CPRender::StoreScreenCamera()
{
    std::unique_ptr<CPBaseCamera> camera(new CPBaseCamera());
    D3DXMATRIX projection;
    D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, static_cast<float>(g_screenWidth),
                               static_cast<float>(g_screenHeight), 0.0f, 0.0f, 1.0f);
    camera->SetViewMatrix(projection);
    AddToRenderList(kScreenCameraKey, camera.get());
    m_screenCamera = std::move(camera);
}

void CPRender::SetSamplerStates()
{
    if (m_anisotropyFactor > 0.0f) {
        float largest = static_cast<float>(m_maxAnisotropy);
        DWORD maxAnisotropy =
            static_cast<DWORD>(std::min(largest, std::ceil(largest * m_anisotropyFactor)));
        SetSamplerFilters(m_device, 0, D3DTEXF_ANISOTROPIC, D3DTEXF_LINEAR);
        m_device->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, maxAnisotropy);
    } else {
        SetSamplerFilters(m_device, 0, D3DTEXF_LINEAR, D3DTEXF_LINEAR);
    }
    SetSamplerFilters(m_device, 1, D3DTEXF_LINEAR, D3DTEXF_LINEAR);
}

void CPRender::AddToRenderList(int key, CPBaseCamera* view)
{
    RenderListEntry& entry = m_renderList[key];
    ++entry.useCount;
    entry.key = key;
    entry.view = view;
}

void CPRender::SetRenderListMatrix(const D3DXMATRIX& matrix, int key)
{
    RenderListEntry& entry = m_renderList[key];
    ++entry.useCount;
    entry.key = key;
    entry.hasMatrix = true;
    entry.matrix = matrix;
}

void CPRender::RemoveFromRenderList(const CPBaseCamera* view)
{
    for (auto entry = m_renderList.begin(); entry != m_renderList.end();) {
        bool held = view && entry->second.view.Get() == view;
        if (held) entry->second.view = nullptr;
        if (held && !entry->second.hasMatrix) {
            entry = m_renderList.erase(entry);
        } else {
            ++entry;
        }
    }
}

StaticMeshBuffers* CPRender::GetStaticMeshBuffers(const std::string& name,
                                                  const Vertex48* vertices,
                                                  const uint16_t* indices, int vertexCount,
                                                  int indexCount)
{
    std::string key = name;
    StringToLower(key);
    auto found = m_staticMeshes.find(key);
    if (found != m_staticMeshes.end()) return found->second.get();

    std::unique_ptr<StaticMeshBuffers> mesh(new StaticMeshBuffers());
    if (vertexCount > 0) mesh->vertices.assign(vertices, vertices + vertexCount);
    if (indexCount > 0) mesh->indices.assign(indices, indices + indexCount);
    mesh->vertexCount = static_cast<int>(mesh->vertices.size());
    mesh->triangleCount = static_cast<int>(mesh->indices.size()) / 3;
    CreateMeshBuffers(*mesh);
    FillMeshBuffers(*mesh);
    StaticMeshBuffers* answer = mesh.get();
    m_staticMeshes[key] = std::move(mesh);
    return answer;
}

// Empty buffers are not made; a failed creation is reported and leaves its
// buffer null.
void CPRender::CreateMeshBuffers(StaticMeshBuffers& mesh)
{
    if (!mesh.vertices.empty()) {
        HRESULT result = m_device->CreateVertexBuffer(
            static_cast<UINT>(mesh.vertices.size() * sizeof(Vertex48)), D3DUSAGE_WRITEONLY,
            kVertex48FVF, D3DPOOL_MANAGED, &mesh.vertexBuffer, nullptr);
        if (ReportDXError(result, kSourceFile, __LINE__)) mesh.vertexBuffer = nullptr;
    }
    if (!mesh.indices.empty()) {
        HRESULT result = m_device->CreateIndexBuffer(
            static_cast<UINT>(mesh.indices.size() * sizeof(uint16_t)), D3DUSAGE_WRITEONLY,
            D3DFMT_INDEX16, D3DPOOL_MANAGED, &mesh.indexBuffer, nullptr);
        if (ReportDXError(result, kSourceFile, __LINE__)) mesh.indexBuffer = nullptr;
    }
}

// Locks the index buffer, then the vertex buffer, and unlocks them in the
// reverse order; a buffer that is missing or will not lock is skipped.
void CPRender::FillMeshBuffers(StaticMeshBuffers& mesh)
{
    void* indexMemory = nullptr;
    void* vertexMemory = nullptr;
    if (mesh.indexBuffer && FAILED(mesh.indexBuffer->Lock(0, 0, &indexMemory, 0))) {
        indexMemory = nullptr;
    }
    if (mesh.vertexBuffer && FAILED(mesh.vertexBuffer->Lock(0, 0, &vertexMemory, 0))) {
        vertexMemory = nullptr;
    }
    if (vertexMemory) {
        std::memcpy(vertexMemory, mesh.vertices.data(), mesh.vertices.size() * sizeof(Vertex48));
        mesh.vertexBuffer->Unlock();
    }
    if (indexMemory) {
        std::memcpy(indexMemory, mesh.indices.data(), mesh.indices.size() * sizeof(uint16_t));
        mesh.indexBuffer->Unlock();
    }
}

void CPRender::ClearResources()
{
    for (auto& named : m_staticMeshes) {
        ReleaseAndClear(named.second->vertexBuffer);
        ReleaseAndClear(named.second->indexBuffer);
    }
    m_staticMeshes.clear();
}

void CPRender::SetAmbient(D3DCOLOR packed, float red, float green, float blue)
{
    m_ambient = packed;
    m_ambientColour = D3DXCOLOR(red, green, blue, 1.0f);
    m_device->SetRenderState(D3DRS_AMBIENT, packed);
}

void CPRender::SetSky(int number)
{
    DestroySky();
    if (!m_skyMaker) return;
    char fileName[32];
    std::snprintf(fileName, sizeof(fileName), "skyscape%d.txt", number);
    m_sky = m_skyMaker->MakeSky(fileName);
}

void CPRender::DestroySky()
{
    if (m_sky && m_skyMaker) m_skyMaker->DestroySky(m_sky);
    m_sky = nullptr;
}

D3DXVECTOR3* CPRender::WorldToScreen(D3DXVECTOR3* out, const D3DXVECTOR3& point) const
{
    D3DXVECTOR4 clip;
    D3DXVec3Transform(&clip, &point, &m_viewProjection);
    D3DXVECTOR2 ratios = ProjectedRatios(clip);
    float width = static_cast<float>(g_screenWidth);
    float height = static_cast<float>(g_screenHeight);
    out->x = (ratios.x + 1.0f) * width * 0.5f;
    out->y = height * 0.5f - height * ratios.y * 0.5f;
    out->z = 0.0f;
    return out;
}

void CPRender::AddLight(const D3DLIGHT9& light)
{
    if (m_lightCount >= kMaxLights) return;
    m_lights[m_lightCount] = light;
    ++m_lightCount;
}

void CPRender::ApplyLights()
{
    for (int index = 0; index < m_lightCount; ++index) {
        m_device->SetLight(index, &m_lights[index]);
        if (m_lights[index].Type == D3DLIGHT_DIRECTIONAL) m_directionalLight = m_lights[index];
        m_device->LightEnable(index, TRUE);
    }
    for (int index = m_lightCount; index < kMaxLights; ++index) m_device->LightEnable(index, FALSE);
    m_lightCount = 0;
}

void CPRender::SetFade(float factor)
{
    if (!(factor >= 0.0f)) factor = 0.0f;
    if (factor > 1.0f) factor = 1.0f;
    float maximum = static_cast<float>(m_maxFade);
    m_fade = std::max(std::min(maximum * factor, maximum), 0.0f);
}

void CPRender::AddLine(D3DCOLOR colour, const D3DXVECTOR3& from, const D3DXVECTOR3& to)
{
    m_hasLines = true;
    Vertex48 vertex;
    vertex.normal = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    vertex.diffuse = colour;
    vertex.specular = 0;
    vertex.tex0 = D3DXVECTOR2(0.0f, 0.0f);
    vertex.tex1 = D3DXVECTOR2(0.0f, 0.0f);
    vertex.position = from;
    m_lines.push_back(vertex);
    vertex.position = to;
    m_lines.push_back(vertex);
}

void CPRender::ClearLines()
{
    m_lines.clear();
    m_hasLines = false;
}

void CPRender::SetMotionBlur(float amount)
{
    m_motionBlurOn = amount != 0.0f ? 1 : 0;
    m_motionBlurAmount = amount != 0.0f ? amount : 0.0f;
}

void CPRender::DrawLoadingScreen(int progress)
{
    LoadLoadingTextures();
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kLoadingClearColour, 1.0f, 0);
    m_device->BeginScene();
    SetLoadingScreenStates();

    float width = static_cast<float>(g_screenWidth);
    float height = static_cast<float>(g_screenHeight);
    // Pixel centres sit half a pixel in, so the quad's edges move out by half.
    const LoadingScreenVertex background[kQuadVertexCount] = {
        {width - 0.5f, -0.5f, 1.0f, 1.0f, 0, 1.0f, 0.0f},
        {width - 0.5f, height - 0.5f, 1.0f, 1.0f, 0, 1.0f, kLoadingBackgroundV},
        {-0.5f, -0.5f, 1.0f, 1.0f, 0, 0.0f, 0.0f},
        {-0.5f, height - 0.5f, 1.0f, 1.0f, 0, 0.0f, kLoadingBackgroundV},
    };
    DrawLoadingQuad(m_loadingBackground, background);

    // The bar texture repeats along the bar, once per percent.
    float percent = static_cast<float>(progress);
    float right = percent * kLoadingBarPixelsPerPercent;
    const LoadingScreenVertex bar[kQuadVertexCount] = {
        {right, kLoadingBarTop, 1.0f, 1.0f, kLoadingBarColour, percent, 0.0f},
        {right, kLoadingBarBottom, 1.0f, 1.0f, kLoadingBarColour, percent, 1.0f},
        {0.0f, kLoadingBarTop, 1.0f, 1.0f, kLoadingBarColour, 0.0f, 0.0f},
        {0.0f, kLoadingBarBottom, 1.0f, 1.0f, kLoadingBarColour, 0.0f, 1.0f},
    };
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    DrawLoadingQuad(m_loadingBar, bar);

    m_device->EndScene();
    m_device->Present(nullptr, nullptr, nullptr, nullptr);
}

// A texture that failed to load is tried again on the next loading frame.
void CPRender::LoadLoadingTextures()
{
    if (!m_loadingBackground) {
        m_loadingBackground =
            LoadLoadingTexture(m_device, kLoadingBackgroundFile, kLoadingBackgroundErrorLine);
    }
    if (!m_loadingBar) {
        m_loadingBar = LoadLoadingTexture(m_device, kLoadingBarFile, kLoadingBarErrorLine);
    }
}

void CPRender::SetLoadingScreenStates()
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    m_device->SetTransform(D3DTS_WORLD, &identity);
    m_device->SetTransform(D3DTS_PROJECTION, &identity);
    m_device->SetTransform(D3DTS_VIEW, &identity);

    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    m_device->SetFVF(kLoadingScreenFVF);
}

void CPRender::DrawLoadingQuad(IDirect3DTexture9* texture, const LoadingScreenVertex* vertices)
{
    m_device->SetTexture(0, texture);
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, kQuadTriangles, vertices,
                              sizeof(LoadingScreenVertex));
}

void CPRender::SetScreenGrid(int columns, int rows)
{
    m_gridColumns = std::max(columns, 0);
    m_gridRows = std::max(rows, 0);
    size_t count = static_cast<size_t>(m_gridColumns + 1) * static_cast<size_t>(m_gridRows + 1);
    m_gridVertices.assign(count, ScreenGridVertex());
    m_gridDirections.assign(count, D3DXVECTOR2(0.0f, 0.0f));
}

// A point that lies exactly on the centre has no direction; it keeps a zero
// vector instead of the NaNs that dividing by its zero length would give.
static D3DXVECTOR2 DirectionFrom(const D3DXVECTOR2& centre, const ScreenGridVertex& point)
{
    D3DXVECTOR2 offset(point.x - centre.x, point.y - centre.y);
    if (offset.x == 0.0f && offset.y == 0.0f) return offset;
    D3DXVECTOR2 direction;
    D3DXVec2Normalize(&direction, &offset);
    return direction;
}

void CPRender::UpdateBlurDirections(float offset)
{
    if (g_blur == 0) return;
    D3DXVECTOR2 centre(static_cast<float>(g_screenWidth) * 0.5f,
                       (offset + 1.0f) * static_cast<float>(g_screenHeight) * 0.5f);
    for (size_t index = 0; index < m_gridVertices.size(); ++index) {
        m_gridDirections[index] = DirectionFrom(centre, m_gridVertices[index]);
    }
}

RefPtr<CPRenderQueue> CPRender::GetRenderQueue() const
{
    return m_renderQueue;
}

// The buffer last held the frame's final block: its drawables and base
// vertex are forgotten, so the batch starts at vertex 0 and takes parts
// that the frame drew.
RefPtr<CPIVertexBuffer> CPRender::GetStaticBatch() const
{
    CPIVertexBuffer* batch = m_renderQueue ? m_renderQueue->GetSharedBuffer() : nullptr;
    if (batch) batch->ClearDrawables();
    return batch;
}
