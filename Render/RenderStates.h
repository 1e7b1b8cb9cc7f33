#pragma once

#include <d3d9.h>

#include <cstddef>

// One render state and the value to give it. Tables of these set a group of
// states in the table's order.
struct RenderStateValue {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

template <size_t count>
void SetRenderStates(IDirect3DDevice9* device, const RenderStateValue (&states)[count])
{
    for (const RenderStateValue& state : states) device->SetRenderState(state.state, state.value);
}
