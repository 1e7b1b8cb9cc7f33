#include "script/CameraFunctions.h"

#include "script/ScriptArguments.h"

#include "Render/PCamera.h"
#include "Render/PRender.h"
#include "core/PGameObject.h"
#include "game/PLevel.h"

#include <cstdlib>

namespace {

const int kCameraPositionResults = 6;
const int kChaseCamera = 0;
const int kOrbitCamera = 1;
// The demo camera orbits left on an even roll, right on an odd one; one
// roll in four looks down at a shallow angle, the others from straight above.
const float kOrbitLeft = -1.0f;
const float kOrbitRight = 1.0f;
const int kShallowAngleOdds = 4;
const float kShallowAngle = -0.2617994f;
const float kSteepAngle = -1.5707964f;

CPCamera* LevelCamera(const CPLevel& level)
{
    return level.camera.Get();
}

} // namespace

int Script_SetCamera(lua_State* state)
{
    const int preset = ReadBool(state, 1) ? kOrbitCamera : kChaseCamera;
    CPLevel* level = GetLevel();
    if (!level || level->cameraPreset == preset) return 0;
    level->cameraPreset = preset;
    level->demoPresetTime = 0.0f;
    level->orbitDirection = std::rand() % 2 == 0 ? kOrbitLeft : kOrbitRight;
    CPCamera* camera = LevelCamera(*level);
    if (camera && preset == kChaseCamera) camera->SetHeading(level->heading);
    const float angle = std::rand() % kShallowAngleOdds == 0 ? kShallowAngle : kSteepAngle;
    if (camera) camera->SetAngle(angle);
    return 0;
}

int Script_SetFOV(lua_State* state)
{
    const float degrees = ReadFloat(state, 1);
    CPLevel* level = GetLevel();
    CPCamera* camera = level ? LevelCamera(*level) : nullptr;
    if (camera) camera->SetFieldOfView(degrees);
    return 0;
}

int Script_SetMotionBlur(lua_State* state)
{
    const float amount = ReadFloat(state, 1);
    if (CPRender* render = GetRender()) render->SetMotionBlur(amount);
    return 0;
}

int Script_GetCameraPositions(lua_State* state)
{
    const D3DXVECTOR3 zero(0.0f, 0.0f, 0.0f);
    CPPerspectiveCamera* view = GetCurrentView();
    CPLevel* level = GetLevel();
    CPCamera* camera = level ? LevelCamera(*level) : nullptr;
    PushVector(state, view ? view->GetEye() : zero);
    PushVector(state, camera ? camera->GetTargetPoint() : zero);
    return kCameraPositionResults;
}

int Script_GetCameraZAngle(lua_State* state)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    CPCamera* camera = LevelCamera(*level);
    return PushNumber(state, camera ? camera->GetHeading() : 0.0f);
}

// The box is the one that picking and the part queries use.
int Script_CheckVisible(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    if (!GetLevel() || !object) return 0;
    CPPerspectiveCamera* view = GetCurrentView();
    const AxisAlignedBox& box = object->GetPartBounds();
    lua_pushboolean(state, view && view->IsBoxVisible(box.minimum, box.maximum));
    return 1;
}

int Script_SetTemp(lua_State* state)
{
    g_scriptTuningValue = ReadFloat(state, 1);
    return 0;
}

int Script_GetTemp(lua_State* state)
{
    return PushNumber(state, g_scriptTuningValue);
}
