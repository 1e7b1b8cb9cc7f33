#pragma once

#include <d3dx9.h>

// The planar projection that casts the current level's shadows onto its
// ground. The level loader sets it; the bounds of objects that cast a shadow
// are widened by it. It lives in the core because the bounds do. It starts as
// the identity, so widening before any level has set it changes nothing.
extern D3DXMATRIX g_shadowMatrix;
