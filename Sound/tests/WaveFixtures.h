#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

// Little RIFF files built byte by byte, so each test shows the exact layout
// it feeds the reader.
namespace wavefixture {

inline std::string U16(uint16_t value)
{
    return std::string{char(value & 0xFF), char(value >> 8)};
}

inline std::string U32(uint32_t value)
{
    return U16(uint16_t(value & 0xFFFF)) + U16(uint16_t(value >> 16));
}

// A chunk whose header declares exactly its bytes (plus the pad byte of an
// odd size).
inline std::string Chunk(const std::string& id, const std::string& bytes)
{
    std::string chunk = id + U32(uint32_t(bytes.size())) + bytes;
    if (bytes.size() % 2 != 0) {
        chunk += '\0';
    }
    return chunk;
}

// A chunk that claims declaredSize bytes but holds only the bytes given.
inline std::string ShortChunk(const std::string& id, uint32_t declaredSize, const std::string& bytes)
{
    return id + U32(declaredSize) + bytes;
}

inline std::string Riff(const std::string& form, const std::string& chunks)
{
    return "RIFF" + U32(uint32_t(4 + chunks.size())) + form + chunks;
}

// The 16 fixed bytes of a format.
inline std::string FormatFields(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    uint16_t blockAlign = uint16_t(channels * bits / 8);
    return U16(tag) + U16(channels) + U32(rate) + U32(rate * blockAlign) + U16(blockAlign) + U16(bits);
}

inline std::string PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits)
{
    return Chunk("fmt ", FormatFields(1, channels, rate, bits));
}

inline std::string Wave(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& samples)
{
    return Riff("WAVE", PcmFormat(channels, rate, bits) + Chunk("data", samples));
}

inline std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values) {
        bytes += char(value);
    }
    return bytes;
}

inline void WriteFile(const std::string& name, const std::string& bytes)
{
    std::ofstream(name, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& name)
{
    std::ifstream file(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace wavefixture
