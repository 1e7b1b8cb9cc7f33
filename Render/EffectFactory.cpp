#include "Render/EffectFactory.h"

namespace {

EffectFactory& LibraryFactory()
{
    static EffectFactory factory;
    return factory;
}

EffectFactory* g_pInstalledFactory = nullptr;

} // namespace

EffectFactory::~EffectFactory() = default;

HRESULT EffectFactory::CreatePool(ID3DXEffectPool** pool)
{
    return D3DXCreateEffectPool(pool);
}

HRESULT EffectFactory::CreateEffect(IDirect3DDevice9* device, const void* data, UINT size,
                                    ID3DXEffectPool* pool, ID3DXEffect** effect)
{
    ID3DXBuffer* messages = nullptr;
    const HRESULT result =
        D3DXCreateEffect(device, data, size, nullptr, nullptr, 0, pool, effect, &messages);
    if (messages) messages->Release();
    return result;
}

EffectFactory& GetEffectFactory()
{
    return g_pInstalledFactory ? *g_pInstalledFactory : LibraryFactory();
}

EffectFactory* SetEffectFactory(EffectFactory* factory)
{
    EffectFactory* previous = g_pInstalledFactory;
    g_pInstalledFactory = factory;
    return previous;
}
