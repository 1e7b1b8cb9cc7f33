#pragma once

#include "core/CommandReceiver.h"

#include <string>
#include <unordered_map>
#include <vector>

// The command bus: carries named commands with a comma-separated parameter
// text from the engine and the scripts to command receivers, addressed by a
// receiver's registered name, by a category of receivers or to one receiver
// directly. A command for a name or category that nobody registered, or for
// a receiver that is not running, is dropped without a word. The host
// registers the receivers; the bus holds them uncounted, and a receiver
// leaves the published bus when it is destroyed.
class CPCommandManager {
public:
    void RegisterReceiver(const std::string& name, CommandReceiver* receiver);
    void AddToCategory(const std::string& category, CommandReceiver* receiver);
    // Takes the receiver out under every name and from every category.
    void RemoveReceiver(const CommandReceiver* receiver);

    void SendCommandByName(const std::string& name, const std::string& command, const std::string& params);
    void SendCommandByCategory(const std::string& category, const std::string& command, const std::string& params);
    void SendCommandByObject(RefPtr<CommandReceiver> receiver, const std::string& command, const std::string& params);

    RefPtr<CommandReceiver> FindReceiver(const std::string& name);

private:
    static CommandRecord MakeRecord(const std::string& command, const std::string& params);

    std::unordered_map<std::string, CommandReceiver*> m_receiversByName;
    std::unordered_map<std::string, std::vector<CommandReceiver*>> m_receiversByCategory;
};

// The command bus that the host created and published.
extern CPCommandManager* g_pCommandManager;
CPCommandManager* GetCommandManager();
