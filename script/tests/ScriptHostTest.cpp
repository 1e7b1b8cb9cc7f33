#include "script/tests/ScriptTest.h"

#include "script/ScriptReceiver.h"

#include "core/PDataFileWriter.h"

#include <windows.h>

#include <algorithm>
#include <sstream>

namespace {

// A scratch "Data\Scripts" tree of the test's own files, removed again.
class ScriptHostOnData : public ScriptTest {
protected:
    ScriptHostOnData()
    {
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Scripts", nullptr);
    }
    ~ScriptHostOnData() override
    {
        for (const std::string& file : m_files) DeleteFileA(file.c_str());
        RemoveDirectoryA("Data\\Scripts");
        RemoveDirectoryA("Data");
    }

    void Write(const std::string& name, const std::string& text)
    {
        const std::string path = "Data\\Scripts\\" + name;
        CPDataFileWriter writer(path, false);
        writer.Write(text.data(), text.size());
        ASSERT_EQ(writer.Save(), S_OK);
        m_files.push_back(path);
    }

    // One frame of the task list, as the host walks it.
    void RunFrame()
    {
        for (const RefPtr<IPProcess>& task : tasks.GetTasks()) {
            if (task->IsRunning() && !task->IsStopped()) task->Execute();
        }
    }

    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        std::istringstream text(ReadLog());
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }

    // A receiver that prints each command with its parameters.
    static std::string EchoScript()
    {
        return "return function(self)\n"
               "    while SetNextCommand(self) do\n"
               "        print(GetCurrentCommand(self), GetCurrentParams(self))\n"
               "    end\n"
               "end\n";
    }

private:
    std::vector<std::string> m_files;
};

TEST_F(ScriptHostOnData, ReceiversEchoTheirCommandsInOrderAndReplaceTheBuiltOnes)
{
    Register(first, "menu", "interface");
    Write("receivers.txt", "menu, echo.lua, interface, all\r\n\r\nlevel,echo.lua\n");
    Write("echo.lua", EchoScript());
    Write("main.lua", "print('main runs')\nSendCommandByName('menu', 'open', 'a,b')\n");
    scripts.Start();
    ASSERT_EQ(scripts.GetReceivers().size(), 2u);
    EXPECT_TRUE(first.IsStopped()) << "the receiver it replaces";
    EXPECT_FALSE(bus.FindReceiver("menu").Get() == &first);

    bus.SendCommandByCategory("interface", "hover", "x");
    bus.SendCommandByCategory("all", "tick", "");
    bus.SendCommandByName("level", "start", "1");
    RunFrame();
    const std::vector<std::string> expected = {"main runs", "open\ta\tb", "hover\tx", "tick", "start\t1"};
    EXPECT_EQ(LogLines(), expected);
    EXPECT_TRUE(scripts.HasMainScript());
    EXPECT_FALSE(scripts.HadError());
    EXPECT_EQ(first.GetQueuedCount(), 0u) << "the replaced receiver hears nothing";
}

struct ErrorCase {
    const char* name;
    const char* script;
    const char* logged;
};

class ScriptErrors : public ScriptHostOnData, public testing::WithParamInterface<ErrorCase> {};

