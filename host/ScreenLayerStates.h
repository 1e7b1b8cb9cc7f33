#pragma once

#include <d3d9.h>

// Screen layers (the motion blur, the fade) blend over the frame by their
// alpha, unlit and without depth.
void SetScreenBlendStates(IDirect3DDevice9* device);

// The interface's screen layer: blended, unlit and without depth like the
// other layers, stage 0 modulating texture and vertex colour and alpha.
void SetScreenLayerStates(IDirect3DDevice9* device);

// What the world's blocks draw with again after a layer or an overlay, as
// the default states set it: lit, depth-tested, not blended, stage 0
// modulating its texture with the vertex colour, no texture bound, the
// 48-byte vertex.
void RestoreWorldStates(IDirect3DDevice9* device);
