#include "script/LevelFunctions.h"

#include "script/ScriptArguments.h"

#include "DynamicSky/PDynamicSky.h"
#include "Render/PParticleManager.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "core/RayQuery.h"
#include "game/EnemyData.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "game/PShotSpawner.h"
#include "interface/PLensFlareInterface.h"

#include <d3dx9math.h>

#include <cmath>
#include <memory>

namespace {

// The default camera's view: 70 degrees wide, from the origin along +x
// with z up.
const float kDefaultFieldOfView = 1.2217305f;
const float kDefaultNearPlane = 1.0f;
const float kDefaultFarPlane = 1000.0f;
const int kDefaultCameraKey = 19;

// The flare source lies ten times as far out as the script's point.
const float kFlareSourceScale = 10.0f;
const char* const kLensFlareScreen = "lensflare2";
const int kLensFlareNumber = 198;

// Script shots carry no value of their own and no owner.
const float kNoShotValue = -1.0f;
const int kNoShotExtra = 0;

const float kInterfaceRayLength = 100000.0f;
// Below this squared length a direction counts as none.
const float kZeroLengthSquared = 1e-6f;

const int kTrueArgumentsForThirdFlag = 3;

// The level's update may have queued its scene for this frame already;
// the queue is emptied before the level goes, so nothing freed is drawn.
void ClearQueuedFrame()
{
    CPRender* render = GetRender();
    RefPtr<CPRenderQueue> queue = render ? render->GetRenderQueue() : nullptr;
    if (queue) queue->ClearFrame();
}

void DeleteCurrentLevel()
{
    CPLevel* level = GetLevel();
    if (!level) return;
    ClearQueuedFrame();
    delete level;
}

// The view that SetDefaultCamera last handed to the renderer; it lives
// until the next one replaces it.
std::unique_ptr<CPPerspectiveCamera>& DefaultCamera()
{
    static std::unique_ptr<CPPerspectiveCamera> camera;
    return camera;
}

RefPtr<CPCamera> LevelCamera()
{
    CPLevel* level = GetLevel();
    return level ? level->GetCamera() : nullptr;
}

void Spawn(const char* kind, const D3DXVECTOR3& at, const D3DXVECTOR3& direction)
{
    CPShotSpawner* spawner = GetShotSpawner();
    if (kind && spawner) spawner->Spawn(kind, at, direction, kNoShotValue, nullptr, kNoShotExtra);
}

// The point on the far plane under the screen point, in the world.
D3DXVECTOR3 UnprojectScreenPoint(const CPPerspectiveCamera& view, float screenX, float screenY)
{
    const D3DXVECTOR4 device(2.0f * screenX - 1.0f, 1.0f - 2.0f * screenY, 1.0f, 1.0f);
    D3DXVECTOR4 world;
    D3DXVec4Transform(&world, &device, &view.GetInverseViewProjection());
    return D3DXVECTOR3(world.x / world.w, world.y / world.w, world.z / world.w);
}

int PushNoInterfaceHit(lua_State* state)
{
    lua_pushboolean(state, 0);
    PushHandle(state, nullptr);
    lua_pushnumber(state, 0);
    lua_pushnumber(state, 0);
    lua_pushnumber(state, 0);
    return 5;
}

} // namespace

int Script_InitLevel(lua_State* state)
{
    const char* name = ReadText(state, 1);
    if (!name) return 0;
    const bool single = ReadBool(state, 2);
    const bool timeTrial = lua_gettop(state) >= kTrueArgumentsForThirdFlag && ReadBool(state, 3);
    DeleteCurrentLevel();
    CPLevel* level = new CPLevel();
    level->Load(name, single, timeTrial);
    return 0;
}

int Script_StartLevel(lua_State*)
{
    if (CPLevel* level = GetLevel()) level->StartLevel();
    return 0;
}

// Without a level there is nothing to stop but the particles.
int Script_StopLevel(lua_State*)
{
    CPLevel* level = GetLevel();
    if (!level) {
        if (g_pParticleManager) g_pParticleManager->Clear();
        return 0;
    }
    ClearQueuedFrame();
    level->StopLevel();
    return 0;
}

int Script_DeleteLevel(lua_State*)
{
    DeleteCurrentLevel();
    return 0;
}

int Script_SetLevelTransportCount(lua_State* state)
{
    if (CPGameData* data = GetGameData()) data->trafficCount = ReadInt(state, 1);
    return 0;
}

