#pragma once

struct lua_State;

// The lightning strike and the debug line, as the scripts drive them.

// Makes a lightning bolt named by argument 1 and fires it from the first
// point toward the second; answers its handle. The script keeps the bolt.
int Script_StartLighting(lua_State* state);
// Grows the bolt one frame: answers 1 while it grows (and queues it for
// drawing), 0 when it hit something (with the handle of what it hit), -1
// once finished or for a null handle.
int Script_UpdateTrasser(lua_State* state);
// Queues a red debug line from the first point to the second.
int Script_DrawLine(lua_State* state);
