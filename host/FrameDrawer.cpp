#include "host/FrameDrawer.h"

#include "host/MotionBlur.h"
#include "host/ParticleBatch.h"
#include "host/ScreenLayerStates.h"

#include "DynamicSky/PDynamicSky.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/PRenderQueue.h"
#include "core/FrameClock.h"
#include "core/Settings.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <map>

namespace {

const float kFarZ = 1.0f;
const float kScreenRhw = 1.0f;
const UINT kQuadTriangles = 2;
const UINT kVerticesPerLine = 2;
const int kLowestType = std::numeric_limits<int>::min();
const int kPastHighestType = std::numeric_limits<int>::max();

// Stage 0 passes the vertex colour and alpha through.
void SelectVertexColour(IDirect3DDevice9* device)
{
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
}

float Brightened(float component, float factor)
{
    return std::min(std::max(component * factor, 0.0f), 1.0f);
}

} // namespace

FrameDrawer::FrameDrawer(CPRender& render, MotionBlur* motionBlur, ParticleBatchSet* particles)
    : m_render(render),
      m_motionBlur(motionBlur),
      m_particles(particles),
      m_device(render.GetDevice()),
      m_worldCamera(nullptr)
{
}

CPPerspectiveCamera* FrameDrawer::FindWorldCamera(const CPRender& render)
{
    for (const auto& keyed : render.GetRenderList()) {
        CPPerspectiveCamera* camera = dynamic_cast<CPPerspectiveCamera*>(keyed.second.view.Get());
        if (camera) return camera;
    }
    return nullptr;
}

int FrameDrawer::FadeAlpha(float fade, int maxFade)
{
    if (maxFade <= 0) return 0;
    const float share = 1.0f - std::min(std::max(fade / static_cast<float>(maxFade), 0.0f), 1.0f);
    return static_cast<int>(kMaxFadeAlpha * share);
}

void FrameDrawer::Draw()
{
    m_worldCamera = FindWorldCamera(m_render);
    if (m_worldCamera) m_render.SetViewProjection(m_worldCamera->GetViewProjection());

    // Where nothing is drawn, the sky's fog colour shows.
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, m_render.GetFogColour(), kFarZ, 0);
    m_device->BeginScene();
    if (!DrawSky()) m_render.ApplyLights();
    ApplyAmbient();
    const std::map<int, RenderListEntry>& list = m_render.GetRenderList();
    bool overlaysDrawn = false;
    for (auto keyed = list.begin(); keyed != list.end(); ++keyed) {
        const bool screenLayer = keyed->first >= kScreenCameraKey;
        if (!overlaysDrawn && screenLayer) {
            DrawWorldOverlays();
            overlaysDrawn = true;
        }
        ApplyEntry(keyed->second);
        // The first entry also rules below its key, the last one above it.
        const auto next = std::next(keyed);
        const int fromType = keyed == list.begin() ? kLowestType : keyed->first;
        const int toType = next == list.end() ? kPastHighestType : next->first;
        DrawQueueBlocks(fromType, toType, screenLayer);
    }
    if (!overlaysDrawn) DrawWorldOverlays();
    DrawFade();
    m_device->EndScene();
    EmptyFrameState();
}

void FrameDrawer::EmptyFrameState()
{
    m_render.ClearLines();
    m_render.ClearLights();
    if (CPRenderQueue* queue = m_render.GetRenderQueue().Get()) queue->ClearFrame();
}

// Without an effect of their own, the screen layer's materials draw unlit
// and blend by their alpha.
void FrameDrawer::DrawQueueBlocks(int fromType, int toType, bool screenLayer)
{
    CPRenderQueue* queue = m_render.GetRenderQueue().Get();
    if (!queue) return;
    if (screenLayer) SetScreenLayerStates(m_device);
    queue->DrawBlocks(m_device, fromType, toType);
    if (screenLayer) RestoreWorldStates(m_device);
}

