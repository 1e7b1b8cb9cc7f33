-- Runs once at start-up, before the first frame: the profile and its save,
-- the human car, the race to drive and the key bindings. The receivers do
-- the rest.
local kProfile = "Driver"
SetProfileName(kProfile)
-- The profile's own save, when there is one, is loaded: it keeps its slot,
-- so every run saves to the same file.
local slots, names = GetSaves()
for slot = 1, slots do
    if names[slot] == kProfile then
        LoadGame("save" .. (slot - 1) .. ".sav")
        break
    end
end
SetPlayerType(true)
SetCurrentRace(1)
LoadActions("Actions.cfg")
SetActions(true)

-- Screens draw one layer below their texts, whose font draws at the
-- screens' base layer.
kScreenLayer = -1

-- The menu screen; the receiver "main" draws it until the race starts.
menu = CreateInterface("menu", kScreenLayer)
ActivateInterface(menu)
