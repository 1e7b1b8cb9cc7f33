#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes a tiny uncompressed AVI for playback tests: frames of 24-bit RGB
// pixels (given top row first, stored bottom-up as the format wants) and an
// 8-bit mono PCM track of silence, interleaved one audio chunk per frame,
// with an index.
class TinyAvi {
public:
    TinyAvi(int width, int height, int framesPerSecond);

    // One frame's pixels as 0xRRGGBB, row after row from the top.
    void AddFrame(const std::vector<uint32_t>& pixels);
    bool Write(const std::string& path) const;

private:
    std::string Bytes() const;

    int m_width;
    int m_height;
    int m_framesPerSecond;
    std::vector<std::vector<uint32_t>> m_frames;
};
