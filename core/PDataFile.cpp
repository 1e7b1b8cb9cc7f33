#include "core/PDataFile.h"

#include "core/DataScrambling.h"
#include "core/FileSystem.h"
#include "core/PackArchiveIndex.h"
#include "core/StringUtils.h"

#include <algorithm>
#include <cstring>

CPDataFile::CPDataFile(const std::string& path, bool scrambled)
    : m_path(path), m_file(nullptr), m_fileSize(0), m_scrambled(scrambled), m_cursor(0), m_readError(false)
{
    // Windows matches file names without regard to case; archive indexes
    // hold lower-case names.
    StringToLower(m_path);
}

CPDataFile::~CPDataFile()
{
    CloseFile();
}

HRESULT CPDataFile::Load()
{
    CloseFile();
    m_buffer.clear();
    FILE* file = GetFileSystem().Open(m_path.c_str(), "rb");
    if (file) return LoadFromDisk(file);
    return LoadFromPackArchives();
}

HRESULT CPDataFile::Open()
{
    if (m_scrambled) return Load();
    CloseFile();
    m_buffer.clear();
    FILE* file = GetFileSystem().Open(m_path.c_str(), "rb");
    if (!file) return LoadFromPackArchives();
    const long size = MeasureOpenFile(file);
    if (size < 0) {
        GetFileSystem().Close(file);
        return E_FAIL;
    }
    m_file = file;
    m_fileSize = static_cast<size_t>(size);
    return S_OK;
}

void CPDataFile::CloseFile()
{
    if (m_file) GetFileSystem().Close(m_file);
    m_file = nullptr;
    m_fileSize = 0;
}

HRESULT CPDataFile::LoadFromDisk(FILE* file)
{
    const long size = MeasureOpenFile(file);
    HRESULT result = size < 0 ? E_FAIL : ReadIntoBuffer(file, static_cast<size_t>(size));
    if (SUCCEEDED(result) && m_scrambled) UnscrambleBytes(m_buffer.data(), m_buffer.size());
    GetFileSystem().Close(file);
    return result;
}

HRESULT CPDataFile::LoadFromPackArchives()
{
    for (const PackArchiveIndex& archive : GetPackArchiveList()) {
        const auto entry = archive.entries.find(m_path);
        if (entry == archive.entries.end()) continue;
        // An archive that cannot be opened leaves the name to the next one.
        FILE* file = GetFileSystem().Open(archive.path.c_str(), "rb");
        if (!file) continue;
        const HRESULT result = LoadPackEntry(file, entry->second.offset, entry->second.length);
        GetFileSystem().Close(file);
        return result;
    }
    return E_FAIL;
}

// An entry that does not lie wholly inside its archive fails before any
// buffer is made for it: the length comes from the index, not from the bytes.
// Entries are always stored scrambled, so the buffer is unscrambled even
// after a short read: whatever arrived is handed out as plain bytes.
// An entry holds the file as it lay on disk, so a file scrambled there
// keeps its own scrambling under the archive's; that comes off as it does
// for the file on disk, after a whole read only.
HRESULT CPDataFile::LoadPackEntry(FILE* archive, uint32_t offset, uint32_t length)
{
    const long archiveSize = MeasureOpenFile(archive);
    if (archiveSize < 0) return E_FAIL;
    const uint64_t entryEnd = static_cast<uint64_t>(offset) + length;
    if (entryEnd > static_cast<uint64_t>(archiveSize)) return E_FAIL;
    if (GetFileSystem().Seek(archive, static_cast<long>(offset), SEEK_SET) != 0) return E_FAIL;
    const HRESULT result = ReadIntoBuffer(archive, length);
    UnscrambleBytes(m_buffer.data(), m_buffer.size());
    if (SUCCEEDED(result) && m_scrambled) UnscrambleBytes(m_buffer.data(), m_buffer.size());
    return result;
}

