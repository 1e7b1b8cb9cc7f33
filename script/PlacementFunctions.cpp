#include "script/PlacementFunctions.h"

#include "script/ScriptArguments.h"

#include "core/PGameObject.h"
#include "game/PLevel.h"
#include "physics/PPhysicData.h"

#include <cmath>

namespace {

const int kBoxResults = 9;
// A squared speed below this counts as standing still.
const float kStillSpeedSquared = 1e-6f;

void PlaceObject(CPGameObject& object, const D3DXVECTOR3& position)
{
    object.SetPosition(position.x, position.y, position.z);
    object.UpdateTransform();
}

// The rotation of the three turns, about x first.
D3DXQUATERNION RotationOfAngles(const D3DXVECTOR3& angles)
{
    D3DXMATRIX aboutX, aboutY, aboutZ, rotation;
    D3DXMatrixRotationX(&aboutX, angles.x);
    D3DXMatrixRotationY(&aboutY, angles.y);
    D3DXMatrixRotationZ(&aboutZ, angles.z);
    D3DXMatrixMultiply(&rotation, &aboutX, &aboutY);
    D3DXMatrixMultiply(&rotation, &rotation, &aboutZ);
    D3DXQUATERNION quaternion;
    D3DXQuaternionRotationMatrix(&quaternion, &rotation);
    return quaternion;
}

// The object's own turn reaches a simulated body only; a body the
// program places itself has to be turned here.
void TurnPlacedBody(CPGameObject& object, const D3DXQUATERNION& rotation)
{
    CPPhysicData* physics = object.GetPhysicData();
    if (!physics || physics->GetRigidBody() || !physics->GetKinematicBody()) return;
    physics->GetKinematicBody()->SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
}

} // namespace

int Script_SetPosition(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    if (object) PlaceObject(*object, ReadVector(state, 2));
    return 0;
}

int Script_SetRotation(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    if (!object) return 0;
    const D3DXQUATERNION rotation = RotationOfAngles(ReadVector(state, 2));
    object->SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
    TurnPlacedBody(*object, rotation);
    object->UpdateTransform();
    return 0;
}

int Script_ChangeCheckpointPosition(lua_State* state)
{
    const D3DXVECTOR3 position(ReadFloat(state, 1), ReadFloat(state, 2), 0.0f);
    CPLevel* level = GetLevel();
    if (level && level->checkpointMarker) PlaceObject(*level->checkpointMarker, position);
    return 0;
}

int Script_GetPosition(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    return PushVector(state, object ? *object->GetPositionRef() : D3DXVECTOR3(0.0f, 0.0f, 0.0f));
}

int Script_GetBBoxInfo(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    const D3DXVECTOR3 zero(0.0f, 0.0f, 0.0f);
    const AxisAlignedBox* box = object ? &object->GetPartBounds() : nullptr;
    PushVector(state, box ? box->halfExtents : zero);
    PushVector(state, box ? box->minimum : zero);
    PushVector(state, box ? box->maximum : zero);
    return kBoxResults;
}

int Script_GetObjectSpeed(lua_State* state)
{
    CPGameObject* object = ReadHandle<CPGameObject>(state, 1);
    CPPhysicData* physics = object ? object->GetPhysicData() : nullptr;
    CPRigidBody* body = physics ? physics->GetRigidBody() : nullptr;
    const float squared = body ? D3DXVec3LengthSq(&body->GetVelocity()) : 0.0f;
    return PushNumber(state, squared < kStillSpeedSquared ? 0.0f : std::sqrt(squared));
}