// The failing receiver stops; the other one and the main script go on.
TEST_P(ScriptErrors, AreLoggedWithFileAndLineAndStopOnlyTheirReceiver)
{
    Write("receivers.txt", "bad, bad.lua\ngood, echo.lua\n");
    Write("bad.lua", GetParam().script);
    Write("echo.lua", EchoScript());
    Write("main.lua", "print('main runs')\n");
    scripts.Start();
    for (int frame = 0; frame < 3; ++frame) {
        bus.SendCommandByName("bad", "ping", "");
        bus.SendCommandByName("good", "ping", std::to_string(frame));
        RunFrame();
    }
    std::vector<std::string> lines = LogLines();
    const auto error = std::find(lines.begin(), lines.end(), GetParam().logged);
    ASSERT_NE(error, lines.end()) << ReadLog();
    lines.erase(error);
    const std::vector<std::string> expected = {"main runs", "ping\t0", "ping\t1", "ping\t2"};
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(scripts.HadError());
    const ScriptReceiver& bad = *scripts.GetReceivers()[0];
    EXPECT_TRUE(bad.HasFailed());
    EXPECT_EQ(bad.GetQueuedCount(), 0u) << "a failed receiver drops what it is sent";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ScriptErrors,
    testing::Values(
        ErrorCase{"Syntax", "return function(self)\n  local x = = 1\nend\n",
                  "error: Data\\Scripts\\bad.lua:2: unexpected symbol near '='"},
        ErrorCase{"Runtime", "return function(self)\n  SetNextCommand(self)\n  local x = nil + 1\nend\n",
                  "error: Data\\Scripts\\bad.lua:3: attempt to perform arithmetic on a nil value"},
        ErrorCase{"Argument", "return function(self)\n\n  SendCommandByName(nil, 'a', 'b')\nend\n",
                  "error: Data\\Scripts\\bad.lua:3: bad argument #1 to 'SendCommandByName' (string expected, "
                  "got nil)"},
        ErrorCase{"NoStepFunction", "local x = 1\n", "error: Data\\Scripts\\bad.lua:0: the script returns no step "
                                                     "function"},
        ErrorCase{"ErrorWhileLoading", "error('broken at load')\n",
                  "error: Data\\Scripts\\bad.lua:1: broken at load"},
        ErrorCase{"NotAString", "return function(self) error({}) end\n",
                  "error: Data\\Scripts\\bad.lua:1: (error object is not a string)"},
        ErrorCase{"LineBreaks", "return function(self)\n  error('three\\nlines\\r\\nin one')\nend\n",
                  "error: Data\\Scripts\\bad.lua:2: three lines  in one"},
        // Only a chunk's own name before the line number is a place.
        ErrorCase{"NumbersAreNoPlace", "return function(self)\n  error('at 10:20: x', 0)\nend\n",
                  "error: Data\\Scripts\\bad.lua:2: at 10:20: x"},
        ErrorCase{"NoLineIsNoPlace", "return function(self)\n  error('Data\\\\Scripts\\\\bad.lua:: x', 0)\nend\n",
                  "error: Data\\Scripts\\bad.lua:2: Data\\Scripts\\bad.lua:: x"},
        ErrorCase{"PlaceOfAnotherChunk", "return function(self)\n  error('Data\\\\Scripts\\\\echo.lua:7: x', 0)\nend\n",
                  "error: Data\\Scripts\\echo.lua:7: x"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

TEST_F(ScriptHostOnData, AMissingScriptFileIsLoggedAndAFailedReceiverStaysStoppedWhenRestarted)
{
    Write("receivers.txt", "gone, missing.lua\n,empty.lua\nonly\n");
    scripts.Start();
    const std::vector<std::string> expected = {
        "error: Data\\Scripts\\missing.lua:0: cannot be read",
        "data: Data\\Scripts\\receivers.txt:2: a receiver needs a name and a script file",
        "data: Data\\Scripts\\receivers.txt:3: a receiver needs a name and a script file"};
    EXPECT_EQ(LogLines(), expected);
    EXPECT_FALSE(scripts.HasMainScript());
    ScriptReceiver& gone = *scripts.GetReceivers()[0];
    gone.Stop();
    tasks.AddTask(&gone);
    RunFrame();
    EXPECT_TRUE(gone.HasFailed());
    EXPECT_EQ(LogLines().size(), 3u);
}

// "outside.lua" lies in the test's folder, two folders above the scripts.
TEST_F(ScriptHostOnData, AReceiverWhoseScriptLiesOutsideTheScriptsFolderIsNotMade)
{
    CPDataFileWriter outside("outside.lua", false);
    const std::string escaped = "print('escaped')\nreturn function(self) end\n";
    outside.Write(escaped.data(), escaped.size());
    ASSERT_EQ(outside.Save(), S_OK);
    Write("echo.lua", EchoScript());
    Write("receivers.txt", "far, ..\\..\\outside.lua\nrooted, \\outside.lua\ndrive, C:outside.lua\nnear, echo.lua\n");
    scripts.Start();
    DeleteFileA("outside.lua");
    const std::vector<std::string> expected = {
        "data: Data\\Scripts\\receivers.txt:1: receiver far: \"..\\..\\outside.lua\" lies outside the game's folders",
        "data: Data\\Scripts\\receivers.txt:2: receiver rooted: \"\\outside.lua\" lies outside the game's folders",
        "data: Data\\Scripts\\receivers.txt:3: receiver drive: \"C:outside.lua\" lies outside the game's folders"};
    EXPECT_EQ(LogLines(), expected);
    ASSERT_EQ(scripts.GetReceivers().size(), 1u);
    EXPECT_EQ(scripts.GetReceivers()[0]->GetFile(), "Data\\Scripts\\echo.lua");
}

TEST_F(ScriptHostOnData, PrintWritesItsArgumentsAsLuaWouldAndTheLogStartsEmpty)
{
    Write("main.lua", "print(1, 'two', nil, true, 2.5)\n"
                      "print('nul\\0byte')\n"
                      "print(setmetatable({}, {__tostring = function() return {} end}))\n"
                      "print('not reached')\n");
    scripts.Start();
    const std::vector<std::string> expected = {"1\ttwo\tnil\ttrue\t2.5", "nul\\0byte",
                                               "error: Data\\Scripts\\main.lua:3: 'tostring' must return a string "
                                               "to 'print'"};
    EXPECT_EQ(LogLines(), expected);
    log.Clear();
    EXPECT_EQ(ReadLog(), "");
}

TEST_F(ScriptHostOnData, AReceiverStoppedByItsScriptIsSentNothingAndSeesOnlyWhatComesAfterANewStart)
{
    Write("receivers.txt", "menu, stopping.lua, interface\n");
    Write("stopping.lua", "return function(self)\n"
                          "    while SetNextCommand(self) do\n"
                          "        print(GetCurrentCommand(self))\n"
                          "        if GetCurrentCommand(self) == 'stop' then StopScript(self) return end\n"
                          "    end\n"
                          "end\n");
    scripts.Start();
    bus.SendCommandByName("menu", "stop", "");
    bus.SendCommandByName("menu", "unread", "");
    RunFrame();
    ScriptReceiver& menu = *scripts.GetReceivers()[0];
    ASSERT_TRUE(menu.IsStopped());
    const size_t queued = menu.GetQueuedCount();
    for (int frame = 0; frame < 3; ++frame) {
        bus.SendCommandByName("menu", "late", "");
        bus.SendCommandByCategory("interface", "hover", "");
        RunFrame();
    }
    EXPECT_EQ(menu.GetQueuedCount(), queued) << "a stopped receiver is sent nothing";
    menu.Stop();
    tasks.AddTask(&menu);
    bus.SendCommandByName("menu", "again", "");
    RunFrame();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"stop", "again"}));
}

