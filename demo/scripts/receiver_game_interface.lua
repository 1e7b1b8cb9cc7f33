-- The race's messages: every one is printed, and the places as they fall.
-- The outcome, "finish!" or "lost!", is kept in the global raceOutcome for
-- "jeep": the race sends it just before "game_over", and this receiver,
-- listed before "jeep", takes its commands first in every frame. "main"
-- clears it when it starts a race.
return function(receiver)
    while SetNextCommand(receiver) do
        local command = GetCurrentCommand(receiver)
        if command == "place" then
            print("place " .. GetCurrentParams(receiver))
        elseif command == "show_message" then
            local message = GetCurrentParams(receiver)
            if message == "finish!" or message == "lost!" then raceOutcome = message end
            print(message)
        elseif command == "checkpoint" or command == "bonus_points" then
            print(command .. " " .. table.concat({GetCurrentParams(receiver)}, ","))
        end
    end
end
