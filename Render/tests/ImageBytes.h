#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Little-endian fields of test image files.
void AppendInt16(std::string& bytes, uint16_t value);
void AppendInt32(std::string& bytes, uint32_t value);

// The bytes of an uncompressed 32-bit TGA whose pixels (0xAARRGGBB) are given
// row by row from the top left.
std::string TgaBytes(int width, int height, const std::vector<uint32_t>& pixels);
