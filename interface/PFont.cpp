#include "interface/PFont.h"

CPFont::CPFont() : glyphs(), advance(), lineHeight(0.0f)
{
}
