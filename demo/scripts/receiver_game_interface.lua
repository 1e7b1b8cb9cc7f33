-- The race's messages: every one is printed, and the places as they fall.
return function(receiver)
    while SetNextCommand(receiver) do
        local command = GetCurrentCommand(receiver)
        if command == "place" then
            print("place " .. GetCurrentParams(receiver))
        elseif command == "show_message" then
            print(GetCurrentParams(receiver))
        elseif command == "checkpoint" or command == "bonus_points" then
            print(command .. " " .. table.concat({GetCurrentParams(receiver)}, ","))
        end
    end
end
