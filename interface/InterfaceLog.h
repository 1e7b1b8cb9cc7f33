#pragma once

#include <string>
#include <vector>

// Where the interface's readers report what they found wrong in a screen,
// lens-flare or font file. Each report is one line, kept in memory (the
// newest few) and handed to the debugger's output; nothing stops on it.
void LogInterfaceProblem(const char* format, ...);

// The lines reported so far, oldest first, and a way to forget them.
const std::vector<std::string>& GetInterfaceLog();
void ClearInterfaceLog();