// One read of the whole length. After a short read the buffer keeps its
// full length and the result is E_FAIL; without memory for the buffer it
// stays empty and the result is E_FAIL too.
HRESULT CPDataFile::ReadIntoBuffer(FILE* file, size_t size)
{
    if (!GetFileSystem().Allocate(m_buffer, size)) return E_FAIL;
    if (size == 0) return S_OK;
    return GetFileSystem().Read(m_buffer.data(), size, file) == size ? S_OK : E_FAIL;
}

size_t CPDataFile::GetSize() const
{
    return m_file ? m_fileSize : m_buffer.size();
}

size_t CPDataFile::GetBytesLeft() const
{
    return m_cursor < GetSize() ? GetSize() - m_cursor : 0;
}

void CPDataFile::Rewind()
{
    m_cursor = 0;
    m_readError = false;
    if (m_file && GetFileSystem().Seek(m_file, 0, SEEK_SET) != 0) FailRead();
}

void CPDataFile::FailRead()
{
    m_readError = true;
    m_cursor = GetSize();
}

// The file's position follows the cursor while no read has failed; after a
// failure the cursor stays at the end, so the position no longer matters.
HRESULT CPDataFile::ReadFromDisk(void* destination, size_t size)
{
    if (size <= GetBytesLeft() && (size == 0 || GetFileSystem().Read(destination, size, m_file) == size)) {
        m_cursor += size;
        return S_OK;
    }
    FailRead();
    if (size > 0) std::memset(destination, 0, size);
    return E_FAIL;
}

HRESULT CPDataFile::Read(void* destination, size_t size)
{
    if (m_file) return ReadFromDisk(destination, size);
    const unsigned char* bytes = Take(size);
    if (!bytes) {
        std::memset(destination, 0, size);
        return E_FAIL;
    }
    if (size > 0) std::memcpy(destination, bytes, size);
    return S_OK;
}

const unsigned char* CPDataFile::Take(size_t size)
{
    if (size > GetBytesLeft()) {
        FailRead();
        return nullptr;
    }
    // An empty buffer's data may be null; the cursor's place in it is not.
    static const unsigned char kNothing = 0;
    if (m_file) {
        m_taken.resize(size);
        if (FAILED(ReadFromDisk(m_taken.data(), size))) return nullptr;
        return m_taken.empty() ? &kNothing : m_taken.data();
    }
    const unsigned char* bytes = m_buffer.empty() ? &kNothing : m_buffer.data() + m_cursor;
    m_cursor += size;
    return bytes;
}

bool CPDataFile::Skip(size_t size)
{
    if (!m_file) return Take(size) != nullptr;
    const size_t target = m_cursor + size;
    if (size > GetBytesLeft() || GetFileSystem().Seek(m_file, static_cast<long>(target), SEEK_SET) != 0) {
        FailRead();
        return false;
    }
    m_cursor = target;
    return true;
}

int32_t CPDataFile::ReadInt()
{
    unsigned char bytes[4];
    Read(bytes, sizeof(bytes));
    const uint32_t bits = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return static_cast<int32_t>(bits);
}

float CPDataFile::ReadFloat()
{
    const int32_t bits = ReadInt();
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

void CPDataFile::ReadString(std::string& text)
{
    text.clear();
    const int32_t length = ReadInt();
    if (length < 0) {
        FailRead();
        return;
    }
    const unsigned char* bytes = Take(static_cast<size_t>(length));
    if (!bytes) return;
    const char* characters = reinterpret_cast<const char*>(bytes);
    text.assign(characters, std::find(characters, characters + length, '\0'));
}

bool IsDataFilePresent(const std::string& path)
{
    std::string name = path;
    StringToLower(name);
    if (FILE* file = GetFileSystem().Open(name.c_str(), "rb")) {
        GetFileSystem().Close(file);
        return true;
    }
    for (const PackArchiveIndex& archive : GetPackArchiveList()) {
        if (archive.entries.count(name) != 0) return true;
    }
    return false;
}
