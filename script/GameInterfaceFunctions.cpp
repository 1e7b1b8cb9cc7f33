#include "script/GameInterfaceFunctions.h"

#include "script/ScriptArguments.h"

#include "Render/PAVIPlayer.h"
#include "Render/PAVIPlayer1.h"
#include "Render/PRender.h"
#include "core/PCommandManager.h"
#include "core/PTaskManager.h"
#include "core/Settings.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "interface/PInterface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

const int kTextSize = 32;
const float kMinutesPerSecond = 0.016666668f;
const int kSecondsPerMinute = 60;
const int kOverheatWindows = 12;
const int kBulletWindows = 17;
const int kSuperWeaponWindows = 3;
const int kVideoPriority = 400;
const int kThirdPersonCamera = 1;
const int kDefaultCamera = 0;

// The windows of the fitted set-up that InitGameInterface hides first.
const char* const kSetupWindows[] = {"krest",    "steel",        "steelfibre",   "titan",     "energy",   "engine1",
                                     "engine2",  "engine3",      "analyzer",     "repair",    "laser",    "bullets",
                                     "firerate", "damage",       "regeneration", "analyzer2", "repair2",  "laser2",
                                     "bullets2", "firerate2",    "damage2",      "regeneration2", "noequipment1",
                                     "noequipment2"};
// Every weapon that a slot window can show, in its on and off looks.
const char* const kWeaponWindows[] = {"lgun",   "lgun2x",    "gauss",       "shotgun", "mgun",        "mgun2x",
                                      "hmgun",  "rlauncher", "ssrlauncher", "plasma",  "firethrower", "autoshotgun"};
const char* const kOffSuffix = "_off";
// The mine windows and the slot and super-weapon windows hidden before
// each update.
const char* const kHudWindows[] = {"contact", "emcontact", "timer",    "nocontact", "emnocontact", "cassette",
                                   "no_mina", "mines",     "slot1",    "slot2",     "slot3",       "nosuper1",
                                   "nosuper2", "nosuper3", "super1",   "super2",    "super3"};
const char* const kNoMineWindow = "no_mina";
const char* const kMinesWindow = "mines";

// The cursor of each weapon kind up to the last one that has a cursor;
// kinds beyond leave the cursor as it is.
const char* const kCursorOfKind[] = {"bullet", "bullet", "bullet", "rocket", "rocket",
                                     "plazma", "bullet", "plazma", "shotgun"};
const int kLastCursorKind = 8;

std::string Format(const char* format, int value)
{
    char text[kTextSize];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

std::string Numbered(const char* stem, int number)
{
    return stem + std::to_string(number);
}

CPInterface* ReadScreen(lua_State* state)
{
    return ReadHandle<CPInterface>(state, 1);
}

CPPlayer* FollowedCar(const CPLevel& level)
{
    return dynamic_cast<CPPlayer*>(level.cameraCar);
}

int RoundHalfUp(float value)
{
    return NarrowToInt(std::floor(value + 0.5f));
}

// Windows stem1 to stemN: the first `lit` shown, the rest hidden.
void ShowGauge(CPInterface& screen, const char* stem, int windows, int lit)
{
    for (int i = 1; i <= windows; ++i) screen.ShowWindowByName(Numbered(stem, i), i <= lit);
}

void ShowOneOf(CPInterface& screen, const std::string& name, const std::string& otherwise)
{
    screen.ShowWindowByName(name.empty() ? otherwise : name, true);
}

// Moves the window onto the place of another and shows it.
void ShowInPlaceOf(CPInterface& screen, const std::string& name, const std::string& place)
{
    float x = 0.0f;
    float y = 0.0f;
    if (screen.GetWindowPosition(place, x, y)) screen.SetWindowPosition(name, x, y);
    screen.ShowWindowByName(name, true);
}

void HideHudWindows(CPInterface& screen)
{
    for (const char* name : kWeaponWindows) {
        screen.ShowWindowByName(name, false);
        screen.ShowWindowByName(std::string(name) + kOffSuffix, false);
    }
    for (const char* name : kHudWindows) screen.ShowWindowByName(name, false);
}

void ShowSuperWeapons(CPInterface& screen, const CarSettings& setup)
{
    for (int i = 1; i <= kSuperWeaponWindows; ++i) {
        screen.ShowWindowByName(Numbered(setup.superWeaponCount < i ? "nosuper" : "super", i), true);
    }
}

void ShowWeaponSlots(CPInterface& screen, const CarSettings& setup, int currentSlot)
{
    for (int slot = 0; slot < CarSettings::kWeaponSlots; ++slot) {
        const std::string slotWindow = Numbered("slot", slot + 1);
        const std::string& weapon = setup.weapons[slot];
        if (weapon.empty()) {
            screen.ShowWindowByName(slotWindow, true);
        } else {
            ShowInPlaceOf(screen, slot == currentSlot ? weapon : weapon + kOffSuffix, slotWindow);
        }
    }
}

// The car keeps no mine count of its own: its mines are the fitted mine
// item's load (the item's first number) until they are spent.
int MinesLeft(const CPPlayer& car, const CPGameData& data)
{
    const MineDefinition* mine = data.mines.Find(data.activeSetup.mine);
    return mine && !car.minesEmpty ? mine->number1 : 0;
}

void ShowMines(CPInterface& screen, const CPPlayer* car, const CPGameData& data)
{
    if (car && car->hasMines) {
        screen.ShowWindowByName(kMinesWindow, true);
        screen.SetTextByName(kMinesWindow, Format("%02d", MinesLeft(*car, data)));
        ShowInPlaceOf(screen, data.activeSetup.mine, kNoMineWindow);
    } else {
        screen.ShowWindowByName(kNoMineWindow, true);
        screen.SetTextByName(kMinesWindow, "00");
    }
}

float AmmunitionFraction(const CPPlayer* car)
{
    if (!car || car->weaponSlot < 0 || car->weaponSlot >= CPPlayer::kWeaponSlots) return 0.0f;
    return car->ammunition[car->weaponSlot];
}

void ChooseCursor(CPInterface& screen, const CPPlayer* car)
{
    if (!car || car->weaponType < 0 || car->weaponType > kLastCursorKind) return;
    screen.SetCursorByName(kCursorOfKind[car->weaponType]);
}

int PlayFirstVideo(lua_State* state, bool noSound)
{
    const char* name = ReadText(state, 1);
    if (!name || !g_pVideoPlayer) return 0;
    g_pVideoPlayer->Play(name, noSound);
    g_pVideoPlayer->SetPriority(kVideoPriority);
    if (g_pTaskManager) g_pTaskManager->AddTask(RefPtr<IPProcess>(g_pVideoPlayer));
    return 0;
}

void StopWhilePlaying(IPProcess* player)
{
    if (player && player->IsRunning()) player->Stop();
}

int PushLevelNumber(lua_State* state, float CPLevel::*field)
{
    CPLevel* level = GetLevel();
    return level ? PushNumber(state, level->*field) : 0;
}

} // namespace

