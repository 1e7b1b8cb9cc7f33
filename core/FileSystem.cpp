#include "core/FileSystem.h"

#include <windows.h>

#include <new>
#include <stdexcept>

namespace {

// The start of the names of files being written; the system adds a unique
// number and ".tmp".
const char* const kUniqueFilePrefix = "hm";

FileSystem g_runtimeFileSystem;
FileSystem* g_fileSystem = &g_runtimeFileSystem;

} // namespace

FileSystem::~FileSystem()
{
}

FILE* FileSystem::Open(const char* path, const char* mode)
{
    return std::fopen(path, mode);
}

int FileSystem::Seek(FILE* file, long offset, int origin)
{
    return std::fseek(file, offset, origin);
}

long FileSystem::Tell(FILE* file)
{
    return std::ftell(file);
}

size_t FileSystem::Read(void* destination, size_t size, FILE* file)
{
    return std::fread(destination, 1, size, file);
}

size_t FileSystem::Write(const void* source, size_t size, FILE* file)
{
    return std::fwrite(source, 1, size, file);
}

int FileSystem::Close(FILE* file)
{
    return std::fclose(file);
}

bool FileSystem::Replace(const char* from, const char* to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FileSystem::Remove(const char* path)
{
    return std::remove(path) == 0;
}

std::string FileSystem::CreateUniqueFileBeside(const char* path)
{
    std::string folder(path);
    const size_t separator = folder.find_last_of("\\/");
    folder = separator == std::string::npos ? "." : folder.substr(0, separator + 1);
    char name[MAX_PATH];
    if (GetTempFileNameA(folder.c_str(), kUniqueFilePrefix, 0, name) == 0) return std::string();
    return name;
}

bool FileSystem::Allocate(std::vector<unsigned char>& buffer, size_t size)
{
    try {
        buffer.assign(size, 0);
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    buffer.clear();
    return false;
}

FileSystem& GetFileSystem()
{
    return *g_fileSystem;
}

FileSystem* SetFileSystem(FileSystem* fileSystem)
{
    FileSystem* previous = g_fileSystem;
    g_fileSystem = fileSystem ? fileSystem : &g_runtimeFileSystem;
    return previous;
}

long MeasureOpenFile(FILE* file)
{
    FileSystem& files = GetFileSystem();
    if (files.Seek(file, 0, SEEK_END) != 0) return -1;
    long size = files.Tell(file);
    if (size < 0 || files.Seek(file, 0, SEEK_SET) != 0) return -1;
    return size;
}
