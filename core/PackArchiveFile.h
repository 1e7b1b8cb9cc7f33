#pragma once

#include "core/PackArchiveIndex.h"

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

// The layout of a "*.pak" archive, all integers 32-bit little-endian:
//   "HMPK"                     magic
//   entry count
//   index size                 bytes of the entry table that follows
//   entry table                per entry: name length, name bytes (lower
//                              case, back-slashes, no terminator), offset
//                              and length of its bytes in the archive
//   entry bytes                each entry scrambled on its own, its first
//                              byte at key position 0
// The data-file layer reads only what the table says; this header is the
// archive's own.
const char kPackArchiveMagic[4] = {'H', 'M', 'P', 'K'};
const size_t kPackArchiveHeaderSize = 12;

typedef std::unordered_map<std::string, PackArchiveEntry> PackArchiveEntries;

// Reads the entry table of an archive. Fails, and leaves the entries empty,
// when the header or any count, length, offset or name in the table does not
// fit the file: no entry of a damaged archive is ever offered.
bool ReadPackArchiveTable(const std::string& archivePath, PackArchiveEntries& entries);

// Reads an archive's table and registers the archive after those already
// registered; false (nothing registered) for a damaged or unreadable archive.
bool RegisterPackArchiveFile(const std::string& archivePath);

// Registers every "*.pak" file of the folder in name order; answers how
// many were registered.
int RegisterPackArchivesIn(const std::string& folder);

// Collects entries and writes them as one archive.
class PackArchiveWriter {
public:
    // The name is stored lower-cased; a later entry of the same name
    // replaces the earlier one.
    void AddEntry(const std::string& name, const std::vector<unsigned char>& bytes);
    // Adds every file below the folder under its path from the working
    // folder, with back-slashes ("Data\Textures\sky.tga"), so the data-file
    // layer finds it under the name it would open on disk. Answers how many
    // were added; the paths of files that could not be read are listed.
    int AddFolder(const std::string& folder, std::vector<std::string>& unreadable);
    HRESULT Save(const std::string& archivePath) const;

private:
    struct Entry {
        std::string name;
        std::vector<unsigned char> bytes;
    };
    std::vector<Entry> m_entries;
};
