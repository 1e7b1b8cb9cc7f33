#include "game/PActionsManager.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/PTextReader.h"
#include "game/KeyNames.h"
#include "game/TextFields.h"

#include <windows.h>

CPActionsManager* g_pActionsManager = nullptr;

CPActionsManager* GetActionsManager()
{
    return g_pActionsManager;
}

namespace {

const char* const kActionsPath = "Actions.cfg";
const char* const kFieldSeparator = ";";
const char* const kByCode = "true";
const char* const kByName = "false";
const char* const kLineEnd = "\r\n";
const char* const kUnboundKey = "undefined key";
const size_t kLineFields = 4;

bool HasCodeSlot(int number)
{
    return number >= 0 && number < CPActionsManager::kCodeSlots;
}

void BindLine(CPActionsManager& manager, const std::vector<std::string>& fields)
{
    const std::string& action = fields[0];
    const std::string& caption = fields[1];
    const std::string& key = fields[2];
    if (fields[3] == kByCode) {
        const int number = ParseDecimalInt(key);
        const uint8_t code = static_cast<uint8_t>(number);
        if (HasCodeSlot(number)) {
            manager.codeSlots[number] = ActionBinding(code, "", action, true);
        }
        manager.actions[action] = ActionBinding(code, key, caption, true);
    } else {
        const int found = FindKeyCode(key);
        const uint8_t code = static_cast<uint8_t>(found < 0 ? 0 : found);
        manager.keySlots[code] = ActionBinding(code, key, action, false);
        manager.actions[action] = ActionBinding(code, key, caption, false);
    }
    manager.actionNames.push_back(action);
}

void ReadBindings(CPActionsManager& manager, CPTextReader& reader)
{
    for (ActionBinding& slot : manager.keySlots) slot = ActionBinding();
    manager.actions.clear();
    manager.actionNames.clear();
    std::string line;
    while (reader.ReadLine(line)) {
        const std::vector<std::string> fields = SplitFields(line, kFieldSeparator, kLineFields, true);
        if (!fields[0].empty()) BindLine(manager, fields);
    }
}

// A number without a code slot binds nothing; it is written back as it was
// read, since its low byte could name a live slot after the next reading.
std::string CodeText(const ActionBinding& binding)
{
    if (!HasCodeSlot(ParseDecimalInt(binding.key))) return binding.key;
    return std::to_string(binding.code);
}

std::string BindingLine(const std::string& action, const ActionBinding& binding)
{
    const std::string key = binding.byCode ? CodeText(binding) : binding.key;
    return QuoteField(action, kFieldSeparator) + kFieldSeparator + QuoteField(binding.text, kFieldSeparator) +
           kFieldSeparator + QuoteField(key, kFieldSeparator) + kFieldSeparator + (binding.byCode ? kByCode : kByName) +
           kLineEnd;
}

} // namespace

CPActionsManager::CPActionsManager()
    : mouseX(0.0f), mouseY(0.0f), actionsEnabled(false), assignKeyMode(false), keysDown(), buttonsDown()
{
}

void CPActionsManager::SetAction(const std::string& actionName, const std::string& keyName)
{
    for (auto& entry : actions) {
        ActionBinding& binding = entry.second;
        if (binding.key == keyName) binding = ActionBinding(0, kUnboundKey, binding.text, false);
    }
    auto action = actions.find(actionName);
    if (action == actions.end()) return;
    const int code = FindKeyCode(keyName);
    if (code < 0) return;
    action->second.key = keyName;
    action->second.code = static_cast<uint8_t>(code);
}

int LoadActionsFile(const std::string& path)
{
    CPActionsManager* manager = GetActionsManager();
    if (!manager) return E_FAIL;
    CPDataFile file(path, false);
    const HRESULT loaded = file.Load();
    if (FAILED(loaded)) return loaded;
    CPTextReader reader(file.GetData(), file.GetDataSize());
    ReadBindings(*manager, reader);
    return 0;
}

bool SaveActionsFile()
{
    CPActionsManager* manager = GetActionsManager();
    if (!manager) return false;
    std::string text;
    for (const std::string& name : manager->actionNames) text += BindingLine(name, manager->actions[name]);
    CPDataFileWriter writer(kActionsPath, false);
    writer.Write(text.data(), text.size());
    return SUCCEEDED(writer.Save());
}

int SaveAndReloadActionsFile()
{
    if (!SaveActionsFile()) return E_FAIL;
    return LoadActionsFile(kActionsPath);
}

void GetMousePosition(int& x, int& y)
{
    const CPActionsManager* manager = GetActionsManager();
    x = manager ? static_cast<int>(manager->mouseX) : 0;
    y = manager ? static_cast<int>(manager->mouseY) : 0;
}
