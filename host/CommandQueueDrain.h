#pragma once

#include "core/CommandReceiver.h"

// Stands in for a script receiver until scripts run: a running receiver
// under the receiver's name that empties its queue every frame, so commands
// sent to it are taken and dropped instead of piling up.
class CommandQueueDrain : public CommandReceiver {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CommandQueueDrain"; }
    void Execute() override
    {
        while (SetNextCommand()) {
        }
    }
    int GetTaskValue() override { return 0; }
};
