#pragma once

struct lua_State;

// The in-race display (the game interface): its clock, life, weapon, mine,
// ammunition and fitted-equipment windows, found by name on the screen
// handle of argument 1; a null screen changes nothing. Also the score
// table's stand-ins, the two videos, the camera modes, the field-of-view
// values and the difficulty.

// Text "score" = the score, five digits.
int Script_UpdateScore(lua_State* state);
// Level: text "time" = the race clock as "mm:ss", the followed car's
// engine temperature on the twelve "overheat" windows, text "kills".
int Script_UpdateTime(lua_State* state);
// Shows the armour, engine and equipment windows of the fitted set-up.
int Script_InitGameInterface(lua_State* state);
// Supers, life, weapon slots, mines, ammunition and the cursor of the
// followed car's weapon; then rebuilds the screen's mesh.
int Script_UpdateGameInterface(lua_State* state);
// Shows or hides the window of the fitted engine.
int Script_EngineState(lua_State* state);
// The screen's cursor name; nothing for a null screen.
int Script_GetCursor(lua_State* state);
// The fitted set-up: nine item keys, the super-weapon count, the mine key.
int Script_GetRealCarInfo(lua_State* state);

// The score table is not kept: these read their arguments and answer
// fixed values. AddScore answers nil.
int Script_AddScore(lua_State* state);
int Script_GetScore(lua_State* state);
int Script_IsInTable(lua_State* state);
int Script_SetScoreLine(lua_State* state);
int Script_GetScoreLine(lua_State* state);

// The first video player plays the file of "Data\Video" as a task of
// priority 400, with or without its sound.
int Script_PlayVideo(lua_State* state);
int Script_PlayVideoNoSound(lua_State* state);
int Script_PlayVideo1(lua_State* state);
int Script_StopVideo(lua_State* state);
int Script_StopVideo1(lua_State* state);

// Level: the player's shot request for the race rules.
int Script_PlayerShot(lua_State* state);
// Level: camera mode 1 for true, 0 for false.
int Script_SetCameraPlayer(lua_State* state);
int Script_GetCameraPlayer(lua_State* state);
int Script_GetFov1(lua_State* state);
int Script_GetFov2(lua_State* state);
// Level: the next checkpoint becomes the visible marker, with "say_show"
// to the category "main"; without one the marker goes.
int Script_ShowCheckPoint(lua_State* state);
// Whether the "cam_speed" setting is on.
int Script_GetDifficulty(lua_State* state);
// The difficulty flag, and the coefficients that follow from it.
int Script_SetDifficult(lua_State* state);
int Script_SetLightCoeff(lua_State* state);
int Script_SetRadialBlur(lua_State* state);
