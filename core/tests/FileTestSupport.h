#pragma once

#include "core/FileSystem.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

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

enum class FailingCall { Seek, Tell, Read, Write, Close, Replace, Allocate };

// The runtime's file calls, except that one of them fails. A failing read or
// write still moves half of its bytes, as a truncated file or a full disk
// would. It counts the files left open.
class FailingFileSystem : public FileSystem {
public:
    explicit FailingFileSystem(FailingCall failing) : m_failing(failing) {}

    FILE* Open(const char* path, const char* mode) override
    {
        FILE* file = FileSystem::Open(path, mode);
        if (file) ++m_openFiles;
        return file;
    }
    int Seek(FILE* file, long offset, int origin) override
    {
        return m_failing == FailingCall::Seek ? -1 : FileSystem::Seek(file, offset, origin);
    }
    long Tell(FILE* file) override
    {
        return m_failing == FailingCall::Tell ? -1L : FileSystem::Tell(file);
    }
    size_t Read(void* destination, size_t size, FILE* file) override
    {
        return FileSystem::Read(destination, m_failing == FailingCall::Read ? size / 2 : size, file);
    }
    size_t Write(const void* source, size_t size, FILE* file) override
    {
        return FileSystem::Write(source, m_failing == FailingCall::Write ? size / 2 : size, file);
    }
    int Close(FILE* file) override
    {
        --m_openFiles;
        const int result = FileSystem::Close(file);
        return m_failing == FailingCall::Close ? EOF : result;
    }
    bool Replace(const char* from, const char* to) override
    {
        return m_failing != FailingCall::Replace && FileSystem::Replace(from, to);
    }
    bool Allocate(std::vector<unsigned char>& buffer, size_t size) override
    {
        return m_failing != FailingCall::Allocate && FileSystem::Allocate(buffer, size);
    }

    int GetOpenFiles() const { return m_openFiles; }

private:
    FailingCall m_failing;
    int m_openFiles = 0;
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

// The names of the files in the current folder, to see what a test left.
inline std::set<std::string> FilesInCurrentFolder()
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*", &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.insert(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}
