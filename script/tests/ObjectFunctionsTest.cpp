#include "script/tests/ScriptTest.h"

#include "script/CarModelTable.h"

#include "core/FrameClock.h"
#include "core/GlobalTimerTask.h"
#include "core/ObjectIdentity.h"
#include "core/PGameObject.h"
#include "core/tests/GameObjectTestSupport.h"

#include <d3dx9math.h>

#include <cmath>
#include <cstdint>
#include <memory>

namespace {

// A script handle's text as the scripts see it.
std::string Identity(const void* object)
{
    return ObjectIdentityText(object);
}

class ObjectFunctions : public ScriptTest {
protected:
    ObjectFunctions() : root("car"), body("body"), wheel("wheel"), bolt("bolt")
    {
        root.AddChild(&body);
        root.AddChild(&wheel);
        wheel.AddChild(&bolt);
        SetGlobalHandle("root", &root);
        SetGlobalHandle("wheel", &wheel);
        SetGlobalHandle("bolt", &bolt);
        SetGlobalHandle("first", &first);
    }

    // What the script's call answers, as one text of its results.
    std::string Joined(const std::string& code)
    {
        std::string text;
        for (const std::string& result : Results(code)) text += (text.empty() ? "" : "|") + result;
        return text;
    }

    CPGameObject root, body, wheel, bolt;
};

TEST_F(ObjectFunctions, ACommandsQueueStepsOldestFirstAndEndsWithNoCommand)
{
    Register(first, "first", "racers");
    Results("SendCommandByName('first', 'go', '1,2,3')"
            "SendCommandByCategory('racers', 'wait', '')"
            "SendCommandByName('first', 'stop', 'now')");
    EXPECT_EQ(Joined("return SetNextCommand(first), GetCurrentCommand(first), GetCurrentParams(first)"),
              "true|go|1|2|3");
    EXPECT_EQ(Joined("return SetNextCommand(first), GetCurrentCommand(first), GetCurrentParams(first)"),
              "true|wait");
    EXPECT_EQ(Joined("return SetNextCommand(first), GetCurrentCommand(first), GetCurrentParams(first)"),
              "true|stop|now");
    EXPECT_EQ(Joined("return SetNextCommand(first), select('#', GetCurrentCommand(first))"), "false|0");
    EXPECT_EQ(Joined("return SetNextCommand(first), select('#', GetCurrentParams(first))"), "false|0");
}

TEST_F(ObjectFunctions, AReceiverThatIsNotRunningGetsNothing)
{
    Register(first, "first", "racers");
    first.Stop();
    Results("SendCommandByName('first', 'go', '') SendCommandByCategory('racers', 'go', '')");
    EXPECT_EQ(first.GetQueuedCount(), 0u);
    EXPECT_EQ(Joined("return SetNextCommand(first)"), "false");
}

TEST_F(ObjectFunctions, AHundredParametersComeBackAndTooManyAreAScriptError)
{
    Register(first, "first");
    Results("local p = {} for i = 1, 100 do p[i] = 'v' .. i end "
            "SendCommandByName('first', 'many', table.concat(p, ','))");
    EXPECT_EQ(Joined("SetNextCommand(first) local p = {GetCurrentParams(first)} return #p, p[1], p[100]"),
              "100|v1|v100");
    EXPECT_EQ(Joined("return SplitString('a,\"b,c\",d', ',')"), "a|b,c|d");
    EXPECT_NE(ErrorOf("SplitString(string.rep('x,', 9000), ',')").find("too many results"), std::string::npos);
    EXPECT_EQ(Joined("return 1 + 1"), "2") << "the state works on";
}

TEST_F(ObjectFunctions, CommandsToAnObjectGoToItsScriptHandler)
{
    Register(first, "first");
    root.SetScriptHandler(&first);
    Results("SendCommandByObject(root, 'hit', '2.50') SendCommandByObject(nil)");
    ASSERT_EQ(first.GetQueuedCount(), 1u);
    first.SetNextCommand();
    EXPECT_EQ(*first.GetCurrentCommand(), "hit");
    EXPECT_EQ(ErrorOf("SendCommandByObject(root, 'hit')"),
              "bad argument #3 to 'SendCommandByObject' (string expected, got no value)");
}

TEST_F(ObjectFunctions, AnAddObjectParameterTurnsBackIntoItsObject)
{
    Register(first, "first");
    root.SetScriptHandler(&first);
    root.Start(0);
    Results("SetNextCommand(first)"
            "local command, object = GetCurrentCommand(first), StringToPointer(GetCurrentParams(first))"
            "assert(command == 'add_object') SetVisible(object, false)");
    EXPECT_FALSE(root.IsVisible());
    tasks.GetTasks().clear();
}

TEST_F(ObjectFunctions, HandlesTurnIntoTextAndBack)
{
    EXPECT_EQ(Joined("return PointerToString(wheel)"), Identity(&wheel));
    EXPECT_EQ(Joined("return StringToPointer(PointerToString(wheel)) == wheel"), "true");
    EXPECT_EQ(Joined("return PointerToString(StringToPointer('  -12abc'))"), "-12");
    EXPECT_EQ(Joined("return PointerToString(StringToPointer('abc')), PointerToString(nil)"), "0|0");
    const std::string largest = Identity(reinterpret_cast<void*>(INTPTR_MAX));
    const std::string smallest = Identity(reinterpret_cast<void*>(INTPTR_MIN));
    EXPECT_EQ(Joined("return PointerToString(StringToPointer('99999999999999999999999999'))"), largest);
    EXPECT_EQ(Joined("return PointerToString(StringToPointer('-99999999999999999999999999'))"), smallest);
}

// Only a handle of a live object of the expected class reaches anything.
TEST_F(ObjectFunctions, StaleInventedAndMistypedHandlesReachNothing)
{
    std::unique_ptr<CPGameObject> gone(new CPGameObject("gone"));
    SetGlobalHandle("gone", gone.get());
    gone.reset();
    Results("SetVisible(gone, false) SetVisible(StringToPointer('12345'), false)"
            "SetVisible(first, false) SetNextCommand(root) AddRef(StringToPointer('8'))");
    Results("SetVisible(bolt, false)");
    EXPECT_FALSE(bolt.IsVisible());
    EXPECT_TRUE(root.IsVisible());
    EXPECT_EQ(Joined("return SetNextCommand(root), GetParentObject(gone) == StringToPointer('0')"), "false|true");
}

TEST_F(ObjectFunctions, ArgumentsAreCoercedAsLuaDoes)
{
    EXPECT_EQ(Joined("return ToInt('12'), ToInt('abc'), ToInt(nil)"), "12|0|0");
    Results("SetVisible(bolt, 0) SetCollision(bolt, nil)");
    EXPECT_TRUE(bolt.IsVisible()) << "0 is true";
    EXPECT_FALSE(bolt.GetCollision());
    EXPECT_EQ(Joined("return type(CheckString(12)), CheckString(12)"), "string|12");
    EXPECT_EQ(Joined("return CheckString('a', 'b')"), "b") << "the topmost argument";
    EXPECT_EQ(ErrorOf("CheckString({})"), "bad argument #1 to 'CheckString' (string expected, got table)");
    EXPECT_EQ(ErrorOf("SendCommandByName(nil, 'a', 'b')"),
              "bad argument #1 to 'SendCommandByName' (string expected, got nil)");
    EXPECT_EQ(ErrorOf("LoadRenderObject('box.rdf', 'x')"), "bad argument #2 to 'LoadRenderObject' (number expected, got string)");
}

struct ToIntCase {
    const char* argument;
    const char* result;
};

class ToIntConversion : public ObjectFunctions, public testing::WithParamInterface<ToIntCase> {};

TEST_P(ToIntConversion, TruncatesTowardZeroAndSaturates)
{
    EXPECT_EQ(Joined(std::string("return ToInt(") + GetParam().argument + ")"), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Values, ToIntConversion,
                         testing::Values(ToIntCase{"-2.7", "-2"}, ToIntCase{"2.7", "2"},
                                         ToIntCase{"1e300", "2147483647"}, ToIntCase{"-1e300", "-2147483648"},
                                         ToIntCase{"0/0", "0"}, ToIntCase{"2147483647.5", "2147483647"},
                                         ToIntCase{"-2147483648.5", "-2147483648"},
                                         ToIntCase{"2^31", "2147483647"}, ToIntCase{"-2^31 - 1", "-2147483648"}));

TEST_F(ObjectFunctions, ChildObjectsAreFoundByExactNameAnywhereInTheTree)
{
    EXPECT_EQ(Joined("return GetChildObject(root, 'bolt') == bolt, GetChildObject(root, 'car') == root"),
              "true|true");
    EXPECT_EQ(Joined("return GetChildObject(root, 'bol') == StringToPointer('0')"), "true");
    EXPECT_EQ(Joined("return GetChildObject(nil, 'bolt') == StringToPointer('0')"), "true");
    EXPECT_EQ(Joined("return GetParentObject(bolt) == wheel, GetParentObject(root) == StringToPointer('0')"),
              "true|true");
    EXPECT_EQ(bolt.GetRefCount(), 0) << "the collected references are given back";
}

TEST_F(ObjectFunctions, ABaseTransformTakesItsTranslationAndTurnFromTheLastFiveArguments)
{
    Results("SetPTransformation(wheel, 100, 200, 3, 0.5, 0.25, 0.125)");
    const D3DXMATRIX& world = wheel.GetWorldMatrix();
    EXPECT_FLOAT_EQ(world._41, 3.0f);
    EXPECT_FLOAT_EQ(world._42, 0.25f);
    EXPECT_FLOAT_EQ(world._43, 0.5f);
    D3DXMATRIX turn;
    D3DXMatrixRotationYawPitchRoll(&turn, 0.5f, 0.25f, 0.125f);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) EXPECT_NEAR(world(row, column), turn(row, column), 1e-6f);
    }
    EXPECT_FLOAT_EQ(bolt.GetWorldMatrix()._41, 3.0f) << "the children follow";

