#include "script/ObjectFunctions.h"
#include "script/ScriptTables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// The names of each table in table order, as the game's scripts know them.
const std::vector<std::string> kMainNames = {
    "SetPlayerName", "ChangeGameCamera", "GetPlayerName", "PlayerApplyImpulse", "PlayerNitro", "SetTemp",
    "SetFOV", "GetPlayerSpeed", "SetMotionBlur", "SetCamera", "SetKills", "GetAICount", "InitPlayer", "Shot",
    "GetEnemyData", "StopScript", "CrossPlayerRay", "ClearTimer", "SetActions", "PlaySpecialSound3D",
    "PlaySpecialSound", "UpdateInterface", "CreateInterface", "ActivateInterface", "DeactivateInterface",
    "SetDefaultCamera", "InitLevel", "StartLevel", "StopLevel", "DeleteLevel", "SetCameraPos",
    "SetCameraZAngle", "SetCarParams", "SetWeaponPos", "CrossInterfaceRay", "GetWeaponInfo", "GetMineInfo",
    "GetSuperWeaponInfo", "GetBumperInfo", "GetEquipmentInfo", "GetArmorInfo", "GetEngineInfo",
    "GetWeaponNames", "GetMineNames", "GetSuperWeaponNames", "GetBumperNames", "GetEquipmentNames",
    "GetArmorNames", "GetEngineNames", "SetWindowVisible", "SetWindowPosition", "GetWindowPosition",
    "SetText", "SetTextString", "SaveLog", "GetCarInfo", "SetCarInfo", "SetMoney", "GetMoney",
    "IsValidGameDataName", "AddEnemy", "GetPlayerPosition", "GetPositionForEnemy", "GetEnemyType",
    "LoadMissionInfo", "GetCheckPointInfo", "IsEnemySourceNear", "GetCheckPointsCount",
    "UpdateInterfaceBuffers", "SetLevelTime", "SetBonus", "CommitCarSettings", "SmartBomb",
    "SetWindowPositionShop", "StopSounds", "PlayMusicNoLoop", "GetSoundVolume", "SetSoundVolume",
    "GetMusicVolume", "SetMusicVolume", "GetMouse", "SetMouse", "GetBrightness", "SetBrightness",
    "GetMusicName", "GetActionNames", "SetCursor", "SetAssignKey", "SetAction", "GetCurrentMission",
    "SetCurrentMission", "SaveGame", "LoadGame", "GetSaves", "DeleteSave", "ChangeCheckpointPosition",
    "AutoSetting", "GetCurrentResolution", "DumpAIInfo", "SetDifficulty", "GetDifficult", "GetActiveCar",
    "ActivateAbilities", "SetPlayersPanel", "NewPlayer", "IMenuRight", "IMenuLeft", "GetRoundsNumber",
    "GetCurrentRound", "SetNumRounds", "SetEditBoxText", "EditBoxTextLength", "EditBoxProcessKey",
    "GetEditBoxText", "UpdateRoundsTime", "GetTime", "CreateArrow", "DrawArrow", "GetAIPositions",
    "SaveActions", "LoadActions", "SetPosition", "GetPosition", "SetRotation", "GetBBoxInfo", "Explosion",
    "GetLevelSize", "CheckVisible", "SetFont", "SetFontString", "DeselectCurrentButton",
    "GetCameraPositions", "GetCameraZAngle", "IsPlayerMoveForward", "GetLight", "SetLight",
    "SilentActivateInterface", "GetPlayerSplineAngle", "SetProfileName", "GetProfileName",
    "UpdateSoundPosition", "GetSplineLinePoint", "GetSplineLineCount", "AddBonus", "EraseBonus",
    "GetBonusList", "GetClosestLineCenter", "DirectionalExplosion", "StartLighting", "UpdateTrasser",
    "DrawLine", "StopPlayerCar", "GetPlayerDirection", "GetPlayerMass", "SetAbilitiesCount", "LockPlayers",
    "LockPlayer", "CheckIntersection", "ThrowPlayer", "GetNearestBrightwardPlayer",
    "GetNearestDuskwardPlayer", "ApplyImpulse", "GetBonusesCount", "ClearBonuses", "ClearLevelTimers",
    "SetUpdateTime", "SetPlayerType", "GetNumRacesPassed", "SetNumRacesPassed", "ClearGameData",
    "GetRecords", "GetCurrentRace", "SetCurrentRace", "CheckPlayerRecords", "SaveScore", "SetRoundTime",
    "GetRoundTime", "SetWindowSize", "GetPlayerDamage", "GetAIDamage", "SetMaxAbilityCount", "GetPlayerMana",
    "SetPlayerMana", "Clone", "IsPlayerDead", "GetHelthBarCoord", "SetLevelStarted", "SetLensFlare",
    "SetTimeBonus", "GetFullTime", "Pup", "Pdown", "Pleft", "Pright", "GetObjectSpeed", "StopSpecialSound",
    "IsSpecialSoundPlaying", "IsRaceStarted", "IsWeather", "IsLightLeft", "IsDarkLeft", "GetTemp",
    "IsPlayerMovingBackwards", "SetLevelTransportCount", "StopPlayingMusic", "IsDead", "UpdateActions",
    "IsInGloom", "IsDamageMsg", "GetPlayerSlide", "InitWarning", "GetNitro", "IsNitro", "SetReversed",
    "IsLevelStarted", "SetPlaceToFinish", "GetTimeBest", "GetCheckpointTime", "GetPoints", "SetPoints",
    "GetTextPosition", "SetTextPosition", "IsSingleMode", "IsFileExists", "GetTextureSize", "GoURL",
    "IsTimeMode", "GetBestTimeAttack", "GetTimeAttack", "GoURLlink",
};

