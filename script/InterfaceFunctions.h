#pragma once

class CPWindow;
struct lua_State;

// The window or button that argument 2 names on the screen of argument 1;
// null for a null screen, an absent name or an unknown one.
CPWindow* ReadScreenElement(lua_State* state);

// The script side of screens: making, showing and drawing them, and reaching
// their windows, texts, edit boxes and cursors by name. Argument 1 is the
// screen's handle. Each takes the script's state and answers how many
// results it pushed.
int Script_CreateInterface(lua_State* state);
int Script_ActivateInterface(lua_State* state);
int Script_SilentActivateInterface(lua_State* state);
int Script_UpdateInterface(lua_State* state);
int Script_UpdateInterfaceBuffers(lua_State* state);
int Script_SetWindowVisible(lua_State* state);
int Script_SetWindowPosition(lua_State* state);
int Script_SetWindowPositionShop(lua_State* state);
int Script_GetWindowPosition(lua_State* state);
int Script_SetTextPosition(lua_State* state);
int Script_GetTextPosition(lua_State* state);
int Script_SetText(lua_State* state);
int Script_SetTextString(lua_State* state);
int Script_SetEditBoxText(lua_State* state);
int Script_EditBoxProcessKey(lua_State* state);
int Script_EditBoxTextLength(lua_State* state);
int Script_GetEditBoxText(lua_State* state);
int Script_SetCursor(lua_State* state);
// SetFont(screen, text name, font name, text): draws the named text item
// with the text in the font; the item keeps its own font and text for
// later changes.
int Script_SetFont(lua_State* state);
// SetFontString(screen, text name, font name, text key): the same with the
// localised text of the key.
int Script_SetFontString(lua_State* state);
// The screen's current button leaves its hover look and the screen has no
// current button.
int Script_DeselectCurrentButton(lua_State* state);
