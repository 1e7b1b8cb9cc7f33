#include "script/LightningFunctions.h"

#include "script/ScriptArguments.h"

#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "game/PLightningShot.h"

#include <string>
#include <vector>

namespace {

// The bolt the scripts strike with: an enemy-hitting bolt growing 10 units
// a second, 1.5 units of half width, with its texture, effect, material
// type, impact kind and sound.
const std::vector<std::string> kBoltParams = {"enemy",          "10",  "1.5",    "1.5",           "razlom.dds",
                                              "light_nofog.fx", "103", "sparks", "gorvath.wav,3d"};
const float kBoltLaunchValue = 10.0f;
const D3DCOLOR kDebugLineColour = 0xFFFF0000;
const int kNoStrike = -1;
const int kGrowing = 1;
const float kZeroLengthSquared = 1e-6f;

// The unit vector from one point toward the other; zero when they meet.
D3DXVECTOR3 DirectionBetween(const D3DXVECTOR3& from, const D3DXVECTOR3& to)
{
    D3DXVECTOR3 direction = to - from;
    if (D3DXVec3LengthSq(&direction) < kZeroLengthSquared) return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVec3Normalize(&direction, &direction);
    return direction;
}

void QueueForDrawing(CPLightningShot& bolt)
{
    CPRender* render = GetRender();
    RefPtr<CPRenderQueue> queue = render ? render->GetRenderQueue() : nullptr;
    if (queue) queue->AddObject(RefPtr<CPGameObject>(&bolt));
}

} // namespace

int Script_StartLighting(lua_State* state)
{
    const D3DXVECTOR3 from = ReadVector(state, 2);
    const D3DXVECTOR3 to = ReadVector(state, 5);
    CPLightningShot* bolt = new CPLightningShot(ReadTextOrEmpty(state, 1));
    bolt->AddRef();
    bolt->SetParams(kBoltParams);
    bolt->Launch(from, DirectionBetween(from, to), kBoltLaunchValue, nullptr, 0);
    PushHandle(state, bolt);
    return 1;
}

int Script_UpdateTrasser(lua_State* state)
{
    CPLightningShot* bolt = ReadHandle<CPLightningShot>(state, 1);
    int code = kNoStrike;
    RefPtr<CPGameObject> hit;
    if (bolt) code = bolt->Strike(hit);
    if (code == kGrowing) QueueForDrawing(*bolt);
    lua_pushnumber(state, code);
    if (!hit) return 1;
    PushHandle(state, hit.Get());
    return 2;
}

int Script_DrawLine(lua_State* state)
{
    if (CPRender* render = GetRender()) render->AddLine(kDebugLineColour, ReadVector(state, 1), ReadVector(state, 4));
    return 0;
}
