#include "Render/tests/TinyAvi.h"

#include <fstream>

namespace {

const int kSampleRate = 8000;
const uint32_t kHasIndex = 0x10;
const uint32_t kKeyFrame = 0x10;
const unsigned char kSilence = 0x80;

std::string U32(uint32_t value)
{
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
    return bytes;
}

std::string U16(uint32_t value)
{
    return U32(value).substr(0, 2);
}

// A chunk: its code, its size and its data, padded to an even length.
std::string Chunk(const std::string& code, const std::string& data)
{
    std::string chunk = code + U32(static_cast<uint32_t>(data.size())) + data;
    if (data.size() % 2) chunk += '\0';
    return chunk;
}

std::string List(const std::string& type, const std::string& content)
{
    return Chunk("LIST", type + content);
}

std::string StreamHeader(const std::string& type, const std::string& handler, uint32_t scale, uint32_t rate,
                         uint32_t length, uint32_t bufferSize, uint32_t sampleSize, int width, int height)
{
    return Chunk("strh", type + handler + U32(0) + U16(0) + U16(0) + U32(0) + U32(scale) + U32(rate) + U32(0) +
                             U32(length) + U32(bufferSize) + U32(0xFFFFFFFFu) + U32(sampleSize) + U16(0) + U16(0) +
                             U16(static_cast<uint32_t>(width)) + U16(static_cast<uint32_t>(height)));
}

} // namespace

TinyAvi::TinyAvi(int width, int height, int framesPerSecond)
    : m_width(width), m_height(height), m_framesPerSecond(framesPerSecond)
{
}

void TinyAvi::AddFrame(const std::vector<uint32_t>& pixels)
{
    m_frames.push_back(pixels);
}

std::string TinyAvi::Bytes() const
{
    const uint32_t rowBytes = static_cast<uint32_t>((m_width * 3 + 3) / 4 * 4);
    const uint32_t frameBytes = rowBytes * static_cast<uint32_t>(m_height);
    const uint32_t audioBytes = static_cast<uint32_t>(kSampleRate / m_framesPerSecond);
    const uint32_t frameCount = static_cast<uint32_t>(m_frames.size());

    const std::string mainHeader =
        Chunk("avih", U32(1000000u / static_cast<uint32_t>(m_framesPerSecond)) + U32(frameBytes * 30) + U32(0) +
                          U32(kHasIndex) + U32(frameCount) + U32(0) + U32(2) + U32(frameBytes) +
                          U32(static_cast<uint32_t>(m_width)) + U32(static_cast<uint32_t>(m_height)) + std::string(16, '\0'));
    const std::string bitmapInfo = U32(40) + U32(static_cast<uint32_t>(m_width)) + U32(static_cast<uint32_t>(m_height)) +
                                   U16(1) + U16(24) + U32(0) + U32(frameBytes) + U32(0) + U32(0) + U32(0) + U32(0);
    const std::string videoList =
        List("strl", StreamHeader("vids", "DIB ", 1, static_cast<uint32_t>(m_framesPerSecond), frameCount, frameBytes, 0,
                                  m_width, m_height) +
                         Chunk("strf", bitmapInfo));
    const std::string waveFormat = U16(1) + U16(1) + U32(kSampleRate) + U32(kSampleRate) + U16(1) + U16(8) + U16(0);
    const std::string audioList =
        List("strl", StreamHeader("auds", std::string(4, '\0'), 1, kSampleRate, audioBytes * frameCount, audioBytes, 1,
                                  0, 0) +
                         Chunk("strf", waveFormat));

    std::string movie;
    std::string index;
    for (const std::vector<uint32_t>& frame : m_frames) {
        std::string pixels;
        for (int row = m_height - 1; row >= 0; --row) {
            std::string line;
            for (int column = 0; column < m_width; ++column) {
                const uint32_t colour = frame[static_cast<size_t>(row * m_width + column)];
                line += static_cast<char>(colour & 0xFF);
                line += static_cast<char>((colour >> 8) & 0xFF);
                line += static_cast<char>((colour >> 16) & 0xFF);
            }
            line.resize(rowBytes, '\0');
            pixels += line;
        }
        // Offsets count from the "movi" code.
        index += "00db" + U32(kKeyFrame) + U32(static_cast<uint32_t>(4 + movie.size())) + U32(frameBytes);
        movie += Chunk("00db", pixels);
        index += "01wb" + U32(kKeyFrame) + U32(static_cast<uint32_t>(4 + movie.size())) + U32(audioBytes);
        movie += Chunk("01wb", std::string(audioBytes, static_cast<char>(kSilence)));
    }
    const std::string content = List("hdrl", mainHeader + videoList + audioList) + List("movi", movie) +
                                Chunk("idx1", index);
    return "RIFF" + U32(static_cast<uint32_t>(4 + content.size())) + "AVI " + content;
}

bool TinyAvi::Write(const std::string& path) const
{
    std::ofstream file(path, std::ios::binary);
    const std::string bytes = Bytes();
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
