#pragma once

#include <d3d9.h>

// The device's back-buffer pixel at the point as it was drawn, 0x00RRGGBB.
D3DCOLOR BackBufferPixel(IDirect3DDevice9* device, int x, int y);
