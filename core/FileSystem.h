#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// The C runtime's file calls under the data files and their writer, with
// the memory for a whole file's bytes, gathered in one place so that tests
// can substitute failures a real disk rarely shows (a failing ftell, a
// short fwrite, a failing fclose, no memory for a file near 2 GB).
class FileSystem {
public:
    virtual ~FileSystem();

    virtual FILE* Open(const char* path, const char* mode);
    virtual int Seek(FILE* file, long offset, int origin);
    virtual long Tell(FILE* file);
    virtual size_t Read(void* destination, size_t size, FILE* file);
    virtual size_t Write(const void* source, size_t size, FILE* file);
    virtual int Close(FILE* file);
    // Moves a file onto another name, replacing a file already there.
    virtual bool Replace(const char* from, const char* to);
    virtual bool Remove(const char* path);
    // Creates an empty file under a name no other file has, in the folder
    // of path, and answers that name; empty when none could be made.
    virtual std::string CreateUniqueFileBeside(const char* path);
    // Makes buffer size zero bytes long; false, leaving it empty, when the
    // memory cannot be had.
    virtual bool Allocate(std::vector<unsigned char>& buffer, size_t size);
};

// The file calls in use: the runtime's unless a test has installed others.
FileSystem& GetFileSystem();

// Installs fileSystem (null puts the runtime's back) and answers the one it
// replaces. The caller keeps ownership.
FileSystem* SetFileSystem(FileSystem* fileSystem);

// The size of an open file found by seeking to its end, or -1 when seeking or
// telling fails. Leaves the file positioned at its start.
long MeasureOpenFile(FILE* file);
