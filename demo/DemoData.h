#pragma once

#include <d3d9.h>

#include <string>

// The box's colour, the sky dome's and the fog's that shows below the
// horizon, as the frame shows them at full light.
extern const D3DCOLOR kDemoBoxColour;
extern const D3DCOLOR kDemoSkyColour;
extern const D3DCOLOR kDemoFogColour;

// Writes the demo game's data under "Data" of the working folder, one
// writer after the other (the list is in DemoData.cpp): the loading
// screen's two images, the sky "skyscape0.txt" with its dome image, the
// opening scene's box with its mesh file and image, and the particle
// definitions with their image, and the level "level1" with every file it
// names. False, naming the file, when one could not be written.
bool WriteDemoData(std::string& error);

// For the writers: saves bytes as the file at path (a path under "Data"),
// making the folders on the way. False, naming the file, when it could not
// be written.
bool WriteDemoFile(const std::string& path, const std::string& bytes, std::string& error);
