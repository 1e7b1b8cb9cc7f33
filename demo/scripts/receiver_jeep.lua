-- The player's car: the drive keys steer it; with none held an autopilot
-- keeps to the road's middle. At the race's end it keeps the scores, saves the
-- profile, leaves the level and shows the score table.
local kRace = 1
-- The autopilot steers toward the road's middle this far ahead of the car,
-- and farther the faster it goes.
local kLookAhead = 5.0
local kLookAheadSeconds = 0.5
local kSteerPerRadian = 2.0
-- Route points lie a piece (about 13) apart, and the first one found may
-- lie up to 20 behind the car: a few steps reach past the look-ahead.
local kRouteSteps = 8
-- The autopilot keeps below the speed at which the ring throws the car off.
local kCruiseSpeed = 24.0
local kNitroAmount = 1.0

local car = nil
local held = {}
local scores = nil

-- A null handle is a value too: only its text tells it apart.
local function IsNull(handle)
    return PointerToString(handle) == "0"
end

-- The part that carries the script hangs below the car itself.
local function TopmostParent(object)
    local parent = GetParentObject(object)
    while not IsNull(parent) do
        object = parent
        parent = GetParentObject(object)
    end
    return object
end

-- The angle that turns the direction (x, y) onto (toX, toY), counter-clockwise
-- seen from above.
local function TurnAngle(x, y, toX, toY)
    return math.atan2(x * toY - y * toX, x * toX + y * toY)
end

-- The road's middle ahead of the car: the first route point at least the
-- distance ahead along the road's direction. Positive offsets step along
-- the route the way the race runs. Nothing when the car is off every piece.
local function MiddleAhead(x, y, distance)
    local _, roadAngle = GetPlayerSplineAngle()
    local alongX, alongY = math.cos(roadAngle), math.sin(roadAngle)
    for step = 0, kRouteSteps do
        local pointX, pointY = GetClosestLineCenter(x, y, 0, step)
        if not pointX then return nil end
        if (pointX - x) * alongX + (pointY - y) * alongY >= distance then return pointX, pointY end
    end
    return nil
end

-- Toward the road's middle ahead, or, far off the road, along the road's
-- direction; the car turns towards a greater heading with negative
-- steering.
local function RoadSteer()
    local x, y = GetPosition(car)
    local noseX, noseY = GetPlayerDirection()
    local targetX, targetY = MiddleAhead(x, y, kLookAhead + GetPlayerSpeed() * kLookAheadSeconds)
    local turn
    if targetX then
        turn = TurnAngle(noseX, noseY, targetX - x, targetY - y)
    else
        local _, roadAngle = GetPlayerSplineAngle()
        turn = TurnAngle(noseX, noseY, math.cos(roadAngle), math.sin(roadAngle))
    end
    return math.max(-1, math.min(1, -turn * kSteerPerRadian))
end

local function Drive()
    local throttle = (held.forward and 1 or 0) - (held.back and 1 or 0)
    local steer = (held.right and 1 or 0) - (held.left and 1 or 0)
    if not (held.forward or held.back or held.left or held.right) then
        throttle, steer = GetPlayerSpeed() < kCruiseSpeed and 1 or 0, RoadSteer()
    end
    SetCarParams(car, throttle, steer)
    if held.nitro then PlayerNitro(kNitroAmount) end
end

local function PrintStandings()
    local standings = SetPlayersPanel()
    for place, id in ipairs(standings) do
        print("standing " .. place .. " " .. id)
    end
    local minutes, seconds, hundredths = GetTimeBest()
    print(string.format("best round %02d:%02d:%02d", minutes, seconds, hundredths))
end

local function ShowScores()
    scores = scores or CreateInterface("scores", kScreenLayer)
    ActivateInterface(scores)
    for place, entry in ipairs(GetRecords(kRace)) do
        SetText(scores, "score" .. place, entry[1] .. " " .. entry[2])
        print("score " .. place .. " " .. entry[1] .. " " .. entry[2])
    end
    print("score screen")
end

-- Only a race the car drove to its end and won has a time for the score
-- table: the round after the last is the one past the finish.
local function EndRace()
    if GetCurrentRound() > GetRoundsNumber() and raceOutcome == "finish!" then
        CheckPlayerRecords(kRace)
        SaveScore()
    end
    SaveGame()
    PrintStandings()
    StopLevel()
    DeleteLevel()
    car = nil
    ShowScores()
end

local function Handle(receiver, command)
    if command == "add_object" then
        car = TopmostParent(StringToPointer(GetCurrentParams(receiver)))
    elseif command == "action_down" then
        held[GetCurrentParams(receiver)] = true
    elseif command == "action_up" then
        held[GetCurrentParams(receiver)] = nil
    elseif command == "game_over" then
        EndRace()
    end
end

return function(receiver)
    while SetNextCommand(receiver) do
        Handle(receiver, GetCurrentCommand(receiver))
    end
    if car and IsLevelStarted() then Drive() end
    if scores then UpdateInterface(scores) end
end
