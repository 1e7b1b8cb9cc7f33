#include "core/PCommandManager.h"

#include "core/PTokenizer.h"

#include <algorithm>

CPCommandManager* g_pCommandManager = nullptr;

CPCommandManager* GetCommandManager()
{
    return g_pCommandManager;
}

void CPCommandManager::RegisterReceiver(const std::string& name, CommandReceiver* receiver)
{
    m_receiversByName[name] = receiver;
}

void CPCommandManager::AddToCategory(const std::string& category, CommandReceiver* receiver)
{
    m_receiversByCategory[category].push_back(receiver);
}

void CPCommandManager::RemoveReceiver(const CommandReceiver* receiver)
{
    for (auto named = m_receiversByName.begin(); named != m_receiversByName.end();) {
        if (named->second == receiver) {
            named = m_receiversByName.erase(named);
        } else {
            ++named;
        }
    }
    for (auto& category : m_receiversByCategory) {
        std::vector<CommandReceiver*>& members = category.second;
        members.erase(std::remove(members.begin(), members.end(), receiver), members.end());
    }
}

// Parameters are split at "," with double quotes keeping a field whole, so
// a quoted text may itself hold commas.
CommandRecord CPCommandManager::MakeRecord(const std::string& command, const std::string& params)
{
    CommandRecord record;
    record.command = command;
    CPTokenizer tokenizer(params, ",", true);
    std::string param;
    while (tokenizer.NextToken(param)) {
        record.params.push_back(param);
    }
    return record;
}

void CPCommandManager::SendCommandByName(const std::string& name, const std::string& command,
                                         const std::string& params)
{
    CommandRecord record = MakeRecord(command, params);
    auto found = m_receiversByName.find(name);
    if (found != m_receiversByName.end() && found->second) {
        found->second->ReceiveCommand(record);
    }
}

void CPCommandManager::SendCommandByCategory(const std::string& category, const std::string& command,
                                             const std::string& params)
{
    CommandRecord record = MakeRecord(command, params);
    auto found = m_receiversByCategory.find(category);
    if (found == m_receiversByCategory.end()) return;
    for (CommandReceiver* receiver : found->second) {
        if (receiver) receiver->ReceiveCommand(record);
    }
}

void CPCommandManager::SendCommandByObject(RefPtr<CommandReceiver> receiver, const std::string& command,
                                           const std::string& params)
{
    CommandRecord record = MakeRecord(command, params);
    if (receiver) receiver->ReceiveCommand(record);
}

RefPtr<CommandReceiver> CPCommandManager::FindReceiver(const std::string& name)
{
    auto found = m_receiversByName.find(name);
    if (found == m_receiversByName.end()) return RefPtr<CommandReceiver>();
    return RefPtr<CommandReceiver>(found->second);
}
