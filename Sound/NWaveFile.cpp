#include "Sound/NWaveFile.h"

#include "core/PDataFile.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {

const FOURCC kWaveForm = mmioFOURCC('W', 'A', 'V', 'E');
const FOURCC kFormatChunk = mmioFOURCC('f', 'm', 't', ' ');
const FOURCC kFactChunk = mmioFOURCC('f', 'a', 'c', 't');
const FOURCC kDataChunk = mmioFOURCC('d', 'a', 't', 'a');

// A chunk header: the identifier and the size of the bytes that follow.
const LONG kChunkHeaderSize = 2 * sizeof(DWORD);

const DWORD kReadFlags = MMIO_ALLOCBUF | MMIO_READ;
const DWORD kCreateFlags = MMIO_ALLOCBUF | MMIO_READWRITE | MMIO_CREATE;

// A new file's sample count is unknown while it is written; Close sets it.
const DWORD kUnknownSampleCount = 0xFFFFFFFF;
const DWORD kFinishedSampleCount = 0;

// The fixed part of every format: the PCM fields without the extra count.
const LONG kPcmFormatSize = sizeof(PCMWAVEFORMAT);
const LONG kExtraCountSize = sizeof(WORD);

bool Succeeded(MMRESULT result)
{
    return result == MMSYSERR_NOERROR;
}

bool ReadExactly(HMMIO file, void* destination, LONG bytes)
{
    return mmioRead(file, static_cast<HPSTR>(destination), bytes) == bytes;
}

LONG FormatSizeToWrite(const WAVEFORMATEX* format)
{
    if (format->wFormatTag == WAVE_FORMAT_PCM) {
        return kPcmFormatSize;
    }
    return sizeof(WAVEFORMATEX) + format->cbSize;
}

} // namespace

CNWaveFile::CNWaveFile()
    : m_file(nullptr), m_dataChunk(), m_riffChunk(), m_size(0), m_outInfo(), m_mode(0)
{
}

CNWaveFile::~CNWaveFile()
{
    // A written file whose chunks could not be finished is still closed here.
    Close();
    CloseFileHandle();
}

WAVEFORMATEX* CNWaveFile::GetFormat()
{
    if (m_format.empty()) {
        return nullptr;
    }
    return reinterpret_cast<WAVEFORMATEX*>(m_format.data());
}

HRESULT CNWaveFile::Open(const char* name, const WAVEFORMATEX* format, DWORD mode)
{
    Close();
    CloseFileHandle();
    m_mode = mode;
    if (mode == kRead) {
        if (!name) {
            return E_INVALIDARG;
        }
        return OpenForReading(name);
    }
    if (mode == kWrite) {
        if (!name || !format) {
            return E_INVALIDARG;
        }
        return OpenForWriting(name, format);
    }
    return E_INVALIDARG;
}

HRESULT CNWaveFile::OpenForReading(const char* name)
{
    m_format.clear();
    m_size = 0;
    m_file = OpenDataFile(name);
    if (!m_file) {
        m_file = OpenResource(name);
    }
    if (!m_file) {
        return E_FAIL;
    }
    if (FAILED(ReadHeader()) || FAILED(ResetFile()) || FAILED(CheckDataFitsFile())) {
        m_format.clear();
        CloseFileHandle();
        return E_FAIL;
    }
    m_size = m_dataChunk.cksize;
    return S_OK;
}

// A wave is read whole through the data-file layer, so one that is not in
// the working folder comes from the pack archives as every other data file
// does; the multimedia functions then read the copy in memory.
HMMIO CNWaveFile::OpenDataFile(const char* name)
{
    CPDataFile file(name, false);
    if (FAILED(file.Load())) {
        return nullptr;
    }
    const char* bytes = reinterpret_cast<const char*>(file.GetData());
    return OpenMemoryCopy(bytes, file.GetDataSize());
}

// A wave stored in the program itself: its bytes are copied out of the
// resource and read through the memory I/O procedure like a file.
HMMIO CNWaveFile::OpenResource(const char* name)
{
    HRSRC resource = FindResourceA(nullptr, name, "WAVE");
    if (!resource) {
        resource = FindResourceA(nullptr, name, "WAV");
    }
    if (!resource) {
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(nullptr, resource);
    DWORD size = SizeofResource(nullptr, resource);
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes) {
        return nullptr;
    }
    return OpenMemoryCopy(bytes, size);
}

// The copy lives as long as the wave is open; an empty one opens nothing.
HMMIO CNWaveFile::OpenMemoryCopy(const char* bytes, size_t size)
{
    if (size == 0 || size > static_cast<size_t>(LONG_MAX)) {
        return nullptr;
    }
    m_memoryCopy.assign(bytes, bytes + size);
    MMIOINFO memory = {};
    memory.fccIOProc = FOURCC_MEM;
    memory.cchBuffer = static_cast<LONG>(size);
    memory.pchBuffer = m_memoryCopy.data();
    return mmioOpenA(nullptr, &memory, kReadFlags);
}