const std::vector<std::string> kGameInterfaceNames = {
    "SetRadialBlur", "SetCameraPlayer", "SetBrake", "AddScore", "GetScore", "IsInTable", "SetScoreLine",
    "GetScoreLine", "PlayerShot", "Jump", "SetCursor", "EngineState", "GetCursor", "PlayVideo",
    "PlayVideoNoSound", "PlayVideo1", "StopVideo", "StopVideo1", "UpdateScore", "UpdateTime",
    "ShowCheckPoint", "KillPlayer", "DamagePlayer", "SetShot", "SetMineShot", "IsRigid", "StartAnimation",
    "FindObject", "SetCurrentWeapon", "SetPrevWeapon", "SetNextWeapon", "GetRealCarInfo",
    "GetWindowPosition", "InitGameInterface", "UpdateGameInterface", "StopGlobalTimer", "StartGlobalTimer",
    "ClearGlobalTimer", "SetDifficult", "GetDifficulty", "SetObjectVisible", "ActivateAbilitiesAI",
    "GetPlayerSpeedAI", "PlayerNitroAI", "SetAbilitiesCountAI", "GetPlayerDirectionAI", "SetLightCoeff",
    "GetCameraPlayer", "Spawn", "GetFov1", "GetFov2",
};

const std::vector<std::string> kObjectNames = {
    "GetDeltaTime", "AddRef", "DumpObjects", "Release", "SendCommandByName", "SendCommandByObject",
    "SendCommandByCategory", "SetNextCommand", "GetCurrentCommand", "GetCurrentParams", "PointerToString",
    "StringToPointer", "SetPTransformation", "CheckString", "GetChildObject", "SetVisible", "SetCollision",
    "SplitString", "LoadRenderObject", "DrawDynamicObject", "SetAnimation", "GetParentObject",
    "ActivateObject", "DeactivateObject", "SetFade", "LockButton", "UnlockButton", "KillAllTasks", "ToInt",
    "PlayMusic",
};

std::vector<std::string> NamesOf(const ScriptFunctionEntry* table)
{
    std::vector<std::string> names;
    for (; table->name; ++table) names.push_back(table->name);
    return names;
}

lua_CFunction FunctionOf(const ScriptFunctionEntry* table, const std::string& name)
{
    for (; table->name; ++table) {
        if (name == table->name) return table->func;
    }
    return nullptr;
}

struct TableCase {
    const char* name;
    const ScriptFunctionEntry* table;
    int size;
    const std::vector<std::string>* names;
};

class ScriptTable : public testing::TestWithParam<TableCase> {};

TEST_P(ScriptTable, HoldsEveryNameInOrderEndedByAPairOfNulls)
{
    const TableCase& table = GetParam();
    EXPECT_EQ(NamesOf(table.table), *table.names);
    EXPECT_EQ(table.table[table.size].name, nullptr);
    EXPECT_EQ(table.table[table.size].func, nullptr);
    for (int i = 0; i < table.size; ++i) EXPECT_NE(table.table[i].func, nullptr) << table.table[i].name;
}

INSTANTIATE_TEST_SUITE_P(Tables, ScriptTable,
                         testing::Values(TableCase{"Main", MainScriptTable, 230, &kMainNames},
                                         TableCase{"GameInterface", GameInterfaceScriptTable, 51,
                                                   &kGameInterfaceNames},
                                         TableCase{"Object", ObjectScriptTable, 30, &kObjectNames}),
                         [](const testing::TestParamInfo<TableCase>& info) { return info.param.name; });

TEST(ScriptTables, NamesThatShareAFunctionShareIt)
{
    EXPECT_EQ(FunctionOf(MainScriptTable, "GetCurrentMission"), FunctionOf(MainScriptTable, "GetCurrentRace"));
    EXPECT_EQ(FunctionOf(MainScriptTable, "SetCurrentMission"), FunctionOf(MainScriptTable, "SetCurrentRace"));
    for (const char* name : {"DumpAIInfo", "CreateArrow", "DrawArrow"}) {
        EXPECT_EQ(FunctionOf(MainScriptTable, "SetBrightness"), FunctionOf(MainScriptTable, name)) << name;
    }
    EXPECT_EQ(FunctionOf(MainScriptTable, "DeactivateInterface"), FunctionOf(ObjectScriptTable, "DeactivateObject"));
    EXPECT_EQ(FunctionOf(MainScriptTable, "ClearTimer"), FunctionOf(GameInterfaceScriptTable, "ClearGlobalTimer"));
}

TEST(ScriptTables, EveryObjectFunctionIsAFunctionOfItsOwn)
{
    std::set<lua_CFunction> functions;
    for (const ScriptFunctionEntry* entry = ObjectScriptTable; entry->name; ++entry) functions.insert(entry->func);
    EXPECT_EQ(functions.size(), 30u);
    EXPECT_EQ(FunctionOf(ObjectScriptTable, "SetVisible"), &Script_SetVisible);
}

} // namespace
