#pragma once

#include "script/GameLog.h"

#include <memory>
#include <string>
#include <vector>

struct lua_State;
class ScriptReceiver;

// Runs the game's scripts: one script state with Lua's standard libraries
// and the three function tables, "print" writing to the game log, the
// script receivers named in "Data\Scripts\receivers.txt" and the main
// script "Data\Scripts\main.lua". Every call into a script is protected:
// an error becomes one line "error: <file>:<line>: <message>" in the log
// and stops only the receiver it happened in.
class ScriptHost {
public:
    static const char* const kScriptFolder;
    static const char* const kReceiverList;
    static const char* const kMainScript;

    explicit ScriptHost(GameLog& log);
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    // Makes the receivers of the list, each in place of any receiver
    // registered under its name before, runs their files, then runs the
    // main script.
    void Start();

    // Runs a script file once; false after an error (which is logged).
    bool RunFile(const std::string& path);
    // Runs script text under a chunk name, as RunFile does a file.
    bool RunText(const std::string& text, const std::string& chunkName);
    // The message handler of every protected call, kept at this place of
    // the state's stack.
    static constexpr int kMessageHandler = 1;

    // Writes a line into the log of the host that made the state, after the
    // place of the script line that called the native function running;
    // nothing for a state no host made.
    static void LogFromScript(lua_State* state, const std::string& line);

    // Whether the message starts with a place, "<source>:<line>:", of a
    // chunk the host loaded or saw running, as the messages of Lua code and
    // of the compiler do; those of native functions' argument checks do
    // not, nor does other text that holds a number between colons.
    bool NamesPlace(const std::string& message) const;
    // A chunk's source as Lua names it in messages.
    void AddSource(const char* source);

    // Logs the error on the top of the stack, which the receiver's step
    // raised, and stops the receiver.
    void OnStepError(ScriptReceiver& receiver);

    // While measuring, the receivers' steps add the clock ticks they took;
    // the total is read in seconds. Off from the start: reading the clock
    // around every step costs more than an empty step.
    void MeasureSteps(bool on) { m_measuringSteps = on; }
    bool IsMeasuringSteps() const { return m_measuringSteps; }
    void AddStepTicks(long long ticks) { m_stepTicks += ticks; }
    double GetStepSeconds() const;

    bool HasMainScript() const { return m_hasMainScript; }
    // Whether any script error happened since start.
    bool HadError() const { return m_hadError; }
    lua_State* GetState() const { return m_state; }
    const std::vector<std::unique_ptr<ScriptReceiver>>& GetReceivers() const { return m_receivers; }

private:
    void InstallTables();
    void ReadReceiverList();
    void AddReceiver(const std::vector<std::string>& fields);
    void LoadStepFunction(ScriptReceiver& receiver);
    bool LoadFile(const std::string& path);
    bool LoadText(const std::string& text, const std::string& chunkName);
    void AddSourceOf(const std::string& chunkName);
    // Calls the function below its arguments on the stack; logs an error
    // that ends it, naming the file when the error itself names no place.
    bool ProtectedCall(int arguments, int results, const std::string& file);
    void LogError(const std::string& file);

    GameLog& m_log;
    lua_State* m_state;
    std::vector<std::unique_ptr<ScriptReceiver>> m_receivers;
    std::vector<std::string> m_sources;
    bool m_hasMainScript;
    bool m_hadError;
    bool m_measuringSteps;
    long long m_stepTicks;
};
