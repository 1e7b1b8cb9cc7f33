#include "script/ScriptHost.h"

#include "script/ScriptArguments.h"
#include "script/ScriptReceiver.h"
#include "script/ScriptTables.h"

#include "core/PCommandManager.h"
#include "core/PDataFile.h"
#include "core/PTaskManager.h"
#include "core/DataLines.h"
#include "core/StringUtils.h"

#include <lualib.h>
#include <windows.h>

#include <algorithm>
#include <cctype>

const char* const ScriptHost::kScriptFolder = "Data\\Scripts\\";
const char* const ScriptHost::kReceiverList = "Data\\Scripts\\receivers.txt";
const char* const ScriptHost::kMainScript = "Data\\Scripts\\main.lua";

namespace {

// Where the state's registry keeps the host's game log.
const char* const kLogKey = "GameLog";
const char* const kErrorPrefix = "error: ";
const char* const kDataPrefix = "data: ";
const char* const kNoStepFunction = "the script returns no step function";
const char* const kUnreadable = "cannot be read";
const char* const kNoMessage = "(error object is not a string)";
const int kLeastReceiverFields = 2;
const int kNoLine = 0;

struct NamedTable {
    const char* name;
    const ScriptFunctionEntry* functions;
};

// The game-interface table goes in first so that the main table's SetCursor
// and GetWindowPosition are the ones a script reaches by the bare name.
const NamedTable kTables[] = {
    {"GameInterfaceScriptTable", GameInterfaceScriptTable},
    {"ObjectScriptTable", ObjectScriptTable},
    {"MainScriptTable", MainScriptTable},
};

// Whether the message starts "<source>:<line>:", the place Lua puts
// before a message raised in the chunk it names by that source.
bool StartsWithPlace(const std::string& message, const std::string& source)
{
    if (message.compare(0, source.size(), source) != 0) return false;
    size_t at = source.size();
    if (at >= message.size() || message[at] != ':') return false;
    const size_t digits = ++at;
    while (at < message.size() && std::isdigit(static_cast<unsigned char>(message[at]))) ++at;
    return at > digits && at < message.size() && message[at] == ':';
}

// The message handler of every protected call: a message that names no
// place gets the place of the innermost script line that was running. The
// chunks on the stack count as known, so a message placed in a chunk that
// a script loaded itself keeps its place.
int AddErrorPlace(lua_State* state)
{
    ScriptHost* host = static_cast<ScriptHost*>(lua_touserdata(state, lua_upvalueindex(1)));
    if (!lua_isstring(state, 1)) {
        lua_pushstring(state, kNoMessage);
        lua_replace(state, 1);
    }
    lua_Debug frame;
    int innermost = 0;
    for (int level = 1; lua_getstack(state, level, &frame); ++level) {
        lua_getinfo(state, "Sl", &frame);
        if (frame.currentline <= 0) continue;
        host->AddSource(frame.short_src);
        if (!innermost) innermost = level;
    }
    if (!innermost || host->NamesPlace(lua_tostring(state, 1))) return 1;
    lua_getstack(state, innermost, &frame);
    lua_getinfo(state, "Sl", &frame);
    lua_pushfstring(state, "%s:%d: %s", frame.short_src, frame.currentline, lua_tostring(state, 1));
    return 1;
}

// "print" as Lua's own, into the game log held as the function's upvalue.
int PrintToLog(lua_State* state)
{
    GameLog* log = static_cast<GameLog*>(lua_touserdata(state, lua_upvalueindex(1)));
    const int count = lua_gettop(state);
    std::string line;
    lua_getglobal(state, "tostring");
    for (int i = 1; i <= count; ++i) {
        lua_pushvalue(state, -1);
        lua_pushvalue(state, i);
        lua_call(state, 1, 1);
        size_t length = 0;
        const char* text = lua_tolstring(state, -1, &length);
        if (!text) return luaL_error(state, "'tostring' must return a string to 'print'");
        if (i > 1) line += '\t';
        line.append(text, length);
        lua_pop(state, 1);
    }
    log->WriteLine(line);
    return 0;
}

// One line of the log: line breaks in a message would split it.
std::string OneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

} // namespace

