#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Collects a binary or text file in memory and writes it in one go,
// scrambled on request, in the layout that CPDataFile reads: 32-bit
// little-endian integers and strings as a 32-bit length and their bytes.
class CPDataFileWriter {
public:
    CPDataFileWriter(const std::string& path, bool scrambled);
    virtual ~CPDataFileWriter();

    // Makes room for size bytes in all, so a large file is collected in one
    // block instead of regrowing and copying as it is written.
    void Reserve(size_t size);
    HRESULT Write(const void* data, size_t size);
    void WriteInt(int32_t value);
    // The length, then the bytes, without a terminator.
    void WriteString(const std::string& text);

    // Writes the collected bytes to the path: S_OK, or E_FAIL when the file
    // could not be written completely, in which case a file already at the
    // path is left as it was. The collected bytes stay unscrambled, so
    // saving again writes the same file.
    HRESULT Save();

private:
    std::string m_path;
    std::vector<unsigned char> m_buffer;
    bool m_scrambled;
};
