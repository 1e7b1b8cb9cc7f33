#pragma once

#include <string>

// Writes the start-up data the demo's scripts use under "Data" of the
// working folder: the named sounds with short generated waves, and a few
// items, texts (the screens' captions among them) and enemy kinds. False,
// naming the file, when one could not be written.
bool WriteScriptDemoData(std::string& error);
