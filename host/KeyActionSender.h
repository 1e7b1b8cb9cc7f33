#pragma once

#include "game/PActionsManager.h"

// Tells the scripts, once a frame, what the held keys and mouse buttons of
// the key-binding manager did since the last frame. While actions are on,
// a bound key or button that went down or up sends "action_down" or
// "action_up" with its action to the receivers of "actions"; what changed
// while they were off is sent once they are on again, so every
// "action_down" is followed by its "action_up". In key-assignment mode the
// next named key sends "key_assigned" with its name instead and ends the
// mode; that key sends no action until it has been released.
class KeyActionSender {
public:
    KeyActionSender();

    void SendChanges();

private:
    void AssignKey(CPActionsManager& actions);
    void SendKeyActions(const CPActionsManager& actions, bool assigning);
    void SendButtonActions(const CPActionsManager& actions);

    // Whether the scripts were last told the key or button went down.
    bool m_keysReported[CPActionsManager::kKeySlots];
    bool m_buttonsReported[CPActionsManager::kMouseButtons];
    // The keys held at the last frame, for what went down since.
    bool m_keysBefore[CPActionsManager::kKeySlots];
    // Keys that served an assignment, silent until released.
    bool m_keysSilenced[CPActionsManager::kKeySlots];
};
