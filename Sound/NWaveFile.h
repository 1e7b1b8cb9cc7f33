#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <cstddef>
#include <vector>

// A RIFF WAVE file read or created through the multimedia file functions.
// Reading loads the data file (from the folder or a pack archive) and keeps
// its copy open so a sound can refill its buffer from the first sample at
// any time; a name that is no data file may name a "WAVE" or "WAV" resource
// of the running module instead. Writing creates the header, a
// "fact" chunk and an empty "data" chunk whose sizes are fixed on Close.
class CNWaveFile {
public:
    static const DWORD kRead = 1;
    static const DWORD kWrite = 2;

    CNWaveFile();
    ~CNWaveFile();

    // Opens name for reading (format is ignored) or creates it for writing
    // with the given format. Answers S_OK, E_INVALIDARG or E_FAIL.
    HRESULT Open(const char* name, const WAVEFORMATEX* format, DWORD mode);
    // Finishes the chunks of a written file, then closes.
    HRESULT Close();

    // Copies up to bytes bytes of sample data; read receives how many were
    // really copied, fewer than asked at the end of the data.
    HRESULT Read(BYTE* destination, DWORD bytes, DWORD* read);
    // Reading: back to the first sample. Writing: opens the "data" chunk.
    HRESULT ResetFile();

    // Null until a file has been read.
    WAVEFORMATEX* GetFormat();
    DWORD GetSize() const { return m_size; }

private:
    HRESULT OpenForReading(const char* name);
    HMMIO OpenDataFile(const char* name);
    HMMIO OpenResource(const char* name);
    HMMIO OpenMemoryCopy(const char* bytes, size_t size);
    HRESULT ReadHeader();
    HRESULT CheckChunkChain();
    HRESULT ReadFormat(const MMCKINFO& formatChunk);
    HRESULT CheckDataFitsFile();
    HRESULT OpenForWriting(const char* name, const WAVEFORMATEX* format);
    HRESULT WriteHeader(const WAVEFORMATEX* format);
    HRESULT WriteChunk(FOURCC id, const void* data, LONG size);
    HRESULT FinishWrittenFile();
    void CloseFileHandle();

    // A WAVEFORMATEX followed by its extra bytes; empty until a file is read.
    std::vector<BYTE> m_format;
    HMMIO m_file;
    MMCKINFO m_dataChunk;  // cksize counts the bytes still to read
    MMCKINFO m_riffChunk;
    DWORD m_size;
    MMIOINFO m_outInfo;
    DWORD m_mode;
    // The file's or resource's bytes, read through the memory I/O procedure
    // while open.
    std::vector<char> m_memoryCopy;
};
