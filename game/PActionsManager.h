#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// One key binding. Built from a bindings line or by rebinding, it is bound;
// an empty binding has empty texts and both flags false.
struct ActionBinding {
    ActionBinding() : code(0), bound(false), byCode(false) {}
    ActionBinding(uint8_t code, const std::string& key, const std::string& text, bool byCode)
        : code(code), key(key), text(text), bound(true), byCode(byCode)
    {
    }

    uint8_t code;
    // The key's name, or the code's decimal text when it is given by number.
    std::string key;
    // The action's name in a key or code slot; its caption in the action map.
    std::string text;
    bool bound;
    bool byCode;
};

// The player's key bindings, kept by action name for the options screen, the
// scripts and "Actions.cfg", and by key code for the host's input code,
// which reads the slots each frame. The host creates the one manager,
// publishes it in g_pActionsManager and feeds it the mouse position and the
// keys held.
class CPActionsManager {
public:
    static const int kKeySlots = 256;
    static const int kCodeSlots = 128;
    // Left, right and middle; bound through code slots 0, 1 and 2.
    static const int kMouseButtons = 3;

    CPActionsManager();

    // Moves an action to the named key, taking the key from every action
    // that holds it. The key and code slots follow only once the bindings
    // are written and read back.
    void SetAction(const std::string& actionName, const std::string& keyName);

    float mouseX;
    float mouseY;
    ActionBinding keySlots[kKeySlots];
    ActionBinding codeSlots[kCodeSlots];
    std::unordered_map<std::string, ActionBinding> actions;
    // Action names in the order they were read; a repeated one is repeated.
    std::vector<std::string> actionNames;
    bool actionsEnabled;
    bool assignKeyMode;
    // The keys held now, by key code, as the host's key messages report
    // them; the host's input code reads them against the key slots.
    bool keysDown[kKeySlots];
    // The mouse buttons held now, left, right and middle.
    bool buttonsDown[kMouseButtons];
};

extern CPActionsManager* g_pActionsManager;
CPActionsManager* GetActionsManager();

// Replaces the published manager's bindings with those of a bindings file:
// the file's load result when it cannot be read (nothing changes then), or
// 0. A negative result also when no manager is published.
int LoadActionsFile(const std::string& path);
// Writes the bindings to "Actions.cfg" as a whole; false, with the old file
// kept, when it could not be written.
bool SaveActionsFile();
// Writes "Actions.cfg" and reads it back, so the slots follow the
// bindings; a failed write keeps the bindings in memory and answers E_FAIL.
int SaveAndReloadActionsFile();

// The mouse position truncated to whole pixels.
void GetMousePosition(int& x, int& y);