// A category field left empty joins no category, not the category "".
TEST_F(ScriptHostOnData, AnEmptyCategoryFieldJoinsNoCategory)
{
    Write("receivers.txt", "menu, echo.lua, , interface\n");
    Write("echo.lua", EchoScript());
    scripts.Start();
    bus.SendCommandByCategory("", "nobody", "");
    bus.SendCommandByCategory("interface", "hover", "");
    RunFrame();
    EXPECT_EQ(LogLines(), std::vector<std::string>{"hover"});
}

// Whatever a receiver file hands back, the state's stack is as before.
TEST_F(ScriptHostOnData, StartingLeavesNothingOnTheStack)
{
    Write("receivers.txt", "number, number.lua\ntext, text.lua\ngood, echo.lua\n");
    Write("number.lua", "return 1\n");
    Write("text.lua", "return 'step', 'more'\n");
    Write("echo.lua", EchoScript());
    const int top = lua_gettop(state);
    scripts.Start();
    EXPECT_EQ(lua_gettop(state), top);
    EXPECT_TRUE(scripts.GetReceivers()[1]->HasFailed());
}

// The host's receivers go with it: none is left in the task list for the
// frame loop to run.
TEST_F(ScriptHostOnData, AHostThatEndsTakesItsReceiversOutOfTheTaskList)
{
    Write("receivers.txt", "menu, echo.lua\nlevel, echo.lua\n");
    Write("echo.lua", EchoScript());
    Register(first, "kept");
    {
        ScriptHost ending(log);
        ending.Start();
        ASSERT_EQ(tasks.GetTasks().size(), 3u);
    }
    ASSERT_EQ(tasks.GetTasks().size(), 1u);
    EXPECT_EQ(tasks.GetTasks().front().Get(), &first);
}

TEST_F(ScriptHostOnData, BareNamesReachTheMainTablesFunctionsAndEachTableHasItsOwn)
{
    EXPECT_EQ(Results("return SetCursor == MainScriptTable.SetCursor, "
                      "SetCursor ~= GameInterfaceScriptTable.SetCursor, ObjectScriptTable.SetVisible == SetVisible, "
                      "GetWindowPosition == MainScriptTable.GetWindowPosition"),
              (std::vector<std::string>{"true", "true", "true", "true"}));
}

// While measuring, the time of a step that keeps the processor busy
// counts; the main script's run does not. Not measuring, nothing counts.
TEST_F(ScriptHostOnData, CountsTheTimeOfTheReceiversStepsOnlyWhileMeasuring)
{
    Write("receivers.txt", "busy,busy.lua\n");
    Write("busy.lua", "return function(self)\n"
                      "    local started = os.clock()\n"
                      "    while os.clock() - started < 0.02 do end\n"
                      "end\n");
    Write("main.lua", "local started = os.clock()\nwhile os.clock() - started < 0.05 do end\n");
    scripts.Start();
    RunFrame();
    EXPECT_EQ(scripts.GetStepSeconds(), 0.0);
    scripts.MeasureSteps(true);
    RunFrame();
    // The step's own clock and the counter tick apart: a little slack.
    EXPECT_GE(scripts.GetStepSeconds(), 0.015);
}

} // namespace

namespace {

class PlainObject : public IPObject {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "PlainObject"; }
};

// A second base after the object's IPObject part, so a handle read as
// this base lies away from the handle's own address.
struct Marker {
    virtual ~Marker() = default;
    int mark = 7;
};

class MarkedObject : public PlainObject, public Marker {};

} // namespace

TEST_F(ScriptTest, HandlesReadAsAClassAnswerForEachObjectsOwnClassWhateverCameBefore)
{
    MarkedObject first, second;
    PlainObject plain;
    struct Case {
        IPObject* handle;
        Marker* expected;
    };
    const Case cases[] = {{&first, &first}, {&plain, nullptr}, {&second, &second}, {&second, &second},
                          {&plain, nullptr}, {&first, &first}};
    for (const Case& c : cases) {
        PushHandle(state, c.handle);
        EXPECT_EQ(ReadHandle<Marker>(state, -1), c.expected) << c.handle->GetTypeName();
        lua_pop(state, 1);
    }
    EXPECT_NE(static_cast<void*>(static_cast<Marker*>(&first)), static_cast<void*>(static_cast<IPObject*>(&first)));
}
