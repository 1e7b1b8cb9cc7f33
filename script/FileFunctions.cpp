#include "script/FileFunctions.h"

#include "script/ScriptArguments.h"
#include "script/ScriptHost.h"

#include "core/PDataFile.h"
#include "core/ShellOpen.h"

#include "Render/PRender.h"

#include <d3dx9tex.h>

#include <cstdio>
#include <string>

namespace {

// The longest target handed to the shell, counted as the shell reads it.
// Wine's shell overruns a buffer of its own on targets of about 980
// characters and more and takes the game down with it; where that begins
// moves with the target's characters and the memory around the call, so
// the limit keeps well below the shortest target seen to fault.
const size_t kLongestTarget = 800;

// Answers whether the target is short enough to open; logs the refusal
// of one that is not.
bool ShellTakes(lua_State* state, const char* function, const char* target)
{
    const size_t length = ShellTargetLength(target);
    if (length <= kLongestTarget) return true;
    ScriptHost::LogFromScript(state, std::string(function) + " refuses a target of " + std::to_string(length) +
                                         " characters (" + std::to_string(kLongestTarget) + " at most)");
    return false;
}

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
    if (ShellTakes(state, "GoURL", path) && CanBeRead(path)) ShellOpen(path);
    return 0;
}

int Script_GoURLlink(lua_State* state)
{
    const char* address = CheckText(state, 1);
    if (ShellTakes(state, "GoURLlink", address)) ShellOpen(address);
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
