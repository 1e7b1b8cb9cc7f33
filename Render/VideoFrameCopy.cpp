#include "Render/VideoFrameCopy.h"

#include <cstdint>
#include <cstring>

namespace {

const int kBitsPerByte = 8;
const uint32_t kOpaqueAlpha = 0xFF000000u;

// One colour channel of a packed pixel: where its bits lie and how many.
struct Channel {
    explicit Channel(uint32_t mask) : shift(0), maximum(0)
    {
        if (mask == 0) return;
        while (!(mask & 1u)) {
            mask >>= 1;
            ++shift;
        }
        maximum = mask;
    }
    // The channel's value scaled to 0..255.
    uint32_t Read(uint32_t pixel, uint32_t mask) const
    {
        if (maximum == 0) return 0;
        const uint32_t value = (pixel & mask) >> shift;
        return (value * 255u + maximum / 2) / maximum;
    }

    int shift;
    uint32_t maximum;
};

uint32_t ReadPixel(const unsigned char* bytes, int bytesPerPixel)
{
    uint32_t pixel = 0;
    for (int index = 0; index < bytesPerPixel; ++index) pixel |= static_cast<uint32_t>(bytes[index]) << (index * kBitsPerByte);
    return pixel;
}

void WritePixel(unsigned char* bytes, D3DFORMAT format, uint32_t red, uint32_t green, uint32_t blue)
{
    if (format == D3DFMT_X8R8G8B8) {
        const uint32_t pixel = kOpaqueAlpha | (red << 16) | (green << 8) | blue;
        std::memcpy(bytes, &pixel, sizeof(pixel));
    } else {
        const uint16_t pixel = static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
        std::memcpy(bytes, &pixel, sizeof(pixel));
    }
}

} // namespace

bool CopyVideoFrame(const DDSURFACEDESC& frame, const D3DLOCKED_RECT& target, D3DFORMAT format,
                    int width, int height)
{
    const DDPIXELFORMAT& pixels = frame.ddpfPixelFormat;
    const int bitCount = static_cast<int>(pixels.dwRGBBitCount);
    if (bitCount != 16 && bitCount != 24 && bitCount != 32) return false;
    if (format != D3DFMT_X8R8G8B8 && format != D3DFMT_R5G6B5) return false;
    const int sourceBytes = bitCount / kBitsPerByte;
    const int targetBytes = format == D3DFMT_X8R8G8B8 ? 4 : 2;
    const Channel red(pixels.dwRBitMask), green(pixels.dwGBitMask), blue(pixels.dwBBitMask);

    const unsigned char* sourceRow = static_cast<const unsigned char*>(frame.lpSurface);
    unsigned char* targetRow = static_cast<unsigned char*>(target.pBits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = ReadPixel(sourceRow + x * sourceBytes, sourceBytes);
            WritePixel(targetRow + x * targetBytes, format, red.Read(pixel, pixels.dwRBitMask),
                       green.Read(pixel, pixels.dwGBitMask), blue.Read(pixel, pixels.dwBBitMask));
        }
        sourceRow += frame.lPitch;
        targetRow += target.Pitch;
    }
    return true;
}
