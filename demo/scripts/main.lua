-- Runs once at start-up, before the first frame: the profile, the human
-- car, the race to drive and the key bindings. The receivers do the rest.
SetProfileName("Driver")
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
