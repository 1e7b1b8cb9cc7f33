#pragma once

#include <d3d9.h>

#include <string>

// What the opening scene shows until levels come from scripts.
extern const char* const kDemoBoxDescription;
// The box's colour, the sky dome's and the fog's that shows below the
// horizon, as the frame shows them at full light.
extern const D3DCOLOR kDemoBoxColour;
extern const D3DCOLOR kDemoSkyColour;
extern const D3DCOLOR kDemoFogColour;

// Writes the opening scene's data under "Data" of the working folder: the
// loading screen's two images, the sky "skyscape0.txt" with its dome image,
// the box with its mesh file and image, the particle definitions with
// their images and the shot templates. False, naming the file, when one could not be written.
bool WriteDemoData(std::string& error);
