#pragma once

#include <string>

// Writes the demo's scripts and start-up data under "Data" of the working
// folder: "Data\Scripts" with four receivers that take their commands and a
// main script that prints a line, the named sounds with short generated
// waves, and a few items, texts and enemy kinds. False, naming the file,
// when one could not be written.
bool WriteScriptDemoData(std::string& error);

// The line the demo's main script prints.
extern const char* const kDemoMainScriptLine;
