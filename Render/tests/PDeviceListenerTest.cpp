#include "Render/PDeviceListener.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Writes each notification into a shared journal as "<name> lost/reset".
class JournalListener : public IPDeviceListener {
public:
    JournalListener(std::string name, std::vector<std::string>& journal)
        : m_name(std::move(name)), m_journal(journal)
    {
    }
    void OnLostDevice() override { m_journal.push_back(m_name + " lost"); }
    void OnResetDevice() override { m_journal.push_back(m_name + " reset"); }

private:
    std::string m_name;
    std::vector<std::string>& m_journal;
};

// What a host does around IDirect3DDevice9::Reset.
void NotifyLostThenReset()
{
    for (IPDeviceListener* listener : GetDeviceListeners()) listener->OnLostDevice();
    for (IPDeviceListener* listener : GetDeviceListeners()) listener->OnResetDevice();
}

std::vector<IPDeviceListener*> Snapshot()
{
    return {GetDeviceListeners().begin(), GetDeviceListeners().end()};
}

TEST(DeviceListeners, ACreatedAndDestroyedListenerLeavesTheListAsItWas)
{
    std::vector<std::string> journal;
    const std::vector<IPDeviceListener*> before = Snapshot();
    { JournalListener passing("passing", journal); }
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(journal.empty());
}

TEST(DeviceListeners, DestroyingInAnyOrderKeepsTheOthersInInsertionOrder)
{
    std::vector<std::string> journal;
    const std::vector<IPDeviceListener*> before = Snapshot();
    std::vector<std::unique_ptr<JournalListener>> listeners;
    for (const char* name : {"a", "b", "c", "d"}) {
        listeners.push_back(std::make_unique<JournalListener>(name, journal));
    }
    listeners[2].reset();
    listeners[0].reset();

    std::vector<IPDeviceListener*> expected = before;
    expected.push_back(listeners[1].get());
    expected.push_back(listeners[3].get());
    EXPECT_EQ(Snapshot(), expected);

    listeners.clear();
    EXPECT_EQ(Snapshot(), before);
}

TEST(DeviceListeners, EveryListenerHearsLossBeforeAnyReset)
{
    std::vector<std::string> journal;
    JournalListener first("first", journal);
    JournalListener second("second", journal);

    NotifyLostThenReset();

    EXPECT_EQ(journal, (std::vector<std::string>{"first lost", "second lost", "first reset",
                                                 "second reset"}));
}

} // namespace
