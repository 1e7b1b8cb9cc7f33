#include "core/PackArchiveIndex.h"

#include "core/StringUtils.h"

std::list<PackArchiveIndex>& GetPackArchiveList()
{
    static std::list<PackArchiveIndex> archives;
    return archives;
}

void RegisterPackArchive(const std::string& archivePath,
                         const std::unordered_map<std::string, PackArchiveEntry>& entries)
{
    PackArchiveIndex archive;
    archive.path = archivePath;
    for (const auto& named : entries) {
        std::string name = named.first;
        archive.entries[StringToLower(name)] = named.second;
    }
    GetPackArchiveList().push_back(archive);
}
