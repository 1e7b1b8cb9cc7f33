#pragma once

#include <d3d9.h>
#include <d3dx9math.h>

// What takes the sun as its directional light: the current level. It
// publishes itself while it is current.
class IPSunLightTarget {
public:
    virtual ~IPSunLightTarget() {}
    // Takes the direction and the colour (diffuse and specular alike) into
    // its light record and submits the light to the renderer's light table.
    virtual void SubmitSunLight(const D3DXVECTOR3& direction, const D3DCOLORVALUE& colour) = 0;
};

void SetSunLightTarget(IPSunLightTarget* target);
IPSunLightTarget* GetSunLightTarget();

// The sky's colours are on a 0 to 255 scale. Each channel is truncated to a
// whole number whose low 8 bits are packed with an opaque alpha; a channel
// beyond an int's range (whose low byte is 0) or NaN packs as 0.
D3DCOLOR PackSkyColour(float red, float green, float blue);

// The renderer's ambient light: the packed colour and the channels / 255.
void SetSkyAmbient(float red, float green, float blue);
// The renderer's fog colour, set on the device at once.
void SetSkyFogColour(float red, float green, float blue);
// The sun as the target's directional light (colour channels 0 to 1, each
// rounded to a byte and stored as byte / 256, alpha 0); then the renderer
// applies its lights. Without a target only the lights are applied.
void SetSunLight(const D3DXVECTOR3& direction, const D3DXCOLOR& colour);
// Clears the depth buffer alone, to 1, on the vertex drawer's device.
void ClearSkyDepth();
