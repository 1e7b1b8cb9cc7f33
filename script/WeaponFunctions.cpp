#include "script/WeaponFunctions.h"

#include "script/ScriptArguments.h"

#include "Sound/PSoundManager.h"
#include "game/PGameData.h"
#include "game/PPlayer.h"

#include <string>

namespace {

const int kNoWeapon = -1;
const int kLastSlot = CarSettings::kWeaponSlots - 1;
// The flame-thrower's stream starts as soon as its trigger is pulled,
// whatever is left of the cooldown.
const int kFlameThrowerKind = 8;

CPPlayer* ReadCar(lua_State* state)
{
    return ReadHandle<CPPlayer>(state, 1);
}

bool HasAnyWeapon(const CarSettings& setup)
{
    for (const std::string& weapon : setup.weapons) {
        if (!weapon.empty()) return true;
    }
    return false;
}

// The next fitted slot from the slot, one step at a time round the ring;
// the slot itself when it is the only one fitted.
int StepToFittedSlot(const CarSettings& setup, int slot, int step)
{
    do {
        slot += step;
        if (slot < 0) slot = kLastSlot;
        if (slot > kLastSlot) slot = 0;
    } while (setup.weapons[slot].empty());
    return slot;
}

int ChangeWeapon(lua_State* state, int step)
{
    CPPlayer* car = ReadCar(state);
    CPGameData* data = GetGameData();
    if (!car || !data) return 0;
    const int previous = car->weaponSlot;
    car->weaponSlot = HasAnyWeapon(data->activeSetup) ? StepToFittedSlot(data->activeSetup, previous, step) : kNoWeapon;
    if (CPSoundManager* sounds = GetSoundManager()) {
        sounds->PlayFromStart(car->weaponSlot == previous ? "undo_weapon" : "change_weapon");
    }
    car->SelectWeapon();
    return 0;
}

} // namespace

int Script_SetCurrentWeapon(lua_State* state)
{
    CPPlayer* car = ReadCar(state);
    const char* name = ReadText(state, 2);
    if (car && name) car->weaponModel = car->FindChild(name);
    return 0;
}

int Script_SetPrevWeapon(lua_State* state)
{
    return ChangeWeapon(state, -1);
}

int Script_SetNextWeapon(lua_State* state)
{
    return ChangeWeapon(state, 1);
}

int Script_SetShot(lua_State* state)
{
    CPPlayer* car = ReadCar(state);
    if (!car) return 0;
    const bool wasHeld = car->triggerHeld;
    car->triggerHeld = ReadBool(state, 2) && car->weaponSlot >= 0 && !car->weaponEmpty;
    if (car->triggerHeld && !wasHeld && car->weaponType == kFlameThrowerKind) car->fireCooldown = 0.0f;
    return 0;
}

int Script_SetMineShot(lua_State* state)
{
    if (CPPlayer* car = ReadCar(state)) car->minesArmed = ReadBool(state, 2) && car->hasMines && !car->minesEmpty;
    return 0;
}
