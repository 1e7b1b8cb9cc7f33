#pragma once

#include "core/CommandRecord.h"
#include "core/PProcess.h"

#include <deque>
#include <string>
#include <vector>

// A task that takes commands from the command bus, such as a script that
// drives an interface screen or a game object. Only a running receiver
// accepts commands. New commands enter the queue at the front; the receiver
// works from the back, one command at a time, so it handles them in the
// order they were sent.
class CommandReceiver : public IPProcess {
public:
    CommandReceiver();
    // Leaves the published command bus, so no later command reaches a
    // destroyed receiver.
    ~CommandReceiver() override;

    // A receiver that starts anew begins with an empty queue: what it was
    // sent before it stopped is not for the new run.
    bool Start() override;

    // Queues a copy of the record when the receiver is running and not
    // marked stopped (a stopped task never runs, so would never read it);
    // answers whether it was queued.
    bool ReceiveCommand(const CommandRecord& record);

    // Moves to the next command: the first call after commands arrive makes
    // the oldest current, each later call drops the current one and makes
    // the next oldest current. Answers false, with no current command, once
    // the queue runs dry; an empty queue leaves everything as it was.
    bool SetNextCommand();

    // The current command's name and parameters, or null when there is none.
    const std::string* GetCurrentCommand() const;
    const std::vector<std::string>* GetCurrentParams() const;

    size_t GetQueuedCount() const { return m_queue.size(); }

private:
    // The current command is always the back record once one is taken, so
    // a flag says all there is to say and can never point at a dropped record.
    std::deque<CommandRecord> m_queue;
    bool m_hasCurrent;
};