ScriptHost::ScriptHost(GameLog& log)
    : m_log(log), m_state(lua_open()), m_hasMainScript(false), m_hadError(false), m_measuringSteps(false), m_stepTicks(0)
{
    // The message handler stays at the bottom of the stack for every call:
    // making it anew for each call would cost an allocation per frame and
    // receiver.
    lua_pushlightuserdata(m_state, this);
    lua_pushcclosure(m_state, AddErrorPlace, 1);
    luaL_openlibs(m_state);
    InstallTables();
    lua_pushlightuserdata(m_state, &m_log);
    lua_setfield(m_state, LUA_REGISTRYINDEX, kLogKey);
    lua_pushlightuserdata(m_state, &m_log);
    lua_pushcclosure(m_state, PrintToLog, 1);
    lua_setglobal(m_state, "print");
}

// The receivers leave the bus as they go; the state goes first, so no
// script runs while they do.
ScriptHost::~ScriptHost()
{
    lua_close(m_state);
    m_state = nullptr;
    if (!g_pTaskManager) return;
    for (const std::unique_ptr<ScriptReceiver>& receiver : m_receivers) {
        g_pTaskManager->GetTasks().remove_if(
            [&](const RefPtr<IPProcess>& task) { return task.Get() == receiver.get(); });
    }
}

// The globals take the library table's own function values, so a bare name
// and the table's field are the same function.
void ScriptHost::InstallTables()
{
    for (const NamedTable& table : kTables) {
        luaL_openlib(m_state, table.name, table.functions, 0);
        for (const ScriptFunctionEntry* entry = table.functions; entry->name; ++entry) {
            lua_getfield(m_state, -1, entry->name);
            lua_setglobal(m_state, entry->name);
        }
        lua_pop(m_state, 1);
    }
}

double ScriptHost::GetStepSeconds() const
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(m_stepTicks) / static_cast<double>(frequency.QuadPart);
}

void ScriptHost::Start()
{
    ReadReceiverList();
    CPDataFile main(kMainScript, false);
    m_hasMainScript = SUCCEEDED(main.Load());
    if (m_hasMainScript) RunFile(kMainScript);
}

void ScriptHost::ReadReceiverList()
{
    CPDataFile list(kReceiverList, false);
    if (FAILED(list.Load())) return;
    for (const DataLine& line : SplitDataLines(list.GetData(), list.GetDataSize())) {
        const std::vector<std::string> fields = SplitCommaFields(line.text);
        const std::string place = kDataPrefix + std::string(kReceiverList) + ":" + std::to_string(line.number);
        if (fields.size() < kLeastReceiverFields || fields[0].empty() || fields[1].empty()) {
            m_log.WriteLine(place + ": a receiver needs a name and a script file");
            continue;
        }
        if (!IsNameInsideFolder(fields[1])) {
            m_log.WriteLine(place + ": receiver " + fields[0] + ": \"" + fields[1] +
                            "\" lies outside the game's folders");
            continue;
        }
        AddReceiver(fields);
    }
}

// The receiver takes the place of whatever was registered under its name,
// which stops and leaves the bus under every name and category.
void ScriptHost::AddReceiver(const std::vector<std::string>& fields)
{
    std::unique_ptr<ScriptReceiver> receiver(new ScriptReceiver(*this, fields[0], kScriptFolder + fields[1]));
    if (CPCommandManager* bus = GetCommandManager()) {
        RefPtr<CommandReceiver> previous = bus->FindReceiver(fields[0]);
        if (previous) {
            bus->RemoveReceiver(previous.Get());
            previous->Stop();
        }
        bus->RegisterReceiver(fields[0], receiver.get());
        for (size_t i = kLeastReceiverFields; i < fields.size(); ++i) {
            if (!fields[i].empty()) bus->AddToCategory(fields[i], receiver.get());
        }
    }
    if (g_pTaskManager) g_pTaskManager->AddTask(RefPtr<IPProcess>(receiver.get()));
    LoadStepFunction(*receiver);
    m_receivers.push_back(std::move(receiver));
}

