#pragma once

#include <string>
#include <vector>

// The game program's log: one line for each thing at start-up or in the
// frame loop that the player would want to know of (a damaged setting, a
// missing data folder). Each line goes to the debugger's output and is
// kept in memory (the newest few).
void LogHostLine(const std::string& line);

// The lines logged so far, oldest first, and a way to forget them.
const std::vector<std::string>& GetHostLog();
void ClearHostLog();
