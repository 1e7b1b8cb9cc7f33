#pragma once

struct lua_State;

// The functions of the object table: the script side of the command bus,
// handles, game objects, interface buttons, the fade, the frame time and
// music. Each takes the script's state and answers how many results it
// pushed.
int Script_GetDeltaTime(lua_State* state);
int Script_AddRef(lua_State* state);
int Script_DumpObjects(lua_State* state);
int Script_Release(lua_State* state);
int Script_SendCommandByName(lua_State* state);
int Script_SendCommandByObject(lua_State* state);
int Script_SendCommandByCategory(lua_State* state);
int Script_SetNextCommand(lua_State* state);
int Script_GetCurrentCommand(lua_State* state);
int Script_GetCurrentParams(lua_State* state);
int Script_PointerToString(lua_State* state);
int Script_StringToPointer(lua_State* state);
int Script_SetPTransformation(lua_State* state);
int Script_CheckString(lua_State* state);
int Script_GetChildObject(lua_State* state);
int Script_SetVisible(lua_State* state);
int Script_SetCollision(lua_State* state);
int Script_SplitString(lua_State* state);
int Script_LoadRenderObject(lua_State* state);
int Script_DrawDynamicObject(lua_State* state);
int Script_SetAnimation(lua_State* state);
int Script_GetParentObject(lua_State* state);
int Script_ActivateObject(lua_State* state);
// Also the main table's DeactivateInterface: a screen's Stop is its
// deactivation.
int Script_DeactivateObject(lua_State* state);
int Script_SetFade(lua_State* state);
int Script_LockButton(lua_State* state);
int Script_UnlockButton(lua_State* state);
int Script_KillAllTasks(lua_State* state);
int Script_ToInt(lua_State* state);
int Script_PlayMusic(lua_State* state);
