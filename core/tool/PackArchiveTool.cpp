// Writes a "*.pak" archive of folders' files: pack_archive <archive> <folder>...
// Each file is stored under its path as given from the working folder, with
// back-slashes ("Data\Textures\sky.tga"), so the data-file layer finds it
// under the same name it would open on disk.
#include "core/PackArchiveFile.h"
#include "core/PDataFile.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void AddFolder(PackArchiveWriter& archive, const std::string& folder, int& added)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            AddFolder(archive, path, added);
            continue;
        }
        CPDataFile file(path, false);
        if (FAILED(file.Load())) {
            std::fprintf(stderr, "pack_archive: cannot read %s\n", path.c_str());
            continue;
        }
        const unsigned char* bytes = file.GetData();
        archive.AddEntry(path, std::vector<unsigned char>(bytes, bytes + file.GetDataSize()));
        ++added;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

} // namespace

int main(int argumentCount, char** arguments)
{
    if (argumentCount < 3) {
        std::fprintf(stderr, "usage: pack_archive <archive.pak> <folder>...\n");
        return 2;
    }
    PackArchiveWriter archive;
    int added = 0;
    for (int index = 2; index < argumentCount; ++index) AddFolder(archive, arguments[index], added);
    if (FAILED(archive.Save(arguments[1]))) {
        std::fprintf(stderr, "pack_archive: cannot write %s\n", arguments[1]);
        return 1;
    }
    std::printf("pack_archive: %d files in %s\n", added, arguments[1]);
    return 0;
}
