#pragma once

#include <cstdint>
#include <string>

// Appends the value's bytes, lowest first.
void AppendUint16(std::string& bytes, uint16_t value);
void AppendUint32(std::string& bytes, uint32_t value);

// The bytes of an uncompressed 32-bit TGA image of one colour (0xAARRGGBB),
// its rows from the top, as the texture loaders read it.
std::string SolidTgaImage(int width, int height, uint32_t colour);
