#include "demo/DemoScripts.h"

#include "demo/DemoData.h"
#include "script/ScriptHost.h"

namespace {

// Each receiver runs "receiver_<name>.lua" (not "<name>.lua": "main" would
// take the main script's file) and hears its categories besides its name.
struct DemoReceiver {
    const char* name;
    const char* categories;
};
const DemoReceiver kReceivers[] = {
    {"main", "main"},
    {"gamemenu", "interface"},
    {"game_interface", "interface"},
    {"jeep", "level,actions"},
};

// The drive keys, read by name: the arrows steer and drive, space fires
// the nitro.
const char* const kActionsFile = "Actions.cfg";
const char* const kBindings = "forward;Forward;Up;false\r\n"
                              "back;Back;Down;false\r\n"
                              "left;Left;Left;false\r\n"
                              "right;Right;Right;false\r\n"
                              "nitro;Nitro;Space;false\r\n";

std::string ReceiverFile(const DemoReceiver& receiver)
{
    return std::string("receiver_") + receiver.name + ".lua";
}

bool HasScript(const std::string& name)
{
    for (size_t i = 0; i < kDemoScriptFileCount; ++i) {
        if (name == kDemoScriptFiles[i].name) return true;
    }
    return false;
}

bool WriteReceiverList(std::string& error)
{
    std::string list;
    for (const DemoReceiver& receiver : kReceivers) {
        if (!HasScript(ReceiverFile(receiver))) {
            error = ReceiverFile(receiver) + " is not among the demo scripts";
            return false;
        }
        list += std::string(receiver.name) + "," + ReceiverFile(receiver) + "," + receiver.categories + "\n";
    }
    return WriteDemoFile(ScriptHost::kReceiverList, list, error);
}

} // namespace

bool WriteDemoScripts(std::string& error)
{
    for (size_t i = 0; i < kDemoScriptFileCount; ++i) {
        const DemoScriptFile& script = kDemoScriptFiles[i];
        if (!WriteDemoFile(ScriptHost::kScriptFolder + std::string(script.name), script.text, error)) return false;
    }
    return WriteReceiverList(error) && WriteDemoFile(kActionsFile, kBindings, error);
}
