#include "script/tests/ScriptTest.h"

#include "script/ScriptTables.h"

#include "core/PGameObject.h"
#include "game/PLevel.h"

#include <cmath>
#include <functional>
#include <memory>

namespace {

const int kPositions = 8;
const size_t kLongText = 1 << 20;

struct Hostile {
    const char* what;
    std::function<void(lua_State*)> push;
};

// Every function of every table called with every kind of wrong argument in
// every place, each table entry on a fresh state: nothing may crash, every
// call leaves the stack as it found it, and the state still works after.
class HostileSweep : public testing::TestWithParam<bool> {
protected:
    HostileSweep() : log("sweep.log"), live("live"), gone(new CPGameObject("gone")), goneAddress(gone.get())
    {
        gone.reset();
        g_pCommandManager = &bus;
        g_pTaskManager = &tasks;
        if (GetParam()) level.reset(new CPLevel());
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
        level.reset();
        tasks.GetTasks().clear();
        g_pCommandManager = nullptr;
        g_pTaskManager = nullptr;
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
    CPCommandManager bus;
    CPTaskManager tasks;
    std::unique_ptr<CPLevel> level;
    std::vector<Hostile> values;
};

TEST_P(HostileSweep, NoFunctionCrashesOrUnbalancesTheStack)
{
    for (const ScriptFunctionEntry* table : {MainScriptTable, GameInterfaceScriptTable, ObjectScriptTable}) {
        for (const ScriptFunctionEntry* entry = table; entry->name; ++entry) Sweep(*entry);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, HostileSweep, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "WithABareLevel" : "WithoutALevel";
                         });

} // namespace
