// Times the script layer against the bare Lua calls it is built on: a
// script calling SetVisible on a game object 100,000 times against a
// native function that reads the same arguments and does nothing else, and
// a frame of 50 receivers with empty steps against 50 plain protected calls
// of an empty function, 2000 frames. Each figure is the fastest of many
// short rounds, the two sides taking turns: on a busy machine a long round
// is seldom left to run undisturbed, and its figure is the machine's load.

#include "script/GameLog.h"
#include "script/ScriptArguments.h"
#include "script/ScriptHost.h"
#include "script/ScriptReceiver.h"

#include "core/PCommandManager.h"
#include "core/PDataFileWriter.h"
#include "core/PGameObject.h"
#include "core/PTaskManager.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kRounds = 150;
const int kCalls = 100000;
const int kReceivers = 50;
const int kFrames = 2000;
const double kCallLimit = 1.5;
const double kStepLimit = 1.2;

// Reads what SetVisible reads and sets nothing.
int BareNative(lua_State* state)
{
    volatile bool seen = lua_touserdata(state, 1) != nullptr && lua_toboolean(state, 2) != 0;
    (void)seen;
    return 0;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double TimeChunk(lua_State* state, const char* code)
{
    luaL_loadstring(state, code);
    const auto start = std::chrono::steady_clock::now();
    lua_call(state, 0, 0);
    return Seconds(start);
}

void WriteFile(const std::string& path, const std::string& text)
{
    CPDataFileWriter writer(path, false);
    writer.Write(text.data(), text.size());
    writer.Save();
}

// 50 receivers of an empty step, written into a scratch "Data\Scripts".
void WriteReceivers()
{
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Data\\Scripts", nullptr);
    std::string list;
    for (int i = 0; i < kReceivers; ++i) list += "r" + std::to_string(i) + ",empty.lua\n";
    WriteFile(ScriptHost::kReceiverList, list);
    WriteFile("Data\\Scripts\\empty.lua", "return function(self) end\n");
}

void RemoveReceivers()
{
    DeleteFileA(ScriptHost::kReceiverList);
    DeleteFileA("Data\\Scripts\\empty.lua");
    RemoveDirectoryA("Data\\Scripts");
    RemoveDirectoryA("Data");
}

double TimeReceiverFrames(ScriptHost& scripts)
{
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kFrames; ++frame) {
        for (const auto& receiver : scripts.GetReceivers()) receiver->Execute();
    }
    return Seconds(start);
}

// What a host without the receiver frame would do: fetch each receiver's
// step and call it under protection with the receiver's handle.
struct PlainStep {
    int reference;
    void* handle;
};

double TimePlainCalls(lua_State* state, const std::vector<PlainStep>& steps)
{
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kFrames; ++frame) {
        for (const PlainStep& step : steps) {
            lua_rawgeti(state, LUA_REGISTRYINDEX, step.reference);
            lua_pushlightuserdata(state, step.handle);
            lua_pcall(state, 1, 0, 0);
        }
    }
    return Seconds(start);
}

void Report(const char* what, double measured, double baseline, double limit)
{
    std::printf("ratio %s: %.3f (limit <= %.1f)\n", what, measured / baseline, limit);
}

} // namespace

int main()
{
    GameLog log("script_bench.log");
    CPCommandManager bus;
    CPTaskManager tasks;
    g_pCommandManager = &bus;
    g_pTaskManager = &tasks;
    WriteReceivers();
    {
        ScriptHost scripts(log);
        lua_State* state = scripts.GetState();
        scripts.Start();
        CPGameObject object("bench");
        lua_pushlightuserdata(state, &object);
        lua_setglobal(state, "object");
        lua_register(state, "BareNative", BareNative);
        const std::string loop = "for i = 1, " + std::to_string(kCalls) + " do ";
        const std::string viaTable = loop + "SetVisible(object, true) end";
        const std::string viaBare = loop + "BareNative(object, true) end";

        std::vector<PlainStep> plainSteps;
        for (const auto& receiver : scripts.GetReceivers()) {
            plainSteps.push_back(PlainStep{receiver->GetStepReference(), receiver.get()});
        }
        double table = 1e9, bare = 1e9, steps = 1e9, plain = 1e9;
        for (int round = 0; round < kRounds; ++round) {
            table = std::min(table, TimeChunk(state, viaTable.c_str()));
            bare = std::min(bare, TimeChunk(state, viaBare.c_str()));
            steps = std::min(steps, TimeReceiverFrames(scripts));
            plain = std::min(plain, TimePlainCalls(state, plainSteps));
        }
        std::printf("%d calls: SetVisible %.1f ms, bare native %.1f ms; %d frames of %d receivers: steps %.1f ms, "
                    "plain calls %.1f ms\n",
                    kCalls, table * 1e3, bare * 1e3, kFrames, kReceivers, steps * 1e3, plain * 1e3);
        Report("SetVisible from a script / bare native function", table, bare, kCallLimit);
        Report("50 receiver steps / 50 plain protected calls", steps, plain, kStepLimit);
        tasks.GetTasks().clear();
    }
    RemoveReceivers();
    g_pCommandManager = nullptr;
    g_pTaskManager = nullptr;
    return 0;
}
