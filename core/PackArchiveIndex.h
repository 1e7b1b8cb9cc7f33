#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>

// Where one entry of a pack archive lies: its bytes, stored scrambled, start
// at the offset and run for the length. Nothing else of an archive is read.
struct PackArchiveEntry {
    uint32_t offset;
    uint32_t length;
};

// A pack archive that the host has registered: its entries by lower-case
// name, and the archive file's path.
struct PackArchiveIndex {
    std::unordered_map<std::string, PackArchiveEntry> entries;
    std::string path;
};

// The registered archives in registration order; data files not on disk are
// read from the first archive that holds their name. Empty until the host
// registers one; nothing in the engine adds to it.
std::list<PackArchiveIndex>& GetPackArchiveList();

// For the host: appends an archive to the list. Entry names are matched
// without regard to case, as paths on disk are.
void RegisterPackArchive(const std::string& archivePath,
                         const std::unordered_map<std::string, PackArchiveEntry>& entries);
