#pragma once

#include <string>

// The demo game's screens: the menu ("menu", heard by "main"), the in-race
// display ("race", heard by "gamemenu") and the score table ("scores",
// heard by "jeep"), with their texture and the font "main" their texts use.
// False, with the path in error, when a file cannot be written.
bool WriteDemoScreens(std::string& error);
