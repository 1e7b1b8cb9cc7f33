#pragma once

#include <cstddef>
#include <cstdio>

// The C runtime's file calls under the data files and their writer, gathered
// in one place so that tests can substitute failures a real disk rarely
// shows (a failing ftell, a short fwrite, a failing fclose).
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
};

// The file calls in use: the runtime's unless a test has installed others.
FileSystem& GetFileSystem();

// Installs fileSystem (null puts the runtime's back) and answers the one it
// replaces. The caller keeps ownership.
FileSystem* SetFileSystem(FileSystem* fileSystem);

// The size of an open file found by seeking to its end, or -1 when seeking or
// telling fails. Leaves the file positioned at its start.
long MeasureOpenFile(FILE* file);
