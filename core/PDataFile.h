#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A whole data file read into memory, from disk or, when it is not on disk,
// from the first registered pack archive that holds it, and handed out as
// typed values from a read cursor. Every pack entry is unscrambled on
// loading, and a file opened as scrambled has its own scrambling taken off
// too, whether it lies on disk or in an archive. A plain file on disk can
// instead be opened and read as the cursor asks for it.
//
// Reads never leave the loaded bytes: one that asks for more than is left
// yields zeros (an empty string), moves the cursor to the end and sets an
// error flag that stays set, so a loader can read a whole record and test
// once whether the file was long enough.
class CPDataFile {
public:
    CPDataFile(const std::string& path, bool scrambled);
    virtual ~CPDataFile();
    // The open file has one owner.
    CPDataFile(const CPDataFile&) = delete;
    CPDataFile& operator=(const CPDataFile&) = delete;

    // S_OK, or E_FAIL when the file is in no place or cannot be read whole.
    HRESULT Load();
    // Opens a plain file on disk to be read as the cursor moves, without
    // loading it whole: a large Read goes from the disk straight into the
    // caller's memory. A scrambled file, or one only in a pack archive, is
    // loaded as by Load. S_OK, or E_FAIL when the file is in no place or its
    // size cannot be had. The file stays open until the object goes or loads.
    HRESULT Open();

    // The loaded bytes; none for a file opened on disk.
    const unsigned char* GetData() const { return m_buffer.data(); }
    size_t GetDataSize() const { return m_buffer.size(); }

    // Copies size bytes from the cursor: S_OK, or E_FAIL (and zeros) when
    // fewer are left.
    HRESULT Read(void* destination, size_t size);
    // The next size bytes, with the cursor moved past them; null, as a
    // failed read, when fewer are left. For a loaded file they are where they
    // lie in the loaded bytes; for a file opened on disk they are a copy that
    // the next read replaces.
    const unsigned char* Take(size_t size);
    // Moves the cursor past size bytes without reading them; false, as a
    // failed read, when fewer are left.
    bool Skip(size_t size);
    // The next 4 bytes as a little-endian integer, and as an IEEE float.
    int32_t ReadInt();
    float ReadFloat();
    // A 32-bit length n and n bytes; the string ends at the first zero byte
    // among them. A negative n, or one beyond the bytes left, is a failed read.
    void ReadString(std::string& text);

    // Puts the cursor back at the start and clears the error flag, so the
    // file can be read again from the top.
    void Rewind();

    // What a count read from the file can be checked against before it is
    // used to size anything.
    size_t GetBytesLeft() const;
    bool HasReadError() const { return m_readError; }

private:
    HRESULT LoadFromDisk(FILE* file);
    HRESULT LoadFromPackArchives();
    HRESULT LoadPackEntry(FILE* archive, uint32_t offset, uint32_t length);
    HRESULT ReadIntoBuffer(FILE* file, size_t size);
    HRESULT ReadFromDisk(void* destination, size_t size);
    size_t GetSize() const;
    void CloseFile();
    void FailRead();

    std::string m_path;
    std::vector<unsigned char> m_buffer;
    // The open file and its size while it is read from disk; null otherwise.
    FILE* m_file;
    size_t m_fileSize;
    // The bytes of the last Take from disk.
    std::vector<unsigned char> m_taken;
    bool m_scrambled;
    size_t m_cursor;
    bool m_readError;
};

// Whether a data file of that path would load: it is on disk or, when not,
// a registered pack archive holds it. Names match without regard to case.
bool IsDataFilePresent(const std::string& path);