HRESULT CNWaveFile::ReadHeader()
{
    if (!Succeeded(mmioDescend(m_file, &m_riffChunk, nullptr, 0))) {
        return E_FAIL;
    }
    if (m_riffChunk.ckid != FOURCC_RIFF || m_riffChunk.fccType != kWaveForm) {
        return E_FAIL;
    }
    if (FAILED(CheckChunkChain())) {
        return E_FAIL;
    }
    MMCKINFO formatChunk = {};
    formatChunk.ckid = kFormatChunk;
    if (!Succeeded(mmioDescend(m_file, &formatChunk, &m_riffChunk, MMIO_FINDCHUNK))) {
        return E_FAIL;
    }
    if (FAILED(ReadFormat(formatChunk))) {
        m_format.clear();
        return E_FAIL;
    }
    if (!Succeeded(mmioAscend(m_file, &formatChunk, 0))) {
        m_format.clear();
        return E_FAIL;
    }
    return S_OK;
}

// Searching for a chunk steps from header to header by each chunk's size,
// padded to an even count, in 32-bit positions. A size that wraps the next
// position round onto the same or an earlier header would send every
// search round for ever, so the chain is walked once as the searches walk
// it, in 64 bits, and such a file is refused. A chunk that runs past the
// end of the file ends the walk, as it ends a search.
HRESULT CNWaveFile::CheckChunkChain()
{
    const LONG firstChunk = static_cast<LONG>(m_riffChunk.dwDataOffset + sizeof(FOURCC));
    const LONG fileLength = mmioSeek(m_file, 0, SEEK_END);
    if (fileLength < 0) {
        return E_FAIL;
    }
    uint64_t position = static_cast<uint32_t>(firstChunk);
    while (position + kChunkHeaderSize <= static_cast<uint64_t>(fileLength)) {
        DWORD header[2];
        LONG offset = static_cast<LONG>(position);
        if (mmioSeek(m_file, offset, SEEK_SET) != offset || !ReadExactly(m_file, header, kChunkHeaderSize)) {
            return E_FAIL;
        }
        uint64_t size = header[1];
        uint64_t next = static_cast<uint32_t>(position + kChunkHeaderSize + size + (size & 1));
        if (next <= position) {
            return E_FAIL;
        }
        position = next;
    }
    return mmioSeek(m_file, firstChunk, SEEK_SET) == firstChunk ? S_OK : E_FAIL;
}

// PCM formats are the 16 fixed bytes alone; any other format follows them
// with a count of extra bytes and those bytes, all inside the chunk.
HRESULT CNWaveFile::ReadFormat(const MMCKINFO& formatChunk)
{
    if (formatChunk.cksize < static_cast<DWORD>(kPcmFormatSize)) {
        return E_FAIL;
    }
    PCMWAVEFORMAT fixed;
    if (!ReadExactly(m_file, &fixed, kPcmFormatSize)) {
        return E_FAIL;
    }
    WORD extraCount = 0;
    if (fixed.wf.wFormatTag != WAVE_FORMAT_PCM) {
        if (formatChunk.cksize < static_cast<DWORD>(kPcmFormatSize + kExtraCountSize)
            || !ReadExactly(m_file, &extraCount, kExtraCountSize)) {
            return E_FAIL;
        }
        if (formatChunk.cksize - kPcmFormatSize - kExtraCountSize < extraCount) {
            return E_FAIL;
        }
    }
    m_format.assign(sizeof(WAVEFORMATEX) + extraCount, 0);
    std::memcpy(m_format.data(), &fixed, kPcmFormatSize);
    GetFormat()->cbSize = extraCount;
    if (extraCount > 0 && !ReadExactly(m_file, m_format.data() + sizeof(WAVEFORMATEX), extraCount)) {
        return E_FAIL;
    }
    return S_OK;
}

