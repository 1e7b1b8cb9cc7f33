#pragma once

#include <d3dx9effect.h>

// Where compiled effects and the shared effect pool come from: the
// extension library in the program. Gathered here so that tests can put in
// effects of their own making, since not every Direct3D implementation can
// compile effect text.
class EffectFactory {
public:
    virtual ~EffectFactory();

    virtual HRESULT CreatePool(ID3DXEffectPool** pool);
    // Compiles effect text with no macros, no include handler and flags 0,
    // into the pool when one is given; compiler messages are dropped.
    virtual HRESULT CreateEffect(IDirect3DDevice9* device, const void* data, UINT size,
                                 ID3DXEffectPool* pool, ID3DXEffect** effect);
};

// The factory in use: the extension library's unless a test installed another.
EffectFactory& GetEffectFactory();

// Installs factory (null puts the extension library's back) and answers the
// one it replaces. The caller keeps ownership.
EffectFactory* SetEffectFactory(EffectFactory* factory);
