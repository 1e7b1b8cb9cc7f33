#pragma once

#include "Render/PMaterial.h"
#include "core/PObject.h"

// A bitmap font: per byte value the glyph's rectangle in the font texture
// and the width of its quad on the screen, one line height for all, and
// the material the text is drawn with.
class CPFont : public IPObject {
public:
    static const int kGlyphCount = 256;

    struct Glyph {
        float uLeft;
        float vTop;
        float uRight;
        float vBottom;
    };

    CPFont();

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPFont"; }

    RefPtr<CPMaterial> material;
    Glyph glyphs[kGlyphCount];
    float advance[kGlyphCount];
    float lineHeight;
};
