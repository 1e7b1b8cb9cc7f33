-- The menu: drawn every frame until its "start" button is pressed or, when
-- nobody touches it, for three seconds; then the race on "level1" starts.
local kUnattendedSeconds = 3.0
local kRounds = 2
local kStartMoney = 100

local menuSeconds = 0.0
local menuShown = false
local raceStarted = false

local function StartRace()
    DeactivateInterface(menu)
    -- A new race has no outcome yet: an earlier race's win must not let
    -- "jeep" enter a lap of a race that ends without one.
    raceOutcome = nil
    InitLevel("level1", false)
    SetNumRounds(kRounds)
    SetMoney(kStartMoney)
    SetLevelStarted(true)
    SetUpdateTime(true)
    StartLevel()
    raceStarted = true
    print("race started")
end

-- Answers whether the menu's "start" button was pressed since the last frame.
local function TakeCommands(receiver)
    local startPressed = false
    while SetNextCommand(receiver) do
        local command, name = GetCurrentCommand(receiver), GetCurrentParams(receiver)
        if command == "button" and name == "start" then startPressed = true end
    end
    return startPressed
end

return function(receiver)
    local startPressed = TakeCommands(receiver)
    if raceStarted then return end
    if not menuShown then
        menuShown = true
        print("menu")
    end
    UpdateInterface(menu)
    menuSeconds = menuSeconds + GetDeltaTime()
    if startPressed or menuSeconds >= kUnattendedSeconds then StartRace() end
end
