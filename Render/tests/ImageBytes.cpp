#include "Render/tests/ImageBytes.h"

void AppendInt16(std::string& bytes, uint16_t value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
}

void AppendInt32(std::string& bytes, uint32_t value)
{
    AppendInt16(bytes, static_cast<uint16_t>(value & 0xFFFF));
    AppendInt16(bytes, static_cast<uint16_t>(value >> 16));
}

std::string TgaBytes(int width, int height, const std::vector<uint32_t>& pixels)
{
    const uint8_t kUncompressedTrueColour = 2;
    const uint8_t kBitsPerPixel = 32;
    const uint8_t kTopLeftWithAlpha = 0x28;
    std::string bytes(2, '\0');
    bytes += static_cast<char>(kUncompressedTrueColour);
    bytes += std::string(9, '\0'); // no colour map, origin 0, 0
    AppendInt16(bytes, static_cast<uint16_t>(width));
    AppendInt16(bytes, static_cast<uint16_t>(height));
    bytes += static_cast<char>(kBitsPerPixel);
    bytes += static_cast<char>(kTopLeftWithAlpha);
    for (uint32_t pixel : pixels) AppendInt32(bytes, pixel);
    return bytes;
}
