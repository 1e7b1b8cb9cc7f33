#pragma once

struct lua_State;

// Files and addresses a script hands to the shell, and images it measures.

// Whether the file can be opened for reading.
int Script_IsFileExists(lua_State* state);
// Opens a file with the shell when it can be read; nothing otherwise. A
// target longer than a browser takes is refused with a line in the log.
int Script_GoURL(lua_State* state);
// Opens an address with the shell, untested but for its length, as GoURL.
int Script_GoURLlink(lua_State* state);
// The width and height an image file holds, or 0 and 0 when it cannot be
// read or made into a texture on the renderer's device.
int Script_GetTextureSize(lua_State* state);
