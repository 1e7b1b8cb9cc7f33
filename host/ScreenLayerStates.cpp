#include "host/ScreenLayerStates.h"

#include "Render/PDrawable.h"
#include "Render/RenderStates.h"

namespace {

const RenderStateValue kScreenBlendStates[] = {
    {D3DRS_LIGHTING, FALSE},
    {D3DRS_ZENABLE, D3DZB_FALSE},
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
};

const RenderStateValue kWorldStates[] = {
    {D3DRS_LIGHTING, TRUE},
    {D3DRS_ZENABLE, D3DZB_TRUE},
    {D3DRS_ALPHABLENDENABLE, FALSE},
};

} // namespace

void SetScreenBlendStates(IDirect3DDevice9* device)
{
    SetRenderStates(device, kScreenBlendStates);
}

void SetScreenLayerStates(IDirect3DDevice9* device)
{
    SetScreenBlendStates(device);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

void RestoreWorldStates(IDirect3DDevice9* device)
{
    SetRenderStates(device, kWorldStates);
    device->SetTexture(0, nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetFVF(kVertex48FVF);
}
