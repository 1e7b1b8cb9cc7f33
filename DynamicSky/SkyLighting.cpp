#include "DynamicSky/SkyLighting.h"

#include "DynamicSky/VertexObject.h"
#include "Render/PRender.h"

#include <cmath>

namespace {

IPSunLightTarget* g_sunLightTarget = nullptr;

const float kColourScale = 255.0f;
const float kLightStep = 1.0f / 256.0f;
const float kRounding = 0.5f;
const D3DCOLOR kOpaqueAlpha = 0xFF000000;
const D3DCOLOR kOpaqueBlack = 0xFF000000;
const float kFarDepth = 1.0f;

// The low byte of the value truncated to a whole number. Only values that
// an int holds are converted: every float from 2^31 on is a multiple of
// 256, so its low byte is 0, and NaN counts as 0 too.
DWORD LowByte(float value)
{
    const float kIntLimit = 2147483648.0f;
    if (!(std::fabs(value) < kIntLimit)) return 0;
    return static_cast<DWORD>(static_cast<int>(value)) & 0xFF;
}

// 0 to 1 as a byte on the 256 scale a light colour is stored on.
float LightChannel(float value)
{
    int byte = 0;
    if (value >= 1.0f) {
        byte = 255;
    } else if (value > 0.0f) {
        byte = static_cast<int>(value * kColourScale + kRounding);
    }
    return static_cast<float>(byte) * kLightStep;
}

} // namespace

void SetSunLightTarget(IPSunLightTarget* target)
{
    g_sunLightTarget = target;
}

IPSunLightTarget* GetSunLightTarget()
{
    return g_sunLightTarget;
}

D3DCOLOR PackSkyColour(float red, float green, float blue)
{
    return kOpaqueAlpha | (LowByte(red) << 16) | (LowByte(green) << 8) | LowByte(blue);
}

void SetSkyAmbient(float red, float green, float blue)
{
    CPRender* render = GetRender();
    if (!render) return;
    render->SetAmbient(PackSkyColour(red, green, blue), red / kColourScale, green / kColourScale,
                       blue / kColourScale);
}

void SetSkyFogColour(float red, float green, float blue)
{
    CPRender* render = GetRender();
    if (!render) return;
    const D3DCOLOR colour = PackSkyColour(red, green, blue);
    render->SetFogColour(colour);
    render->GetDevice()->SetRenderState(D3DRS_FOGCOLOR, colour);
}

void SetSunLight(const D3DXVECTOR3& direction, const D3DXCOLOR& colour)
{
    D3DXVECTOR3 unit;
    D3DXVec3Normalize(&unit, &direction);
    D3DCOLORVALUE light;
    light.r = LightChannel(colour.r);
    light.g = LightChannel(colour.g);
    light.b = LightChannel(colour.b);
    light.a = 0.0f;
    if (g_sunLightTarget) g_sunLightTarget->SubmitSunLight(unit, light);
    if (CPRender* render = GetRender()) render->ApplyLights();
}

void ClearSkyDepth()
{
    IDirect3DDevice9* device = g_VertexDrawer.GetDevice();
    if (device) device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, kOpaqueBlack, kFarDepth, 0);
}
