#include "script/tests/ScriptTest.h"

#include <fstream>
#include <iterator>

ScriptTest::ScriptTest() : log("script_test.log"), scripts(log), state(scripts.GetState())
{
    log.Clear();
    g_pCommandManager = &bus;
    g_pTaskManager = &tasks;
}

ScriptTest::~ScriptTest()
{
    tasks.GetTasks().clear();
    g_pCommandManager = nullptr;
    g_pTaskManager = nullptr;
}

std::vector<std::string> ChunkResults(lua_State* state, const std::string& code)
{
    const int top = lua_gettop(state);
    std::vector<std::string> results;
    if (luaL_loadstring(state, code.c_str()) != 0 || lua_pcall(state, 0, LUA_MULTRET, 0) != 0) {
        ADD_FAILURE() << code << ": " << lua_tostring(state, -1);
        lua_settop(state, top);
        return results;
    }
    for (int i = top + 1; i <= lua_gettop(state); ++i) {
        lua_getglobal(state, "tostring");
        lua_pushvalue(state, i);
        lua_call(state, 1, 1);
        results.push_back(lua_tostring(state, -1));
        lua_pop(state, 1);
    }
    lua_settop(state, top);
    return results;
}

std::vector<std::string> ScriptTest::Results(const std::string& code)
{
    return ChunkResults(state, code);
}

std::string ScriptTest::Joined(const std::string& code)
{
    std::string text;
    for (const std::string& result : Results(code)) text += (text.empty() ? "" : "|") + result;
    return text;
}

std::vector<float> ScriptTest::Numbers(const std::string& code)
{
    std::vector<float> numbers;
    for (const std::string& result : Results(code)) numbers.push_back(std::stof(result));
    return numbers;
}

std::string ScriptTest::ErrorOf(const std::string& code)
{
    const int top = lua_gettop(state);
    std::string message;
    if (luaL_loadstring(state, code.c_str()) != 0 || lua_pcall(state, 0, 0, 0) != 0) {
        message = lua_tostring(state, -1);
    }
    // The test's chunk names itself "[string ...]:1:"; the message follows.
    const size_t place = message.find("]:1: ");
    if (place != std::string::npos) message.erase(0, place + 5);
    lua_settop(state, top);
    return message;
}

void ScriptTest::SetGlobalHandle(const char* name, void* address)
{
    lua_pushlightuserdata(state, address);
    lua_setglobal(state, name);
}

void ScriptTest::Register(KeepingReceiver& receiver, const char* name, const char* category)
{
    bus.RegisterReceiver(name, &receiver);
    if (category) bus.AddToCategory(category, &receiver);
    tasks.AddTask(&receiver);
}

std::string ScriptTest::ReadLog() const
{
    std::ifstream file(log.GetPath(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}
