#pragma once

struct lua_State;

// A racer's weapons and mines from the scripts: the current weapon among
// the fitted set-up's three weapon slots, and the firing and mine-dropping
// triggers. Argument 1 is the racer's handle; a null handle changes nothing.

// The car's weapon model becomes its descendant of the name.
int Script_SetCurrentWeapon(lua_State* state);
// Steps the current slot back or on, round the three slots, to the next
// fitted weapon; plays "change_weapon", or "undo_weapon" when the slot
// stays, and selects the weapon.
int Script_SetPrevWeapon(lua_State* state);
int Script_SetNextWeapon(lua_State* state);
// The firing trigger, held only with a loaded current weapon.
int Script_SetShot(lua_State* state);
// The mine trigger, held only while the car has mines left.
int Script_SetMineShot(lua_State* state);