// A declared data size beyond the whole file is no truncation but a broken
// header; refusing it keeps a sound from asking for an absurd buffer.
HRESULT CNWaveFile::CheckDataFitsFile()
{
    LONG dataStart = mmioSeek(m_file, 0, SEEK_CUR);
    LONG fileLength = mmioSeek(m_file, 0, SEEK_END);
    if (dataStart < 0 || fileLength < 0 || mmioSeek(m_file, dataStart, SEEK_SET) != dataStart) {
        return E_FAIL;
    }
    if (m_dataChunk.cksize > static_cast<DWORD>(fileLength)) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CNWaveFile::ResetFile()
{
    if (!m_file) {
        return CO_E_NOTINITIALIZED;
    }
    m_dataChunk.ckid = kDataChunk;
    if (m_mode == kRead) {
        LONG firstChunk = static_cast<LONG>(m_riffChunk.dwDataOffset + sizeof(FOURCC));
        if (mmioSeek(m_file, firstChunk, SEEK_SET) == -1) {
            return E_FAIL;
        }
        if (!Succeeded(mmioDescend(m_file, &m_dataChunk, &m_riffChunk, MMIO_FINDCHUNK))) {
            return E_FAIL;
        }
        return S_OK;
    }
    m_dataChunk.cksize = 0;
    if (!Succeeded(mmioCreateChunk(m_file, &m_dataChunk, 0))) {
        return E_FAIL;
    }
    if (!Succeeded(mmioGetInfo(m_file, &m_outInfo, 0))) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CNWaveFile::Read(BYTE* destination, DWORD bytes, DWORD* read)
{
    if (!m_file) {
        return CO_E_NOTINITIALIZED;
    }
    if (!destination || !read) {
        return E_INVALIDARG;
    }
    *read = 0;
    MMIOINFO input;
    if (!Succeeded(mmioGetInfo(m_file, &input, 0))) {
        return E_FAIL;
    }
    DWORD wanted = std::min(bytes, m_dataChunk.cksize);
    DWORD copied = 0;
    HRESULT result = S_OK;
    while (copied < wanted) {
        if (input.pchNext == input.pchEndRead) {
            // The file ended before its data chunk did, or could not be read.
            // A copy in memory is wholly in the buffer already; advancing
            // past its end would leave the handle unable to seek back to
            // the first sample.
            if (!m_memoryCopy.empty() || !Succeeded(mmioAdvance(m_file, &input, MMIO_READ))
                || input.pchNext == input.pchEndRead) {
                result = E_FAIL;
                break;
            }
        }
        DWORD buffered = static_cast<DWORD>(input.pchEndRead - input.pchNext);
        DWORD step = std::min(wanted - copied, buffered);
        std::memcpy(destination + copied, input.pchNext, step);
        input.pchNext += step;
        copied += step;
    }
    m_dataChunk.cksize -= copied;
    if (!Succeeded(mmioSetInfo(m_file, &input, 0))) {
        result = E_FAIL;
    }
    *read = copied;
    return result;
}

HRESULT CNWaveFile::OpenForWriting(const char* name, const WAVEFORMATEX* format)
{
    m_file = mmioOpenA(const_cast<char*>(name), nullptr, kCreateFlags);
    if (!m_file) {
        return E_FAIL;
    }
    if (FAILED(WriteHeader(format)) || FAILED(ResetFile())) {
        CloseFileHandle();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CNWaveFile::WriteHeader(const WAVEFORMATEX* format)
{
    m_riffChunk = MMCKINFO();
    m_riffChunk.fccType = kWaveForm;
    if (!Succeeded(mmioCreateChunk(m_file, &m_riffChunk, MMIO_CREATERIFF))) {
        return E_FAIL;
    }
    if (FAILED(WriteChunk(kFormatChunk, format, FormatSizeToWrite(format)))) {
        return E_FAIL;
    }
    return WriteChunk(kFactChunk, &kUnknownSampleCount, sizeof(kUnknownSampleCount));
}

HRESULT CNWaveFile::WriteChunk(FOURCC id, const void* data, LONG size)
{
    MMCKINFO chunk = {};
    chunk.ckid = id;
    chunk.cksize = static_cast<DWORD>(size);
    if (!Succeeded(mmioCreateChunk(m_file, &chunk, 0))) {
        return E_FAIL;
    }
    if (mmioWrite(m_file, static_cast<const char*>(data), size) != size) {
        return E_FAIL;
    }
    return Succeeded(mmioAscend(m_file, &chunk, 0)) ? S_OK : E_FAIL;
}

HRESULT CNWaveFile::Close()
{
    if (!m_file) {
        return S_OK;
    }
    if (m_mode == kWrite && FAILED(FinishWrittenFile())) {
        return E_FAIL;
    }
    CloseFileHandle();
    return S_OK;
}

// Flushes the samples, lets the ascents fix the "data" and "RIFF" sizes,
// then goes back to mark the "fact" chunk finished.
HRESULT CNWaveFile::FinishWrittenFile()
{
    m_outInfo.dwFlags |= MMIO_DIRTY;
    if (!Succeeded(mmioSetInfo(m_file, &m_outInfo, 0))
        || !Succeeded(mmioAscend(m_file, &m_dataChunk, 0))
        || !Succeeded(mmioAscend(m_file, &m_riffChunk, 0))) {
        return E_FAIL;
    }
    if (mmioSeek(m_file, 0, SEEK_SET) != 0 || !Succeeded(mmioDescend(m_file, &m_riffChunk, nullptr, 0))) {
        return E_FAIL;
    }
    MMCKINFO factChunk = {};
    factChunk.ckid = kFactChunk;
    if (Succeeded(mmioDescend(m_file, &factChunk, &m_riffChunk, MMIO_FINDCHUNK))) {
        const LONG countSize = sizeof(kFinishedSampleCount);
        if (mmioWrite(m_file, reinterpret_cast<const char*>(&kFinishedSampleCount), countSize) != countSize
            || !Succeeded(mmioAscend(m_file, &factChunk, 0))) {
            return E_FAIL;
        }
    }
    return Succeeded(mmioAscend(m_file, &m_riffChunk, 0)) ? S_OK : E_FAIL;
}

void CNWaveFile::CloseFileHandle()
{
    if (m_file) {
        mmioClose(m_file, 0);
        m_file = nullptr;
    }
    m_memoryCopy.clear();
}