    Results("SetPTransformation(wheel, 0, 0, 0/0, 1, 1, 1) SetPTransformation(wheel, 0, 0, 1e300, 1, 1, 1)");
    EXPECT_FLOAT_EQ(wheel.GetWorldMatrix()._41, 3.0f) << "a matrix that is not finite changes nothing";
}

TEST_F(ObjectFunctions, SetAnimationFillsTheRequestFromItsArguments)
{
    CPAnimation walk("walk&man.p3d");
    gameobject_test::AnimatedObject mesh;
    mesh.AddAnimation("walk", &walk);
    bolt.SetComponent(CPGameObject::kKindAnimated, &mesh);
    Results("SetAnimation(bolt, 'walk', 2.5, 3.9, -4.2, first)");
    EXPECT_EQ(mesh.GetCurrentName(), "walk");
    EXPECT_FLOAT_EQ(mesh.GetSpeed(), 2.5f);
    EXPECT_EQ(mesh.GetPassLimit(), 3);
    EXPECT_EQ(mesh.GetReportFrame(), -4);
    EXPECT_EQ(mesh.GetNotify(), &first);
    Results("SetAnimation(bolt, nil, 1, 1, 1, first) SetAnimation(bolt, 'walk', 1, 1, 1, root)");
    bolt.SetComponent(CPGameObject::kKindMesh, RefPtr<IPObject>());
}