void ScriptHost::LoadStepFunction(ScriptReceiver& receiver)
{
    const int top = lua_gettop(m_state);
    if (!LoadFile(receiver.GetFile()) || !ProtectedCall(0, 1, receiver.GetFile())) {
        receiver.Fail();
    } else if (!lua_isfunction(m_state, -1)) {
        m_log.WriteLine(kErrorPrefix + receiver.GetFile() + ":" + std::to_string(kNoLine) + ": " + kNoStepFunction);
        m_hadError = true;
        receiver.Fail();
    } else {
        receiver.SetStepReference(luaL_ref(m_state, LUA_REGISTRYINDEX));
    }
    lua_settop(m_state, top);
}

bool ScriptHost::RunFile(const std::string& path)
{
    const int top = lua_gettop(m_state);
    const bool ran = LoadFile(path) && ProtectedCall(0, 0, path);
    lua_settop(m_state, top);
    return ran;
}

bool ScriptHost::RunText(const std::string& text, const std::string& chunkName)
{
    const int top = lua_gettop(m_state);
    const bool ran = LoadText(text, chunkName) && ProtectedCall(0, 0, chunkName);
    lua_settop(m_state, top);
    return ran;
}

void ScriptHost::LogFromScript(lua_State* state, const std::string& line)
{
    lua_getfield(state, LUA_REGISTRYINDEX, kLogKey);
    GameLog* log = static_cast<GameLog*>(lua_touserdata(state, -1));
    lua_pop(state, 1);
    if (!log) return;
    luaL_where(state, 1);
    log->WriteLine(lua_tostring(state, -1) + line);
    lua_pop(state, 1);
}

void ScriptHost::OnStepError(ScriptReceiver& receiver)
{
    LogError(receiver.GetFile());
    receiver.Fail();
}

bool ScriptHost::LoadFile(const std::string& path)
{
    CPDataFile file(path, false);
    if (FAILED(file.Load())) {
        m_log.WriteLine(kErrorPrefix + path + ":" + std::to_string(kNoLine) + ": " + kUnreadable);
        m_hadError = true;
        return false;
    }
    const std::string text(reinterpret_cast<const char*>(file.GetData()), file.GetDataSize());
    return LoadText(text, path);
}

// Chunks are named "@<file>", so Lua names the file itself in its messages.
bool ScriptHost::LoadText(const std::string& text, const std::string& chunkName)
{
    const std::string name = "@" + chunkName;
    AddSourceOf(name);
    if (luaL_loadbuffer(m_state, text.data(), text.size(), name.c_str()) == 0) return true;
    LogError(chunkName);
    return false;
}

bool ScriptHost::ProtectedCall(int arguments, int results, const std::string& file)
{
    if (lua_pcall(m_state, arguments, results, kMessageHandler) == 0) return true;
    LogError(file);
    return false;
}

bool ScriptHost::NamesPlace(const std::string& message) const
{
    for (const std::string& source : m_sources) {
        if (StartsWithPlace(message, source)) return true;
    }
    return false;
}

void ScriptHost::AddSource(const char* source)
{
    if (std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end()) m_sources.push_back(source);
}

// Lua shortens a long chunk name in its messages; an empty chunk of the
// same name tells how, before the compiler may need it for an error.
void ScriptHost::AddSourceOf(const std::string& chunkName)
{
    if (luaL_loadbuffer(m_state, "", 0, chunkName.c_str()) != 0) {
        lua_pop(m_state, 1);
        return;
    }
    lua_Debug chunk;
    lua_getinfo(m_state, ">S", &chunk);
    AddSource(chunk.short_src);
}

// Logs the message on the top of the stack and takes it off.
void ScriptHost::LogError(const std::string& file)
{
    const char* text = lua_tostring(m_state, -1);
    std::string message = text ? text : kNoMessage;
    if (!NamesPlace(message)) message = file + ":" + std::to_string(kNoLine) + ": " + message;
    m_log.WriteLine(kErrorPrefix + OneLine(message));
    m_hadError = true;
    lua_pop(m_state, 1);
}
