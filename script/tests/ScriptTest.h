#pragma once

#include "script/GameLog.h"
#include "script/ScriptArguments.h"
#include "script/ScriptHost.h"

#include "core/PCommandManager.h"
#include "core/PTaskManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Runs the chunk and answers each of its results through "tostring"; a
// chunk that fails adds a test failure and answers nothing.
std::vector<std::string> ChunkResults(lua_State* state, const std::string& code);

// A receiver that keeps its commands for the test to read.
class KeepingReceiver : public CommandReceiver {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "KeepingReceiver"; }
    void Execute() override {}
    int GetTaskValue() override { return 0; }
};

// A script state with the three tables, on a command bus and task manager
// of the test's own, logging into "script_test.log".
class ScriptTest : public testing::Test {
protected:
    ScriptTest();
    ~ScriptTest() override;

    // Runs the chunk and answers each of its results through "tostring".
    std::vector<std::string> Results(const std::string& code);
    // The chunk's results through "tostring", joined with "|".
    std::string Joined(const std::string& code);
    // The chunk's results read as numbers.
    std::vector<float> Numbers(const std::string& code);
    // The message of the error the chunk raises, without the chunk's place;
    // empty when it raises none.
    std::string ErrorOf(const std::string& code);
    void SetGlobalHandle(const char* name, void* address);
    // A running receiver registered under the name and, when given, a category.
    void Register(KeepingReceiver& receiver, const char* name, const char* category = nullptr);
    std::string ReadLog() const;

    GameLog log;
    // Outlive the task list, which holds them.
    KeepingReceiver first;
    KeepingReceiver second;
    CPCommandManager bus;
    CPTaskManager tasks;
    ScriptHost scripts;
    lua_State* state;
};