TEST_F(ObjectFunctions, StoppingEveryTaskMarksThemAndRemovesNone)
{
    Register(first, "first");
    Register(second, "second");
    SetGlobalHandle("second", &second);
    Results("StopScript(second)");
    EXPECT_TRUE(second.IsStopped());
    EXPECT_FALSE(first.IsStopped());
    Results("KillAllTasks()");
    EXPECT_TRUE(first.IsStopped());
    EXPECT_TRUE(first.IsRunning()) << "only the stopped flag";
    EXPECT_EQ(tasks.GetTasks().size(), 2u);
}

TEST_F(ObjectFunctions, TheFrameTimeAndTheGlobalTimerFunctions)
{
    GlobalTimerTask timer;
    g_pGlobalTimer = &timer;
    tasks.AddTask(&timer);
    FrameDeltaTime = 0.25f;
    EXPECT_EQ(Joined("return GetDeltaTime()"), "0.25");
    Results("StopGlobalTimer()");
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(FrameDeltaTime, 0.0f);
    Results("StartGlobalTimer() StartGlobalTimer()");
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_EQ(tasks.GetTasks().size(), 2u) << "a stopped task added again is listed again, a running one not";
    FrameDeltaTime = 0.5f;
    Results("ClearTimer()");
    EXPECT_EQ(FrameDeltaTime, 0.0f);
    tasks.GetTasks().clear();
    g_pGlobalTimer = nullptr;
}

struct SplitCase {
    float seconds;
    double minutes, wholeSeconds, hundredths;
};

class TimeSplit : public ScriptTest, public testing::WithParamInterface<SplitCase> {};

TEST_P(TimeSplit, GivesMinutesSecondsAndHundredths)
{
    const int top = lua_gettop(state);
    SplitTime(state, GetParam().seconds);
    ASSERT_EQ(lua_gettop(state), top + 3);
    EXPECT_EQ(lua_tonumber(state, -3), GetParam().minutes);
    EXPECT_EQ(lua_tonumber(state, -2), GetParam().wholeSeconds);
    EXPECT_EQ(lua_tonumber(state, -1), GetParam().hundredths);
    lua_settop(state, top);
}

INSTANTIATE_TEST_SUITE_P(Times, TimeSplit,
                         testing::Values(SplitCase{59.999f, 0, 59, 99}, SplitCase{60.5f, 1, 0, 50},
                                         SplitCase{125.25f, 2, 5, 25}, SplitCase{0.0f, 0, 0, 0},
                                         SplitCase{3600.75f, 60, 0, 75}));

TEST(CarModels, MapBothWaysWithSidesAndLeaveOtherNamesAlone)
{
    EXPECT_EQ(CarModelTable::KeyToModel("zil_130_"), "zil_130");
    EXPECT_EQ(CarModelTable::KeyToModel("zil_130"), "zil_130");
    EXPECT_EQ(CarModelTable::KeyToModel("bmw"), "bmw_i745");
    EXPECT_EQ(CarModelTable::ModelToKey("volk_t"), "volswagen_toureg");
    EXPECT_EQ(CarModelTable::ModelToKey("uaz"), "uaz");
    EXPECT_EQ(CarModelTable::SideOfKey("gaz_3110_main"), CarModelTable::kLightSide);
    EXPECT_EQ(CarModelTable::SideOfKey("audi_tt"), CarModelTable::kDarkSide);
    EXPECT_EQ(CarModelTable::SideOfKey("audi"), CarModelTable::kNoSide);
    for (const CarModelEntry& entry : CarModelTable::kEntries) {
        EXPECT_EQ(CarModelTable::ModelToKey(CarModelTable::KeyToModel(entry.key)), entry.key);
    }
}

} // namespace
