#include "script/SoundFunctions.h"

#include "script/ScriptArguments.h"

#include "Sound/PSoundManager.h"

namespace {

const DWORD kSoundPriority = 0;

// The named sound, or null. The manager enters a name it does not know,
// empty, so that a level's sounds can be prepared for it later.
RefPtr<CNSound> FindSound(const char* name)
{
    RefPtr<CNSound> sound;
    CPSoundManager* manager = GetSoundManager();
    if (manager && name) manager->GetSound(sound, name);
    return sound;
}

// An optional flag counts only when the script passed a boolean.
bool ReadOptionalFlag(lua_State* state, int index)
{
    return lua_type(state, index) == LUA_TBOOLEAN && ReadBool(state, index);
}

D3DVECTOR ReadPosition(lua_State* state, int first)
{
    D3DVECTOR position = {ReadFloat(state, first), ReadFloat(state, first + 1), ReadFloat(state, first + 2)};
    return position;
}

bool IsNumberAt(lua_State* state, int index)
{
    return lua_type(state, index) == LUA_TNUMBER;
}

// A sound already playing starts again from its beginning.
void Restart(CNSound& sound, DWORD flags)
{
    if (sound.IsPlaying()) {
        sound.Stop();
        sound.Rewind();
    }
    sound.Play(kSoundPriority, flags);
}

} // namespace

int Script_PlaySpecialSound(lua_State* state)
{
    if (RefPtr<CNSound> sound = FindSound(CheckText(state, 1))) Restart(*sound, 0);
    return 0;
}

int Script_PlaySpecialSound3D(lua_State* state)
{
    RefPtr<CNSound> sound = FindSound(CheckText(state, 1));
    const bool loop = ReadOptionalFlag(state, 5);
    const bool keepPlaying = ReadOptionalFlag(state, 6);
    bool played = true;
    if (sound) {
        const D3DVECTOR still = {0.0f, 0.0f, 0.0f};
        CPSoundManager::SetSoundPosition(sound, ReadPosition(state, 2), still);
        if (keepPlaying && sound->IsPlaying()) {
            played = false;
        } else {
            Restart(*sound, loop ? DSBPLAY_LOOPING : 0);
        }
    }
    lua_pushboolean(state, played);
    return 1;
}

int Script_IsSpecialSoundPlaying(lua_State* state)
{
    RefPtr<CNSound> sound = FindSound(CheckText(state, 1));
    lua_pushboolean(state, sound && sound->IsPlaying());
    return 1;
}

int Script_UpdateSoundPosition(lua_State* state)
{
    RefPtr<CNSound> sound = FindSound(ReadText(state, 1));
    if (!sound) return 0;
    D3DVECTOR velocity = {0.0f, 0.0f, 0.0f};
    if (IsNumberAt(state, 5) && IsNumberAt(state, 6) && IsNumberAt(state, 7)) velocity = ReadPosition(state, 5);
    CPSoundManager::SetSoundPosition(sound, ReadPosition(state, 2), velocity);
    return 0;
}

int Script_StopSpecialSound(lua_State* state)
{
    if (RefPtr<CNSound> sound = FindSound(CheckText(state, 1))) sound->Stop();
    return 0;
}