// The sky's frame step draws it and sets the frame's ambient light, fog
// colour and sun. It is seen from the world's camera only, turned but not
// moved with it, so its dome stays around the eye, and with the far-limited
// projection, so a dome beyond the view distance is not clipped away.
bool FrameDrawer::DrawSky()
{
    CPDynamicSky* sky = m_render.GetSky();
    if (!sky || !m_worldCamera) return false;
    m_device->SetTransform(D3DTS_VIEW, &m_worldCamera->GetRotationView());
    m_device->SetTransform(D3DTS_PROJECTION, &m_worldCamera->GetFarLimitedProjection());
    sky->Update(FrameDeltaTime);
    RestoreWorldStates(m_device);
    return true;
}

// Scripts brighten or darken the sky's ambient light by the light coefficient.
void FrameDrawer::ApplyAmbient()
{
    const D3DXCOLOR& ambient = m_render.GetAmbientColour();
    const float factor = 1.0f + m_render.GetLightCoeff();
    const D3DXCOLOR lit(Brightened(ambient.r, factor), Brightened(ambient.g, factor), Brightened(ambient.b, factor),
                        1.0f);
    m_device->SetRenderState(D3DRS_AMBIENT, static_cast<D3DCOLOR>(lit));
}

// A perspective view sets view and projection; the screen camera holds its
// orthographic projection in the view slot and draws with no view.
void FrameDrawer::ApplyEntry(const RenderListEntry& entry)
{
    if (entry.hasMatrix) m_device->SetTransform(D3DTS_WORLD, &entry.matrix);
    CPBaseCamera* view = entry.view.Get();
    if (!view) return;
    if (dynamic_cast<CPPerspectiveCamera*>(view)) {
        m_device->SetTransform(D3DTS_VIEW, &view->GetViewMatrix());
        m_device->SetTransform(D3DTS_PROJECTION, &view->GetProjectionMatrix());
        return;
    }
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    m_device->SetTransform(D3DTS_VIEW, &identity);
    m_device->SetTransform(D3DTS_PROJECTION, &view->GetViewMatrix());
}

void FrameDrawer::DrawWorldOverlays()
{
    if (m_particles && m_worldCamera) m_particles->Draw(m_device, m_worldCamera->GetViewMatrix());
    DrawLines();
    if (m_motionBlur) m_motionBlur->Apply();
}

void FrameDrawer::DrawLines()
{
    std::vector<Vertex48>& lines = m_render.GetLines();
    if (m_render.HasLines() && lines.size() >= kVerticesPerLine) {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        m_device->SetTransform(D3DTS_WORLD, &identity);
        // Lines take their colour from their vertices alone.
        m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
        SelectVertexColour(m_device);
        m_device->SetFVF(kVertex48FVF);
        m_device->DrawPrimitiveUP(D3DPT_LINELIST, static_cast<UINT>(lines.size() / kVerticesPerLine), lines.data(),
                                  sizeof(Vertex48));
        RestoreWorldStates(m_device);
    }
    m_render.ClearLines();
}

void FrameDrawer::DrawFade()
{
    const int alpha = FadeAlpha(m_render.GetFade(), m_render.GetMaxFade());
    if (alpha <= 0) return;
    const D3DCOLOR colour = D3DCOLOR_ARGB(alpha, 0, 0, 0);
    const float width = static_cast<float>(g_screenWidth);
    const float height = static_cast<float>(g_screenHeight);
    // Pixel centres sit half a pixel in, so the quad's edges move out by half.
    const LoadingScreenVertex quad[] = {
        {-0.5f, -0.5f, 0.0f, kScreenRhw, colour, 0.0f, 0.0f},
        {width - 0.5f, -0.5f, 0.0f, kScreenRhw, colour, 0.0f, 0.0f},
        {-0.5f, height - 0.5f, 0.0f, kScreenRhw, colour, 0.0f, 0.0f},
        {width - 0.5f, height - 0.5f, 0.0f, kScreenRhw, colour, 0.0f, 0.0f},
    };
    SetScreenBlendStates(m_device);
    SelectVertexColour(m_device);
    m_device->SetFVF(kLoadingScreenFVF);
    m_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, kQuadTriangles, quad, sizeof(LoadingScreenVertex));
    RestoreWorldStates(m_device);
}
