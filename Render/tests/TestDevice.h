#pragma once

#include <d3d9.h>

// A real Direct3D 9 device on a hidden window, made as the host makes it:
// software vertex processing and the FPU left in double precision. Made on
// first use and kept for the whole test run; null when the machine has none.
IDirect3DDevice9* GetTestDevice();
