#include "host/tests/BackBufferPixel.h"

namespace {

const D3DCOLOR kColourBits = 0x00FFFFFF;

} // namespace

D3DCOLOR BackBufferPixel(IDirect3DDevice9* device, int x, int y)
{
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* copy = nullptr;
    D3DSURFACE_DESC description;
    D3DCOLOR pixel = 0;
    device->GetRenderTarget(0, &target);
    target->GetDesc(&description);
    if (SUCCEEDED(device->CreateOffscreenPlainSurface(description.Width, description.Height, description.Format,
                                                      D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(target, copy))) {
        D3DLOCKED_RECT locked;
        copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
        pixel = static_cast<const D3DCOLOR*>(locked.pBits)[y * locked.Pitch / 4 + x] & kColourBits;
        copy->UnlockRect();
    }
    if (copy) copy->Release();
    target->Release();
    return pixel;
}
