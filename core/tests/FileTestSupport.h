#pragma once

#include "core/FileSystem.h"

#include <fstream>
#include <iterator>
#include <string>

// Installs a substitute for the file calls for one test and puts the previous
// ones back afterwards.
class ScopedFileSystem {
public:
    explicit ScopedFileSystem(FileSystem& substitute) : m_previous(SetFileSystem(&substitute)) {}
    ~ScopedFileSystem() { SetFileSystem(m_previous); }
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

private:
    FileSystem* m_previous;
};

inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool FileExists(const std::string& path)
{
    return std::ifstream(path).good();
}
