#include "script/OptionFunctions.h"

#include "script/ScriptArguments.h"

#include "Sound/PMusic.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/Settings.h"
#include "game/PActionsManager.h"

#include <string>
#include <vector>

int Script_GetSoundVolume(lua_State* state)
{
    return PushNumber(state, g_soundVolume);
}

int Script_SetSoundVolume(lua_State* state)
{
    const float volume = ReadFloat(state, 1);
    if (g_pSoundManager) {
        g_pSoundManager->ApplySoundVolume(volume);
    } else {
        g_soundVolume = volume;
    }
    return 0;
}

int Script_GetMusicVolume(lua_State* state)
{
    return PushNumber(state, g_musicVolume);
}

int Script_SetMusicVolume(lua_State* state)
{
    const float volume = ReadFloat(state, 1);
    if (g_pSoundManager) {
        g_pSoundManager->ApplyMusicVolume(volume);
    } else {
        g_musicVolume = volume;
    }
    return 0;
}

int Script_GetMouse(lua_State* state)
{
    return PushNumber(state, g_mouse);
}

int Script_SetMouse(lua_State* state)
{
    g_mouse = ReadFloat(state, 1);
    return 0;
}

int Script_GetBrightness(lua_State* state)
{
    return PushNumber(state, g_plane);
}

int Script_SaveLog(lua_State* state)
{
    ReadText(state, 1);
    return 0;
}

int Script_GetMusicName(lua_State* state)
{
    lua_pushstring(state, g_pMusic ? g_pMusic->GetFileName().c_str() : "");
    return 1;
}

int Script_PlayMusicNoLoop(lua_State* state)
{
    const char* name = ReadText(state, 1);
    if (!g_pMusic || !name) return 0;
    g_pMusic->Play(name, 0);
    g_pMusic->Start();
    return 0;
}

int Script_StopSounds(lua_State*)
{
    if (g_pSoundManager) {
        for (auto& named : g_pSoundManager->GetNamedSounds()) {
            // A name asked for before its sound was loaded has no sound.
            if (!named.second) continue;
            named.second->Stop();
            named.second->Rewind();
        }
    }
    for (CNSound* sound : GetSoundList()) sound->Stop();
    return 0;
}

int Script_SetActions(lua_State* state)
{
    if (g_pActionsManager) g_pActionsManager->actionsEnabled = ReadBool(state, 1);
    FrameDeltaTime = 0.0f;
    return 0;
}

int Script_SaveActions(lua_State*)
{
    SaveActionsFile();
    return 0;
}

int Script_UpdateActions(lua_State*)
{
    SaveAndReloadActionsFile();
    return 0;
}

int Script_LoadActions(lua_State* state)
{
    const char* name = ReadText(state, 1);
    if (name) LoadActionsFile(name);
    return 0;
}

int Script_GetActionNames(lua_State* state)
{
    std::vector<std::string> names;
    std::vector<std::string> keys;
    if (g_pActionsManager) {
        names = g_pActionsManager->actionNames;
        for (const std::string& name : names) keys.push_back(g_pActionsManager->actions[name].key);
    }
    lua_pushnumber(state, static_cast<double>(names.size()));
    PushTextTable(state, names);
    PushTextTable(state, keys);
    return 3;
}

int Script_SetAssignKey(lua_State*)
{
    if (g_pActionsManager) g_pActionsManager->assignKeyMode = true;
    return 0;
}

int Script_SetAction(lua_State* state)
{
    if (g_pActionsManager) g_pActionsManager->SetAction(ReadTextOrEmpty(state, 1), ReadTextOrEmpty(state, 2));
    return 0;
}
