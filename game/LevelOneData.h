#pragma once

#include "game/LevelFile.h"

#include <string>

// The level "level1" of the demo data: a flat ring road round the origin
// with its route and side lines, the start posts, the player, three
// opponents, two timed checkpoints, a nitro zone, an enemy source, a
// numbered placed object, bonus objects and scenery, with every
// description, mesh, car and sky file they name.

// The road's middle radius and half width.
const float kLevelOneRoadRadius = 100.0f;
const float kLevelOneRoadHalfWidth = 6.0f;

// What "Data\Levels\level1.lvl" holds.
LevelFileContent LevelOneContent();

// Writes the level file and every file it names under "Data" in the
// current folder; false, with the path in error, when one cannot be written.
bool WriteLevelOne(std::string& error);
