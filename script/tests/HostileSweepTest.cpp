#include "script/tests/ScriptTest.h"

#include "script/ScriptTables.h"

#include "game/tests/LevelLoadFixture.h"

#include "core/PGameObject.h"
#include "core/ShellOpen.h"
#include "game/PLevel.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <set>

namespace {

const int kPositions = 8;
const size_t kLongText = 1 << 20;

std::vector<std::string> g_shellCalls;

// The sweep hands texts to the shell's "open": they are recorded instead.
void RecordShellCall(const char* target)
{
    g_shellCalls.push_back(target);
}

struct Hostile {
    const char* what;
    std::function<void(lua_State*)> push;
};

// The level the functions meet: none, one only constructed, "level1"
// loaded, and "level1" loaded and started.
enum class LevelState { None, Bare, Loaded, Started };

// Functions that replace, delete, start or stop the level: the state is
// made again after each of them.
const std::set<std::string> kLevelLifeFunctions = {"InitLevel", "DeleteLevel", "StartLevel", "StopLevel"};

// Every function of every table called with every kind of wrong argument in
// every place, each table entry on a fresh state: nothing may crash, every
// call leaves the stack as it found it, and the state still works after.
class HostileSweep : public LevelLoad, public testing::WithParamInterface<LevelState> {
protected:
    HostileSweep() : log("sweep.log"), live("live"), gone(new CPGameObject("gone")), goneAddress(gone.get())
    {
        gone.reset();
        g_shellCalls.clear();
        SetShellOpenFunction(RecordShellCall);
        const std::string longText(kLongText, 'x');
        const std::string nuls("a\0b\0", 4);
        const double big = 1e300, twoTo31 = 2147483648.0;
        values = {
            {"a table", [](lua_State* s) { lua_newtable(s); }},
            {"a function", [](lua_State* s) { lua_pushcfunction(s, [](lua_State*) { return 0; }); }},
            {"true", [](lua_State* s) { lua_pushboolean(s, 1); }},
            {"a string", [](lua_State* s) { lua_pushstring(s, "name"); }},
            {"light userdata 0", [](lua_State* s) { lua_pushlightuserdata(s, nullptr); }},
            {"a destroyed object", [this](lua_State* s) { lua_pushlightuserdata(s, goneAddress); }},
            {"an object of another class", [this](lua_State* s) { lua_pushlightuserdata(s, &receiver); }},
            {"a live game object", [this](lua_State* s) { lua_pushlightuserdata(s, &live); }},
            {"an invented handle", [](lua_State* s) { lua_pushlightuserdata(s, reinterpret_cast<void*>(12345)); }},
            {"1e300", [big](lua_State* s) { lua_pushnumber(s, big); }},
            {"-1e300", [big](lua_State* s) { lua_pushnumber(s, -big); }},
            {"NaN", [](lua_State* s) { lua_pushnumber(s, std::nan("")); }},
            {"2^31", [twoTo31](lua_State* s) { lua_pushnumber(s, twoTo31); }},
            {"-2^31", [twoTo31](lua_State* s) { lua_pushnumber(s, -twoTo31); }},
            {"a 1 MB string", [longText](lua_State* s) { lua_pushlstring(s, longText.data(), longText.size()); }},
            {"NULs", [nuls](lua_State* s) { lua_pushlstring(s, nuls.data(), nuls.size()); }},
            {"..\\", [](lua_State* s) { lua_pushstring(s, "..\\"); }},
        };
    }
    ~HostileSweep() override
    {
        delete GetLevel();
        SetShellOpenFunction(nullptr);
        tasks.GetTasks().clear();
    }

    void MakeLevelState()
    {
        delete GetLevel();
        tasks.GetTasks().clear();
        if (GetParam() == LevelState::None) return;
        CPLevel* level = new CPLevel();
        if (GetParam() == LevelState::Bare) return;
        // The sweep's SetPlayerName may have named a car that level1 lacks.
        data.carKey.clear();
        ASSERT_TRUE(level->Load("level1", false, false));
        if (GetParam() == LevelState::Started) level->StartLevel();
    }

    // Calls the function with the arguments pushed; false when the stack is
    // not back where it was.
    bool CallBalanced(lua_State* state, lua_CFunction function, const std::function<void(lua_State*)>& arguments)
    {
        const int top = lua_gettop(state);
        lua_pushcfunction(state, function);
        arguments(state);
        lua_pcall(state, lua_gettop(state) - top - 1, 0, 0);
        const bool balanced = lua_gettop(state) == top || lua_gettop(state) == top + 1; // an error message
        lua_settop(state, top);
        return balanced;
    }

    void Sweep(const ScriptFunctionEntry& entry)
    {
        ScriptHost scripts(log);
        lua_State* state = scripts.GetState();
        const auto nils = [](lua_State* s) {
            for (int i = 0; i < kPositions; ++i) lua_pushnil(s);
        };
        EXPECT_TRUE(CallBalanced(state, entry.func, [](lua_State*) {})) << entry.name << "()";
        EXPECT_TRUE(CallBalanced(state, entry.func, nils)) << entry.name << " with nils";
        for (int position = 0; position < kPositions; ++position) {
            for (const Hostile& value : values) {
                const auto arguments = [&](lua_State* s) {
                    for (int i = 0; i < kPositions; ++i) {
                        if (i == position) {
                            value.push(s);
                        } else {
                            lua_pushnil(s);
                        }
                    }
                };
                EXPECT_TRUE(CallBalanced(state, entry.func, arguments))
                    << entry.name << ": " << value.what << " at " << position + 1;
            }
        }
        ASSERT_EQ(luaL_dostring(state, "return ToInt(2.5) + 1"), 0) << entry.name;
        EXPECT_EQ(lua_tonumber(state, -1), 3) << entry.name;
    }

    GameLog log;
    KeepingReceiver receiver;
    CPGameObject live;
    std::unique_ptr<CPGameObject> gone;
    void* goneAddress;
    std::vector<Hostile> values;
};

TEST_P(HostileSweep, NoFunctionCrashesOrUnbalancesTheStack)
{
    MakeLevelState();
    for (const ScriptFunctionEntry* table : {MainScriptTable, GameInterfaceScriptTable, ObjectScriptTable}) {
        for (const ScriptFunctionEntry* entry = table; entry->name; ++entry) {
            Sweep(*entry);
            if (kLevelLifeFunctions.count(entry->name)) MakeLevelState();
        }
    }
    // Texts reached the shell's "open" only through the recorder.
    EXPECT_NE(std::find(g_shellCalls.begin(), g_shellCalls.end(), "name"), g_shellCalls.end());
}

std::string LevelStateName(const testing::TestParamInfo<LevelState>& info)
{
    const char* const names[] = {"WithoutALevel", "WithABareLevel", "WithALoadedLevel", "WithAStartedLevel"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Levels, HostileSweep, testing::Values(LevelState::None, LevelState::Bare, LevelState::Loaded,
                                                                 LevelState::Started),
                         LevelStateName);

} // namespace
