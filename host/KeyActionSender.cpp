#include "host/KeyActionSender.h"

#include "core/PCommandManager.h"
#include "game/KeyNames.h"

#include <cstring>

namespace {

const char* const kActionsCategory = "actions";
const char* const kActionDown = "action_down";
const char* const kActionUp = "action_up";
const char* const kKeyAssigned = "key_assigned";
const char* const kUnnamedKey = "undefined key";

bool HasKeyName(int code)
{
    return code < kKeyNameCount && std::strcmp(KeyNames[code], kUnnamedKey) != 0;
}

bool IsBound(const ActionBinding& binding)
{
    return binding.bound && !binding.text.empty();
}

// Sends the change of one key or button when its binding names an action;
// answers what the scripts now know of it.
bool ReportChange(const ActionBinding& binding, bool down, bool reported)
{
    if (down == reported || !IsBound(binding)) return reported;
    GetCommandManager()->SendCommandByCategory(kActionsCategory, down ? kActionDown : kActionUp, binding.text);
    return down;
}

} // namespace

KeyActionSender::KeyActionSender()
    : m_keysReported(), m_buttonsReported(), m_keysBefore(), m_keysSilenced()
{
}

void KeyActionSender::SendChanges()
{
    CPActionsManager* actions = GetActionsManager();
    if (!actions || !GetCommandManager()) return;
    const bool assigning = actions->assignKeyMode;
    if (assigning) AssignKey(*actions);
    if (actions->actionsEnabled) {
        SendKeyActions(*actions, assigning);
        SendButtonActions(*actions);
    }
    for (int code = 0; code < CPActionsManager::kKeySlots; ++code) {
        m_keysBefore[code] = actions->keysDown[code];
        if (!actions->keysDown[code]) m_keysSilenced[code] = false;
    }
}

void KeyActionSender::AssignKey(CPActionsManager& actions)
{
    for (int code = 0; code < CPActionsManager::kKeySlots; ++code) {
        if (!actions.keysDown[code] || m_keysBefore[code] || !HasKeyName(code)) continue;
        m_keysSilenced[code] = true;
        actions.assignKeyMode = false;
        GetCommandManager()->SendCommandByCategory(kActionsCategory, kKeyAssigned, KeyNames[code]);
        return;
    }
}

// While a key is being assigned no key goes down for the scripts; keys
// already down may still go up.
void KeyActionSender::SendKeyActions(const CPActionsManager& actions, bool assigning)
{
    for (int code = 0; code < CPActionsManager::kKeySlots; ++code) {
        const bool down = actions.keysDown[code];
        if (down && (assigning || m_keysSilenced[code])) continue;
        m_keysReported[code] = ReportChange(actions.keySlots[code], down, m_keysReported[code]);
    }
}

void KeyActionSender::SendButtonActions(const CPActionsManager& actions)
{
    for (int button = 0; button < CPActionsManager::kMouseButtons; ++button) {
        m_buttonsReported[button] =
            ReportChange(actions.codeSlots[button], actions.buttonsDown[button], m_buttonsReported[button]);
    }
}