int Script_UpdateScore(lua_State* state)
{
    if (CPInterface* screen = ReadScreen(state)) screen->SetTextByName("score", Format("%05d", ReadInt(state, 2)));
    return 0;
}

int Script_UpdateTime(lua_State* state)
{
    CPInterface* screen = ReadScreen(state);
    CPLevel* level = GetLevel();
    if (!screen || !level) return 0;
    const float time = level->levelTime;
    const int minutes = NarrowToInt(time * kMinutesPerSecond);
    const int seconds = NarrowToInt(time - static_cast<float>(kSecondsPerMinute * minutes));
    char text[kTextSize];
    std::snprintf(text, sizeof(text), "%02d:%02d", minutes, seconds);
    screen->SetTextByName("time", text);
    const CPPlayer* car = FollowedCar(*level);
    ShowGauge(*screen, "overheat", kOverheatWindows,
              car ? RoundHalfUp(car->engineTemp * static_cast<float>(kOverheatWindows)) : 0);
    if (CPGameData* data = GetGameData()) screen->SetTextByName("kills", Format("%05d", data->kills));
    return 0;
}

int Script_InitGameInterface(lua_State* state)
{
    CPInterface* screen = ReadScreen(state);
    CPGameData* data = GetGameData();
    if (!screen || !data) return 0;
    for (const char* name : kSetupWindows) screen->ShowWindowByName(name, false);
    const CarSettings& setup = data->activeSetup;
    ShowOneOf(*screen, setup.armor, "krest");
    if (!setup.engine.empty()) screen->ShowWindowByName(setup.engine, true);
    ShowOneOf(*screen, setup.equipment[0], "noequipment1");
    ShowOneOf(*screen, setup.equipment[1].empty() ? std::string() : setup.equipment[1] + "2", "noequipment2");
    return 0;
}

int Script_UpdateGameInterface(lua_State* state)
{
    CPInterface* screen = ReadScreen(state);
    CPGameData* data = GetGameData();
    if (!screen || !data) return 0;
    CPLevel* level = GetLevel();
    const CPPlayer* car = level ? FollowedCar(*level) : nullptr;
    HideHudWindows(*screen);
    ShowSuperWeapons(*screen, data->activeSetup);
    screen->SetTextByName("life", Format("%03d", car ? NarrowToInt(car->life) : 0));
    ShowWeaponSlots(*screen, data->activeSetup, car ? car->weaponSlot : -1);
    ShowMines(*screen, car, *data);
    ShowGauge(*screen, "bullet", kBulletWindows,
              RoundHalfUp(AmmunitionFraction(car) * static_cast<float>(kBulletWindows)));
    ChooseCursor(*screen, car);
    screen->UpdateBuffers();
    return 0;
}

