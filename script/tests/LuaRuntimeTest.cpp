#include <gtest/gtest.h>

// Lua is compiled as C++ here, so its headers are included without C linkage.
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

namespace {

int Twice(lua_State* state)
{
    lua_pushnumber(state, 2 * lua_tonumber(state, 1));
    return 1;
}

const luaL_reg kFunctions[] = {
    {"Twice", Twice},
    {nullptr, nullptr},
};

TEST(LuaRuntime, ScriptCallsARegisteredNativeFunction)
{
    lua_State* state = lua_open();
    ASSERT_NE(state, nullptr);
    luaL_openlib(state, "native", kFunctions, 0);
    ASSERT_EQ(luaL_dostring(state, "return native.Twice(21)"), 0);
    EXPECT_EQ(lua_tonumber(state, -1), 42);
    lua_close(state);
}

TEST(LuaRuntime, NumbersBecomeIntegersByTruncation)
{
    lua_State* state = lua_open();
    luaL_openlibs(state);
    ASSERT_EQ(luaL_dostring(state, "return string.format('%d', 7.9)"), 0);
    EXPECT_STREQ(lua_tostring(state, -1), "7");
    lua_close(state);
}

} // namespace
