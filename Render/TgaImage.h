#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Appends the value's bytes, lowest first.
void AppendUint16(std::string& bytes, uint16_t value);
void AppendUint32(std::string& bytes, uint32_t value);

// The bytes of an uncompressed 32-bit TGA image, its rows from the top, as
// the texture loaders read it: of the pixels given row by row (0xAARRGGBB),
// or of one colour.
std::string TgaImage(int width, int height, const std::vector<uint32_t>& pixels);
std::string SolidTgaImage(int width, int height, uint32_t colour);
