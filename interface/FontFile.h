#pragma once

#include "interface/PFont.h"

#include <memory>
#include <string>
#include <vector>

// A bitmap font file, "Data\Fonts\<name>.fnt": text lines, the texture's
// file name, the line height in pixels, then one line per glyph,
// "code uLeft vTop uRight vBottom advance" (code 0 to 255, texture units
// and pixels). Byte values without a line draw as empty quads.
struct FontFileGlyph {
    int code;
    CPFont::Glyph rectangle;
    float advance;
};

struct FontFileContents {
    std::string texture;
    float lineHeight;
    std::vector<FontFileGlyph> glyphs;
};

// The folder fonts are read from, and a font's path in it.
extern const char* const kFontFolder;
std::string FontPath(const std::string& name);

// Reads a font file. A glyph line that is short, or whose code is not a
// byte value, is left out and logged; a file without its texture and line
// height lines is refused (null, logged).
std::unique_ptr<CPFont> LoadFontFile(const std::string& path);
// Builds the font from its file contents, with the interface material of
// its texture.
std::unique_ptr<CPFont> MakeFont(const FontFileContents& contents);
bool ReadFontFile(const std::string& path, FontFileContents& contents);
// Writes the contents as a font file; false when it cannot be written.
bool WriteFontFile(const std::string& path, const FontFileContents& contents);

class CPFontManager;
// Loads every "*.fnt" of the fonts folder into the manager under its file
// name without the extension; answers how many were loaded.
int LoadFontFolder(CPFontManager& manager);
