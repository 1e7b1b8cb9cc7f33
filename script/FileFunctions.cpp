#include "script/FileFunctions.h"

#include "script/ScriptArguments.h"

#include "core/PDataFile.h"
#include "core/ShellOpen.h"

#include "Render/PRender.h"

#include <d3dx9tex.h>

#include <cstdio>

namespace {

bool CanBeRead(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

IDirect3DDevice9* RendererDevice()
{
    CPRender* render = GetRender();
    return render ? render->GetDevice() : nullptr;
}

// Makes the texture only to learn the size the image itself declares, as
// the extension library reads it; the texture goes again at once.
bool ReadImageSize(const CPDataFile& file, D3DXIMAGE_INFO& info)
{
    IDirect3DDevice9* device = RendererDevice();
    if (!device) return false;
    IDirect3DTexture9* texture = nullptr;
    HRESULT result = D3DXCreateTextureFromFileInMemoryEx(
        device, file.GetData(), static_cast<UINT>(file.GetDataSize()), D3DX_DEFAULT, D3DX_DEFAULT,
        D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info,
        nullptr, &texture);
    if (FAILED(result)) return false;
    texture->Release();
    return true;
}

} // namespace

int Script_IsFileExists(lua_State* state)
{
    lua_pushboolean(state, CanBeRead(CheckText(state, 1)));
    return 1;
}

int Script_GoURL(lua_State* state)
{
    const char* path = CheckText(state, 1);
    if (CanBeRead(path)) ShellOpen(path);
    return 0;
}

int Script_GoURLlink(lua_State* state)
{
    ShellOpen(CheckText(state, 1));
    return 0;
}

int Script_GetTextureSize(lua_State* state)
{
    CPDataFile file(CheckText(state, 1), false);
    D3DXIMAGE_INFO info = {};
    if (FAILED(file.Load()) || !ReadImageSize(file, info)) info.Width = info.Height = 0;
    lua_pushnumber(state, info.Width);
    lua_pushnumber(state, info.Height);
    return 2;
}
