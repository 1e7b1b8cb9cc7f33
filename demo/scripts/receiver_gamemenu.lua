-- The in-race display: place, lap, time, life and money, drawn every frame
-- while the level runs.
local screen = nil
local shown = false
-- The money can come before the display is made.
local money = "0.00"

-- The player's place among the racers, from the standings.
local function PlayerPlace()
    local standings = SetPlayersPanel()
    for place, id in ipairs(standings) do
        if id == "10" then return place end
    end
    return 0
end

local function ShowRaceState()
    SetText(screen, "place", "Place " .. PlayerPlace())
    local lap = math.min(GetCurrentRound(), GetRoundsNumber())
    SetText(screen, "lap", "Lap " .. lap .. "/" .. GetRoundsNumber())
    UpdateTime(screen)
end

local function Handle(command, value)
    if command == "init_game_interface" then
        screen = screen or CreateInterface("race", kScreenLayer)
        ActivateInterface(screen)
        shown = true
        InitGameInterface(screen)
        UpdateGameInterface(screen)
        SetText(screen, "money", "$" .. money)
    elseif screen and command == "update_game_interface" then
        UpdateGameInterface(screen)
    elseif command == "set_money" or command == "change_money" then
        money = value
        if screen then SetText(screen, "money", "$" .. money) end
    end
end

return function(receiver)
    while SetNextCommand(receiver) do
        Handle(GetCurrentCommand(receiver), GetCurrentParams(receiver))
    end
    if not shown then return end
    if not IsLevelStarted() then
        DeactivateInterface(screen)
        shown = false
        return
    end
    ShowRaceState()
    UpdateInterface(screen)
end
