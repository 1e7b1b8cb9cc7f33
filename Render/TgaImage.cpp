#include "Render/TgaImage.h"

namespace {

const char kUncompressedTrueColour = 2;
const char kBitsPerPixel = 32;
// Rows from the top, eight bits of alpha.
const char kTopLeftWithAlpha = 0x28;
// The colour-map fields and the origin, all zero.
const size_t kUnusedHeaderBytes = 9;

} // namespace

void AppendUint16(std::string& bytes, uint16_t value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
}

void AppendUint32(std::string& bytes, uint32_t value)
{
    AppendUint16(bytes, static_cast<uint16_t>(value & 0xFFFF));
    AppendUint16(bytes, static_cast<uint16_t>(value >> 16));
}

std::string TgaImage(int width, int height, const std::vector<uint32_t>& pixels)
{
    std::string bytes(2, '\0');
    bytes += kUncompressedTrueColour;
    bytes += std::string(kUnusedHeaderBytes, '\0');
    AppendUint16(bytes, static_cast<uint16_t>(width));
    AppendUint16(bytes, static_cast<uint16_t>(height));
    bytes += kBitsPerPixel;
    bytes += kTopLeftWithAlpha;
    for (uint32_t pixel : pixels) AppendUint32(bytes, pixel);
    return bytes;
}

std::string SolidTgaImage(int width, int height, uint32_t colour)
{
    return TgaImage(width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, colour));
}
