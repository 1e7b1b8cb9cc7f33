#pragma once

#include "Render/ParticleFile.h"

#include <string>
#include <vector>

// The demo's shot templates: a template for every kind the game rules
// spawn (weapons, enemies, bonuses, the bolt's impact), projectiles with no
// model or sound. False, naming the file, when "Data\Shots.txt" could not
// be written.
bool WriteDemoShots(std::string& error);

// An emitter for every particle name the game rules and the demo's effect
// shots start, each feeding the batch of its own name.
std::vector<NamedEmitter> DemoShotEmitters();
