#pragma once

#include "interface/PFont.h"

#include "Render/PRenderObject.h"
#include "core/PGameObject.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Holds the interface screens' bitmap fonts by name and turns strings into
// text meshes. The host creates it with its fonts and publishes it in
// g_pFontManager.
class CPFontManager {
public:
    // Text meshes draw their characters with 16-bit indices.
    static const int kMaxCharacters = 16384;

    // Keeps the font under the name, replacing one of the same name.
    void AddFont(const std::string& name, std::unique_ptr<CPFont> font);
    // The font of the name, or null; asking for an absent name enters it
    // without a font.
    CPFont* FindFont(const std::string& name);

    // Rebuilds the text object's mesh from the text in the named font: one
    // quad per byte, the first character's top-left corner at (x, y), each
    // next one 2 pixels before the end of the last, "^" starting a new line.
    // Answers the object's render object, or null when the object is not a
    // plain mesh (nothing changes then) or the font is unknown (the mesh is
    // left empty).
    RefPtr<CPRenderObject> BuildText(RefPtr<CPGameObject> textObject, float x, float y, const std::string& fontName,
                                     const std::string& text);

private:
    // The fonts outlive the map's references to them.
    std::vector<std::unique_ptr<CPFont>> m_ownedFonts;
    std::unordered_map<std::string, RefPtr<CPFont>> m_fonts;
};

extern CPFontManager* g_pFontManager;
CPFontManager* GetFontManager();
