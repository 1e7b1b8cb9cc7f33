#pragma once

// Holds the interface screens' bitmap fonts by name and turns strings into
// text meshes. The host creates it with its fonts and publishes it in
// g_pFontManager.
class CPFontManager {};

extern CPFontManager* g_pFontManager;
CPFontManager* GetFontManager();
