#include "core/PCommandManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Receiver : public CommandReceiver {
public:
    explicit Receiver(bool running)
    {
        if (running) Start();
    }
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "Receiver"; }
    void Execute() override {}
    int GetTaskValue() override { return 0; }

    // The command that the next step makes current, or "" when none is left.
    std::string Next()
    {
        return SetNextCommand() ? *GetCurrentCommand() : std::string();
    }
};

class CommandBus : public ::testing::Test {
protected:
    CommandBus() : gameInterface(true), gameMenu(false), main(true)
    {
        bus.RegisterReceiver("game_interface", &gameInterface);
        bus.RegisterReceiver("gamemenu", &gameMenu);
        bus.RegisterReceiver("main", &main);
        bus.AddToCategory("interface", &gameInterface);
        bus.AddToCategory("interface", &gameMenu);
        bus.AddToCategory("interface", &main);
    }

    CPCommandManager bus;
    Receiver gameInterface;
    Receiver gameMenu;
    Receiver main;
};

TEST_F(CommandBus, ReceiverReadsCommandsInTheOrderTheyWereSent)
{
    EXPECT_FALSE(gameInterface.SetNextCommand());
    EXPECT_EQ(gameInterface.GetCurrentCommand(), nullptr);

    bus.SendCommandByName("game_interface", "first", "");
    bus.SendCommandByObject(&gameInterface, "second", "");
    bus.SendCommandByCategory("interface", "third", "");

    EXPECT_EQ(gameInterface.Next(), "first");
    bus.SendCommandByName("game_interface", "fourth", "");
    EXPECT_EQ(gameInterface.Next(), "second");
    EXPECT_EQ(gameInterface.Next(), "third");
    EXPECT_EQ(gameInterface.Next(), "fourth");
    EXPECT_FALSE(gameInterface.SetNextCommand());
    EXPECT_EQ(gameInterface.GetCurrentCommand(), nullptr);
    EXPECT_EQ(gameInterface.GetCurrentParams(), nullptr);
    EXPECT_EQ(gameInterface.GetQueuedCount(), 0u);
    EXPECT_FALSE(gameInterface.SetNextCommand());
}

TEST_F(CommandBus, TheLastCommandStaysCurrentUntilTheNextStep)
{
    bus.SendCommandByName("main", "only", "");
    ASSERT_EQ(main.Next(), "only");
    EXPECT_EQ(*main.GetCurrentCommand(), "only");
    EXPECT_EQ(main.GetQueuedCount(), 1u);
}

TEST_F(CommandBus, ByNameReachesOnlyARunningReceiverOfThatName)
{
    bus.SendCommandByName("gamemenu", "set_money", "100");
    bus.SendCommandByName("nobody", "show_message", "lost");
    bus.SendCommandByName("game_interface", "show_message", "finish!");

    EXPECT_EQ(gameMenu.GetQueuedCount(), 0u);
    EXPECT_EQ(main.GetQueuedCount(), 0u);
    ASSERT_EQ(gameInterface.Next(), "show_message");
    EXPECT_EQ(*gameInterface.GetCurrentParams(), std::vector<std::string>{"finish!"});
    EXPECT_EQ(gameInterface.GetQueuedCount(), 1u);
}

TEST_F(CommandBus, ByCategoryReachesEveryRunningReceiverOfTheCategory)
{
    bus.SendCommandByCategory("interface", "update", "");
    bus.SendCommandByCategory("level", "update", "");

    EXPECT_EQ(gameInterface.GetQueuedCount(), 1u);
    EXPECT_EQ(main.GetQueuedCount(), 1u);
    EXPECT_EQ(gameMenu.GetQueuedCount(), 0u);
}

TEST_F(CommandBus, ByObjectReachesTheObjectOnlyWhileItRuns)
{
    bus.SendCommandByObject(&gameMenu, "add_object", "1");
    bus.SendCommandByObject(RefPtr<CommandReceiver>(), "add_object", "2");
    EXPECT_EQ(gameMenu.GetQueuedCount(), 0u);

    main.Stop();
    bus.SendCommandByObject(&main, "delete_object", "3");
    EXPECT_EQ(main.GetQueuedCount(), 0u);

    main.Start();
    bus.SendCommandByObject(&main, "delete_object", "4");
    ASSERT_EQ(main.Next(), "delete_object");
    EXPECT_EQ(*main.GetCurrentParams(), std::vector<std::string>{"4"});
}

TEST_F(CommandBus, ARemovedReceiverIsReachedNeitherByNameNorByCategory)
{
    bus.RegisterReceiver("alias", &main);
    bus.RemoveReceiver(&main);

    bus.SendCommandByName("main", "by name", "");
    bus.SendCommandByName("alias", "by alias", "");
    bus.SendCommandByCategory("interface", "by category", "");
    EXPECT_EQ(main.GetQueuedCount(), 0u);
    EXPECT_FALSE(bus.FindReceiver("main"));
    EXPECT_FALSE(bus.FindReceiver("alias"));
    EXPECT_EQ(gameInterface.Next(), "by category") << "the rest of the category still hears it";
}

TEST_F(CommandBus, ADestroyedReceiverLeavesThePublishedBus)
{
    CPCommandManager* previous = g_pCommandManager;
    g_pCommandManager = &bus;
    Receiver* doomed = new Receiver(true);
    bus.RegisterReceiver("doomed", doomed);
    bus.AddToCategory("interface", doomed);
    delete doomed;

    EXPECT_FALSE(bus.FindReceiver("doomed"));
    bus.SendCommandByName("doomed", "late", "");
    bus.SendCommandByCategory("interface", "late", "");
    EXPECT_EQ(main.Next(), "late");
    g_pCommandManager = previous;
}

TEST_F(CommandBus, FindReceiverAnswersTheRegisteredReceiverOrNone)
{
    EXPECT_EQ(bus.FindReceiver("gamemenu").Get(), &gameMenu);
    EXPECT_FALSE(bus.FindReceiver("GameMenu"));
}

struct ParamCase {
    const char* text;
    std::vector<std::string> params;
};

class CommandParams : public ::testing::TestWithParam<ParamCase> {};

TEST_P(CommandParams, SplitAtCommasWithQuotesKeepingFieldsWhole)
{
    CPCommandManager bus;
    Receiver receiver(true);
    bus.RegisterReceiver("jeep", &receiver);
    bus.SendCommandByName("jeep", "command", GetParam().text);
    ASSERT_TRUE(receiver.SetNextCommand());
    EXPECT_EQ(*receiver.GetCurrentParams(), GetParam().params);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CommandParams,
    ::testing::Values(ParamCase{"", {}}, ParamCase{"finish!", {"finish!"}},
                      ParamCase{"time,12.5,3.000000", {"time", "12.5", "3.000000"}},
                      ParamCase{" a , b ", {"a", "b"}}, ParamCase{"a,,b", {"a", "", "b"}},
                      ParamCase{"a,\"x, y\",z", {"a", "x, y", "z"}},
                      ParamCase{"\"say \"\"hi\"\"\"", {"say \"hi\""}}));

}  // namespace