int Script_SetDefaultCamera(lua_State*)
{
    std::unique_ptr<CPPerspectiveCamera> camera(new CPPerspectiveCamera());
    camera->SetFieldOfView(kDefaultFieldOfView);
    camera->SetNearPlane(kDefaultNearPlane);
    camera->SetFarPlane(kDefaultFarPlane);
    camera->SetEye(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    camera->SetTarget(D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    camera->SetUp(D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    camera->UpdateMatrices();
    CPRender* render = GetRender();
    std::unique_ptr<CPPerspectiveCamera>& current = DefaultCamera();
    if (render && current) render->RemoveFromRenderList(current.get());
    if (render) render->AddToRenderList(kDefaultCameraKey, camera.get());
    current = std::move(camera);
    return 0;
}

int Script_SetCameraPos(lua_State* state)
{
    if (RefPtr<CPCamera> camera = LevelCamera()) camera->SetManualPosition(ReadVector(state, 1));
    return 0;
}

int Script_SetCameraZAngle(lua_State* state)
{
    if (RefPtr<CPCamera> camera = LevelCamera()) camera->SetManualZAngle(ReadFloat(state, 1));
    return 0;
}

int Script_SetLensFlare(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    CPLensFlareInterface* flare = new CPLensFlareInterface();
    level->lensFlare = flare;
    SunPosition = kFlareSourceScale * ReadVector(state, 1);
    flare->Load(kLensFlareScreen, kLensFlareNumber);
    return 0;
}

int Script_Shot(lua_State* state)
{
    const char* kind = CheckText(state, 1);
    CPGameObject* owner = ReadHandle<CPGameObject>(state, 2);
    CPLevel* level = GetLevel();
    if (!owner || !level || level->shotsBlocked) return 0;
    const D3DXVECTOR3 local = ReadVector(state, 3);
    D3DXVECTOR3 at;
    D3DXVec3TransformCoord(&at, &local, &owner->GetWorldMatrix());
    Spawn(kind, at, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    return 0;
}

int Script_Explosion(lua_State* state)
{
    Spawn(ReadText(state, 1), ReadVector(state, 2), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    return 0;
}

int Script_DirectionalExplosion(lua_State* state)
{
    Spawn(ReadText(state, 1), ReadVector(state, 2), ReadVector(state, 5));
    return 0;
}

int Script_CrossPlayerRay(lua_State* state)
{
    const D3DXVECTOR3 direction = ReadVector(state, 4);
    const float lengthSquared = D3DXVec3LengthSq(&direction);
    if (!(lengthSquared >= kZeroLengthSquared)) {
        lua_pushboolean(state, 1);
        PushVector(state, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        return 4;
    }
    RayQuery query;
    query.origin = ReadVector(state, 1);
    query.distance = std::sqrt(lengthSquared);
    query.direction = direction / query.distance;
    CPLevel* level = GetLevel();
    const bool clear = level && !level->CrossPlayerRay(query);
    lua_pushboolean(state, clear);
    PushVector(state, clear ? query.direction * query.distance : query.direction);
    return 4;
}

int Script_CrossInterfaceRay(lua_State* state)
{
    CPLevel* level = GetLevel();
    RefPtr<CPCamera> camera = LevelCamera();
    RefPtr<CPPerspectiveCamera> view = camera ? camera->GetFirstView() : nullptr;
    if (!level || !view) return PushNoInterfaceHit(state);
    const D3DXVECTOR3 eye = view->GetEye();
    const D3DXVECTOR3 toFarPlane = UnprojectScreenPoint(*view, ReadFloat(state, 1), ReadFloat(state, 2)) - eye;
    RayQuery query;
    query.origin = eye;
    D3DXVec3Normalize(&query.direction, &toFarPlane);
    query.distance = kInterfaceRayLength;
    const bool hit = level->CrossRay(query);
    const D3DXVECTOR3& along = query.direction;
    lua_pushboolean(state, hit);
    PushHandle(state, hit ? query.hitObject.Get() : nullptr);
    lua_pushnumber(state, eye.x - along.x * eye.z / along.z);
    lua_pushnumber(state, eye.y - along.y * eye.z / along.z);
    lua_pushnumber(state, 0);
    return 5;
}

int Script_SetCarParams(lua_State* state)
{
    if (CPPlayer* car = ReadHandle<CPPlayer>(state, 1)) car->SetCarParams(ReadFloat(state, 2), ReadFloat(state, 3));
    return 0;
}

// The target is held while the weapon aims at it.
int Script_SetWeaponPos(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    const D3DXVECTOR3 point = ReadVector(state, 1);
    const RefPtr<CPGameObject> target(ReadHandle<CPGameObject>(state, 4));
    level->SetWeaponPos(point.x, point.y, point.z, target.Get());
    return 0;
}

// A kind met for the first time is entered with numbers 0 and empty texts.
int Script_GetEnemyData(lua_State* state)
{
    const EnemyDataEntry& entry = g_enemyData[CheckText(state, 1)];
    lua_pushnumber(state, entry.first);
    lua_pushlstring(state, entry.secondText.data(), entry.secondText.size());
    lua_pushnumber(state, entry.second);
    lua_pushlstring(state, entry.firstText.data(), entry.firstText.size());
    lua_pushlstring(state, entry.thirdText.data(), entry.thirdText.size());
    return 5;
}
