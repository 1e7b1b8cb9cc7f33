#pragma once

#include <cstddef>
#include <string>

// A script of the demo game as the build embeds it: its file name in
// "Data\Scripts" and its text.
struct DemoScriptFile {
    const char* name;
    const char* text;
};

extern const DemoScriptFile kDemoScriptFiles[];
extern const size_t kDemoScriptFileCount;

// Writes every demo script, "receivers.txt" naming the receivers and their
// files, and the key bindings "Actions.cfg" beside the game; false, with
// the path in error, when one cannot be written.
bool WriteDemoScripts(std::string& error);
