#include "DynamicSky/VertexObject.h"

#include "Render/EffectFactory.h"
#include "Render/PRender.h"
#include "core/PDXErrorLog.h"
#include "core/PDataFile.h"

#include <d3dx9tex.h>

#include <algorithm>
#include <cstring>

CPVertexDrawer g_VertexDrawer;

namespace {

const char* const kSourceFile = "DynamicSky/VertexObject";
// The report lines by which a failed texture, effect and second effect are
// told apart in the error report.
const int kTextureErrorLine = 50;
const int kEffectErrorLine = 114;
const int kSecondEffectErrorLine = 149;

const DWORD kMipFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
const UINT kVertexBufferBytes = CPVertexObject::kMaxVertices * sizeof(Vertex48);
const UINT kIndexBufferBytes = CPVertexObject::kMaxIndices * sizeof(uint16_t);
const char* const kTextureParameter = "tex0";
const UINT kTriangleCorners = 3;

template <class T>
void ReleaseAndClear(T*& resource)
{
    if (resource) resource->Release();
    resource = nullptr;
}

// The point transformed by m, divided by w, as D3DXVec3TransformCoord
// gives it, kept in line for the per-frame loops.
void TransformCoord(D3DXVECTOR3& out, const D3DXVECTOR3& point, const D3DXMATRIX& m)
{
    const float inverseW = 1.0f / (point.x * m._14 + point.y * m._24 + point.z * m._34 + m._44);
    out.x = (point.x * m._11 + point.y * m._21 + point.z * m._31 + m._41) * inverseW;
    out.y = (point.x * m._12 + point.y * m._22 + point.z * m._32 + m._42) * inverseW;
    out.z = (point.x * m._13 + point.y * m._23 + point.z * m._33 + m._43) * inverseW;
}

IDirect3DDevice9* RenderDevice()
{
    CPRender* render = GetRender();
    return render ? render->GetDevice() : nullptr;
}

} // namespace

CPVertexObject::CPVertexObject()
    : m_texture(nullptr),
      m_effect(nullptr),
      m_secondEffect(nullptr),
      m_useSecondEffect(false),
      m_vertexBuffer(nullptr),
      m_indexBuffer(nullptr),
      m_colourFromTexture(false)
{
    D3DXMatrixIdentity(&m_world);
}

CPVertexObject::~CPVertexObject()
{
    ReleaseAndClear(m_texture);
    ReleaseAndClear(m_effect);
    ReleaseAndClear(m_secondEffect);
    ReleaseAndClear(m_indexBuffer);
    ReleaseAndClear(m_vertexBuffer);
}

void CPVertexObject::OnLostDevice()
{
    if (m_effect) m_effect->OnLostDevice();
    if (m_secondEffect) m_secondEffect->OnLostDevice();
}

void CPVertexObject::OnResetDevice()
{
    if (m_effect) m_effect->OnResetDevice();
    if (m_secondEffect) m_secondEffect->OnResetDevice();
}

int CPVertexObject::LoadTexture(const std::string& path)
{
    CPDataFile file(path, false);
    if (FAILED(file.Load())) return 0;
    IDirect3DTexture9* texture = nullptr;
    HRESULT result = D3DXCreateTextureFromFileInMemoryEx(
        RenderDevice(), file.GetData(), static_cast<UINT>(file.GetDataSize()), D3DX_DEFAULT,
        D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, kMipFilter, 0,
        nullptr, nullptr, &texture);
    if (ReportDXError(result, kSourceFile, kTextureErrorLine)) return result;
    ReleaseAndClear(m_texture);
    m_texture = texture;
    return result;
}

int CPVertexObject::LoadEffect(const std::string& path)
{
    return LoadEffectInto(m_effect, path, kEffectErrorLine);
}

int CPVertexObject::LoadSecondEffect(const std::string& path)
{
    return LoadEffectInto(m_secondEffect, path, kSecondEffectErrorLine);
}

int CPVertexObject::LoadEffectInto(ID3DXEffect*& effect, const std::string& path, int errorLine)
{
    ReleaseAndClear(effect);
    CPDataFile file(path, false);
    HRESULT result = file.Load();
    if (FAILED(result)) return result;
    result = GetEffectFactory().CreateEffect(
        RenderDevice(), file.GetData(), static_cast<UINT>(file.GetDataSize()), nullptr, &effect);
    if (ReportDXError(result, kSourceFile, errorLine)) {
        effect = nullptr;
        return result;
    }
    D3DXHANDLE technique = nullptr;
    effect->FindNextValidTechnique(nullptr, &technique);
    effect->SetTechnique(technique);
    return result;
}

