#include "core/PackArchiveFile.h"

#include "core/DataScrambling.h"
#include "core/FileSystem.h"
#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/StringUtils.h"

#include <algorithm>
#include <cstring>

namespace {

const size_t kIntSize = 4;
const char* const kArchivePattern = "*.pak";

uint32_t ReadUint32(const unsigned char* bytes)
{
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// Hands out the table's values front to back; any value that would run past
// the table's end marks the cursor failed.
class TableCursor {
public:
    explicit TableCursor(const std::vector<unsigned char>& table) : m_table(table), m_position(0), m_failed(false) {}

    uint32_t ReadUint()
    {
        if (!Has(kIntSize)) return 0;
        const uint32_t value = ReadUint32(&m_table[m_position]);
        m_position += kIntSize;
        return value;
    }
    std::string ReadName()
    {
        const uint32_t length = ReadUint();
        if (!Has(length)) return std::string();
        std::string name(reinterpret_cast<const char*>(&m_table[m_position]), length);
        m_position += length;
        return name;
    }
    bool Failed() const { return m_failed; }
    bool AtEnd() const { return m_position == m_table.size(); }
    size_t Left() const { return m_table.size() - m_position; }

private:
    bool Has(size_t count)
    {
        if (m_failed || count > m_table.size() - m_position) m_failed = true;
        return !m_failed;
    }

    const std::vector<unsigned char>& m_table;
    size_t m_position;
    bool m_failed;
};

// Each entry needs at least its name length, offset and length.
const size_t kSmallestEntry = 3 * kIntSize;

bool ParseTable(const std::vector<unsigned char>& table, uint32_t count, uint64_t archiveSize,
                PackArchiveEntries& entries)
{
    if (count > table.size() / kSmallestEntry) return false;
    TableCursor cursor(table);
    for (uint32_t index = 0; index < count; ++index) {
        std::string name = cursor.ReadName();
        PackArchiveEntry entry;
        entry.offset = cursor.ReadUint();
        entry.length = cursor.ReadUint();
        if (cursor.Failed() || name.empty() || name.find('\0') != std::string::npos) return false;
        if (static_cast<uint64_t>(entry.offset) + entry.length > archiveSize) return false;
        if (!entries.emplace(StringToLower(name), entry).second) return false;
    }
    return cursor.AtEnd();
}

bool ReadTableBytes(FILE* file, uint32_t& count, uint64_t& archiveSize, std::vector<unsigned char>& table)
{
    FileSystem& files = GetFileSystem();
    const long size = MeasureOpenFile(file);
    if (size < static_cast<long>(kPackArchiveHeaderSize)) return false;
    unsigned char header[kPackArchiveHeaderSize];
    if (files.Read(header, sizeof(header), file) != sizeof(header)) return false;
    if (std::memcmp(header, kPackArchiveMagic, sizeof(kPackArchiveMagic)) != 0) return false;
    count = ReadUint32(header + kIntSize);
    const uint32_t tableSize = ReadUint32(header + 2 * kIntSize);
    archiveSize = static_cast<uint64_t>(size);
    if (tableSize > archiveSize - kPackArchiveHeaderSize) return false;
    table.assign(tableSize, 0);
    return tableSize == 0 || files.Read(table.data(), tableSize, file) == tableSize;
}

void AppendUint(std::vector<unsigned char>& bytes, uint32_t value)
{
    for (size_t shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
}

} // namespace

bool ReadPackArchiveTable(const std::string& archivePath, PackArchiveEntries& entries)
{
    entries.clear();
    FILE* file = GetFileSystem().Open(archivePath.c_str(), "rb");
    if (!file) return false;
    uint32_t count = 0;
    uint64_t archiveSize = 0;
    std::vector<unsigned char> table;
    const bool read = ReadTableBytes(file, count, archiveSize, table);
    GetFileSystem().Close(file);
    if (read && ParseTable(table, count, archiveSize, entries)) return true;
    entries.clear();
    return false;
}

bool RegisterPackArchiveFile(const std::string& archivePath)
{
    PackArchiveEntries entries;
    if (!ReadPackArchiveTable(archivePath, entries)) return false;
    RegisterPackArchive(archivePath, entries);
    return true;
}

int RegisterPackArchivesIn(const std::string& folder)
{
    std::vector<std::string> names;
    const std::string prefix = folder.empty() ? std::string() : folder + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((prefix + kArchivePattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    int registered = 0;
    for (const std::string& name : names) {
        if (RegisterPackArchiveFile(prefix + name)) ++registered;
    }
    return registered;
}

void PackArchiveWriter::AddEntry(const std::string& name, const std::vector<unsigned char>& bytes)
{
    std::string lower = name;
    StringToLower(lower);
    for (Entry& entry : m_entries) {
        if (entry.name == lower) {
            entry.bytes = bytes;
            return;
        }
    }
    m_entries.push_back(Entry{lower, bytes});
}

int PackArchiveWriter::AddFolder(const std::string& folder, std::vector<std::string>& unreadable)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int added = 0;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            added += AddFolder(path, unreadable);
            continue;
        }
        CPDataFile file(path, false);
        if (FAILED(file.Load())) {
            unreadable.push_back(path);
            continue;
        }
        const unsigned char* bytes = file.GetData();
        AddEntry(path, std::vector<unsigned char>(bytes, bytes + file.GetDataSize()));
        ++added;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return added;
}

HRESULT PackArchiveWriter::Save(const std::string& archivePath) const
{
    size_t tableSize = 0;
    for (const Entry& entry : m_entries) tableSize += kSmallestEntry + entry.name.size();

    std::vector<unsigned char> table;
    uint64_t offset = kPackArchiveHeaderSize + tableSize;
    for (const Entry& entry : m_entries) {
        AppendUint(table, static_cast<uint32_t>(entry.name.size()));
        table.insert(table.end(), entry.name.begin(), entry.name.end());
        AppendUint(table, static_cast<uint32_t>(offset));
        AppendUint(table, static_cast<uint32_t>(entry.bytes.size()));
        offset += entry.bytes.size();
    }
    if (offset > UINT32_MAX) return E_FAIL;

    CPDataFileWriter writer(archivePath, false);
    writer.Write(kPackArchiveMagic, sizeof(kPackArchiveMagic));
    writer.WriteInt(static_cast<int32_t>(m_entries.size()));
    writer.WriteInt(static_cast<int32_t>(table.size()));
    writer.Write(table.data(), table.size());
    for (const Entry& entry : m_entries) {
        std::vector<unsigned char> scrambled(entry.bytes);
        ScrambleBytes(scrambled.data(), scrambled.size());
        writer.Write(scrambled.data(), scrambled.size());
    }
    return writer.Save();
}