int Script_EngineState(lua_State* state)
{
    CPInterface* screen = ReadScreen(state);
    CPGameData* data = GetGameData();
    if (screen && data && !data->activeSetup.engine.empty()) {
        screen->ShowWindowByName(data->activeSetup.engine, ReadBool(state, 2));
    }
    return 0;
}

int Script_GetCursor(lua_State* state)
{
    CPInterface* screen = ReadScreen(state);
    lua_pushstring(state, screen ? screen->cursorName.c_str() : "");
    return 1;
}

int Script_GetRealCarInfo(lua_State* state)
{
    CPGameData* data = GetGameData();
    if (!data) return 0;
    const CarSettings& setup = data->activeSetup;
    PushTexts(state, {setup.weapons[0], setup.weapons[1], setup.weapons[2], setup.equipment[0], setup.equipment[1],
                      setup.bumper, setup.engine, setup.armor, setup.superWeapon});
    lua_pushnumber(state, setup.superWeaponCount);
    lua_pushstring(state, setup.mine.c_str());
    return 11;
}

int Script_AddScore(lua_State* state)
{
    ReadInt(state, 1);
    lua_pushnil(state);
    return 1;
}

int Script_GetScore(lua_State* state)
{
    CPGameData* data = GetGameData();
    return PushNumber(state, data ? data->kills : 0);
}

int Script_IsInTable(lua_State* state)
{
    lua_pushboolean(state, 0);
    return 1;
}

int Script_SetScoreLine(lua_State*)
{
    return 0;
}

int Script_GetScoreLine(lua_State* state)
{
    lua_pushstring(state, "");
    lua_pushnumber(state, 0);
    return 2;
}

int Script_PlayVideo(lua_State* state)
{
    return PlayFirstVideo(state, false);
}

int Script_PlayVideoNoSound(lua_State* state)
{
    return PlayFirstVideo(state, true);
}

int Script_PlayVideo1(lua_State* state)
{
    const char* name = ReadText(state, 1);
    if (!name || !g_pVideoPlayer1) return 0;
    g_pVideoPlayer1->Play(name);
    g_pVideoPlayer1->SetPriority(kVideoPriority);
    if (g_pTaskManager) g_pTaskManager->AddTask(RefPtr<IPProcess>(g_pVideoPlayer1));
    return 0;
}

int Script_StopVideo(lua_State*)
{
    StopWhilePlaying(g_pVideoPlayer);
    return 0;
}

int Script_StopVideo1(lua_State*)
{
    StopWhilePlaying(g_pVideoPlayer1);
    return 0;
}

int Script_PlayerShot(lua_State*)
{
    if (CPLevel* level = GetLevel()) level->playerShotRequest = true;
    return 0;
}

int Script_SetCameraPlayer(lua_State* state)
{
    if (CPLevel* level = GetLevel()) level->SetCameraMode(ReadBool(state, 1) ? kThirdPersonCamera : kDefaultCamera);
    return 0;
}

int Script_GetCameraPlayer(lua_State* state)
{
    CPLevel* level = GetLevel();
    return level ? PushNumber(state, level->cameraMode) : 0;
}

int Script_GetFov1(lua_State* state)
{
    return PushLevelNumber(state, &CPLevel::fov1);
}

int Script_GetFov2(lua_State* state)
{
    return PushLevelNumber(state, &CPLevel::fov2);
}

int Script_ShowCheckPoint(lua_State*)
{
    CPLevel* level = GetLevel();
    if (!level) return 0;
    if (level->checkpoints.empty()) {
        level->checkpointMarker = nullptr;
        return 0;
    }
    // The checkpoints are a ring: after the last comes the first again.
    const int count = static_cast<int>(level->checkpoints.size());
    const int next = (std::max(level->currentCheckpoint, -1) + 1) % count;
    level->checkpointMarker = level->checkpoints[static_cast<size_t>(next)].checkpoint;
    if (!level->checkpointMarker) return 0;
    level->checkpointMarker->SetVisible(true);
    if (CPCommandManager* bus = GetCommandManager()) bus->SendCommandByCategory("main", "say_show", "");
    return 0;
}

int Script_GetDifficulty(lua_State* state)
{
    lua_pushboolean(state, g_cam_speed != 0);
    return 1;
}

int Script_SetDifficult(lua_State* state)
{
    if (CPGameData* data = GetGameData()) {
        data->difficultyFlag = ReadBool(state, 1);
        data->LoadCoefficients();
    }
    return 0;
}

int Script_SetLightCoeff(lua_State* state)
{
    if (g_pRender) g_pRender->SetLightCoeff(ReadFloat(state, 1));
    return 0;
}

int Script_SetRadialBlur(lua_State* state)
{
    if (g_pRender) g_pRender->SetRadialBlur(ReadFloat(state, 1));
    return 0;
}