bool CPVertexObject::CreateBuffers()
{
    if (m_vertexBuffer && m_indexBuffer) return true;
    IDirect3DDevice9* device = RenderDevice();
    if (!device) return false;
    if (!m_vertexBuffer) {
        HRESULT result =
            device->CreateVertexBuffer(kVertexBufferBytes, D3DUSAGE_WRITEONLY, kVertex48FVF,
                                       D3DPOOL_MANAGED, &m_vertexBuffer, nullptr);
        if (ReportDXError(result, kSourceFile, __LINE__)) m_vertexBuffer = nullptr;
    }
    if (!m_indexBuffer) {
        HRESULT result =
            device->CreateIndexBuffer(kIndexBufferBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                      D3DPOOL_MANAGED, &m_indexBuffer, nullptr);
        if (ReportDXError(result, kSourceFile, __LINE__)) m_indexBuffer = nullptr;
    }
    return m_vertexBuffer && m_indexBuffer;
}

int CPVertexObject::SetGeometry(const std::vector<Vertex48>& vertices,
                                const std::vector<uint16_t>& indices, bool keepWorking)
{
    if (vertices.size() > kMaxVertices || indices.size() > kMaxIndices) return E_FAIL;
    if (!CreateBuffers()) return E_FAIL;
    m_sourceVertices = vertices;
    if (!keepWorking) m_workingVertices = vertices;
    m_indices = indices;
    return Upload();
}

// The working list may be shorter than the source list when the owner kept
// an older one; the source fills in the vertices it lacks.
HRESULT CPVertexObject::Upload()
{
    const UINT vertexBytes = static_cast<UINT>(m_sourceVertices.size() * sizeof(Vertex48));
    const UINT indexBytes = static_cast<UINT>(m_indices.size() * sizeof(uint16_t));
    void* vertexMemory = nullptr;
    void* indexMemory = nullptr;
    HRESULT result = m_vertexBuffer->Lock(0, vertexBytes, &vertexMemory, 0);
    if (ReportDXError(result, kSourceFile, __LINE__)) return result;
    result = m_indexBuffer->Lock(0, indexBytes, &indexMemory, 0);
    if (ReportDXError(result, kSourceFile, __LINE__)) {
        m_vertexBuffer->Unlock();
        return result;
    }
    const size_t working = std::min(m_workingVertices.size(), m_sourceVertices.size());
    Vertex48* destination = static_cast<Vertex48*>(vertexMemory);
    if (working) std::memcpy(destination, m_workingVertices.data(), working * sizeof(Vertex48));
    std::copy(m_sourceVertices.begin() + working, m_sourceVertices.end(), destination + working);
    if (indexBytes) std::memcpy(indexMemory, m_indices.data(), indexBytes);
    m_indexBuffer->Unlock();
    m_vertexBuffer->Unlock();
    return D3D_OK;
}

int CPVertexObject::TransformVertices(const D3DXMATRIX& m)
{
    const size_t count = std::min(m_workingVertices.size(), m_sourceVertices.size());
    for (size_t index = 0; index < count; ++index) {
        TransformCoord(m_workingVertices[index].position, m_sourceVertices[index].position, m);
    }
    return 0;
}

int CPVertexObject::Draw(float)
{
    return g_VertexDrawer.Draw(*this);
}

CPVertexDrawer::CPVertexDrawer() : m_device(nullptr) {}

int CPVertexDrawer::Draw(const CPVertexObject& object)
{
    if (!m_device) return E_FAIL;
    m_device->SetFVF(kVertex48FVF);
    m_device->SetIndices(object.m_indexBuffer);
    m_device->SetStreamSource(0, object.m_vertexBuffer, 0, sizeof(Vertex48));
    // Sky vertices are placed in world space already; the device may still
    // hold the world matrix of the last part drawn.
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    m_device->SetTransform(D3DTS_WORLD, &identity);
    if (object.m_useSecondEffect) {
        if (!object.m_secondEffect) return E_FAIL;
        return DrawWithEffect(object, object.m_secondEffect);
    }
    if (!object.m_effect) return DrawWithoutEffect(object);
    return DrawWithEffect(object, object.m_effect);
}

HRESULT CPVertexDrawer::DrawPrimitives(const CPVertexObject& object)
{
    return m_device->DrawIndexedPrimitive(
        D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(object.m_workingVertices.size()), 0,
        static_cast<UINT>(object.m_indices.size() / kTriangleCorners));
}

// The fixed pipeline: the object's own texture (no other draw's), no
// lighting, blended by alpha.
HRESULT CPVertexDrawer::DrawWithoutEffect(const CPVertexObject& object)
{
    const DWORD colourOperation = object.m_colourFromTexture ? D3DTOP_SELECTARG1 : D3DTOP_MODULATE;
    m_device->SetTexture(0, object.m_texture);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, colourOperation);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    return DrawPrimitives(object);
}

HRESULT CPVertexDrawer::DrawWithEffect(const CPVertexObject& object, ID3DXEffect* effect)
{
    effect->SetTexture(kTextureParameter, object.m_texture);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    HRESULT result = E_FAIL;
    for (UINT pass = 0; pass < passes; ++pass) {
        effect->BeginPass(pass);
        result = DrawPrimitives(object);
        effect->EndPass();
    }
    effect->End();
    return result;
}
