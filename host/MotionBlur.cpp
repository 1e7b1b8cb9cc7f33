#include "host/MotionBlur.h"

#include "host/ScreenLayerStates.h"

#include "Render/PRender.h"
#include "core/Settings.h"

#include <algorithm>
#include <vector>

namespace {

const DWORD kGridFVF = D3DFVF_XYZRHW | D3DFVF_TEX1;
const int kMaxAlpha = 255;
const int kIndicesPerCell = 6;

// Two triangles per cell of a grid of (columns + 1) x (rows + 1) points.
std::vector<uint16_t> GridIndices(int columns, int rows)
{
    std::vector<uint16_t> indices;
    indices.reserve(static_cast<size_t>(columns * rows * kIndicesPerCell));
    const int stride = columns + 1;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const uint16_t topLeft = static_cast<uint16_t>(row * stride + column);
            const uint16_t bottomLeft = static_cast<uint16_t>(topLeft + stride);
            const uint16_t cell[kIndicesPerCell] = {topLeft, static_cast<uint16_t>(topLeft + 1), bottomLeft,
                                                    bottomLeft, static_cast<uint16_t>(topLeft + 1),
                                                    static_cast<uint16_t>(bottomLeft + 1)};
            indices.insert(indices.end(), cell, cell + kIndicesPerCell);
        }
    }
    return indices;
}

} // namespace

MotionBlur::MotionBlur(CPRender& render) : m_render(render), m_lastFrame(nullptr), m_hasLastFrame(false)
{
    m_render.SetScreenGrid(kGridColumns, kGridRows);
    PlaceGrid();
}

MotionBlur::~MotionBlur()
{
    ReleaseLastFrame();
}

int MotionBlur::BlendAlpha(int blurBlend, float amount)
{
    const float alpha = static_cast<float>(blurBlend) * std::min(std::max(amount, 0.0f), 1.0f);
    return std::min(static_cast<int>(alpha), kMaxAlpha);
}

// Pixel centres sit half a pixel in, so the grid moves out by half.
void MotionBlur::PlaceGrid()
{
    const int columns = m_render.GetGridColumns();
    const int rows = m_render.GetGridRows();
    ScreenGridVertex* points = m_render.GetGridVertices();
    for (int row = 0; row <= rows; ++row) {
        for (int column = 0; column <= columns; ++column) {
            ScreenGridVertex& point = points[row * (columns + 1) + column];
            point.u = static_cast<float>(column) / static_cast<float>(columns);
            point.v = static_cast<float>(row) / static_cast<float>(rows);
            point.x = point.u * static_cast<float>(g_screenWidth) - 0.5f;
            point.y = point.v * static_cast<float>(g_screenHeight) - 0.5f;
            point.z = 0.0f;
            point.rhw = 1.0f;
        }
    }
}

void MotionBlur::Apply()
{
    if (!m_render.IsMotionBlurOn()) {
        ReleaseLastFrame();
        return;
    }
    if (m_hasLastFrame) BlendLastFrame();
    m_hasLastFrame = KeepFrame();
}

void MotionBlur::BlendLastFrame()
{
    IDirect3DDevice9* device = m_render.GetDevice();
    const int alpha = BlendAlpha(m_render.GetBlurBlend(), m_render.GetMotionBlurAmount());
    static const std::vector<uint16_t> indices = GridIndices(kGridColumns, kGridRows);
    SetScreenBlendStates(device);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, D3DCOLOR_ARGB(alpha, 0, 0, 0));
    device->SetTexture(0, m_lastFrame);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetFVF(kGridFVF);
    device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(m_render.GetGridVertexCount()),
                                   static_cast<UINT>(indices.size() / 3), indices.data(), D3DFMT_INDEX16,
                                   m_render.GetGridVertices(), sizeof(ScreenGridVertex));
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    RestoreWorldStates(device);
}

// Copies the frame drawn so far into the kept texture, making the texture
// of the back buffer's size and format first when there is none.
bool MotionBlur::KeepFrame()
{
    IDirect3DDevice9* device = m_render.GetDevice();
    IDirect3DSurface9* backBuffer = nullptr;
    if (FAILED(device->GetRenderTarget(0, &backBuffer))) return false;
    D3DSURFACE_DESC description;
    bool kept = SUCCEEDED(backBuffer->GetDesc(&description));
    if (kept && !m_lastFrame) {
        kept = SUCCEEDED(device->CreateTexture(description.Width, description.Height, 1, D3DUSAGE_RENDERTARGET,
                                               description.Format, D3DPOOL_DEFAULT, &m_lastFrame, nullptr));
    }
    IDirect3DSurface9* frame = nullptr;
    kept = kept && SUCCEEDED(m_lastFrame->GetSurfaceLevel(0, &frame)) &&
           SUCCEEDED(device->StretchRect(backBuffer, nullptr, frame, nullptr, D3DTEXF_NONE));
    if (frame) frame->Release();
    backBuffer->Release();
    return kept;
}

void MotionBlur::ReleaseLastFrame()
{
    if (m_lastFrame) m_lastFrame->Release();
    m_lastFrame = nullptr;
    m_hasLastFrame = false;
}

void MotionBlur::OnLostDevice()
{
    ReleaseLastFrame();
}

void MotionBlur::OnResetDevice()
{
}
