// Writes a "*.pak" archive of folders' files: pack_archive <archive> <folder>...
// Each file is stored under its path as given from the working folder, with
// back-slashes ("Data\Textures\sky.tga"), so the data-file layer finds it
// under the same name it would open on disk.
#include "core/PackArchiveFile.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argumentCount, char** arguments)
{
    if (argumentCount < 3) {
        std::fprintf(stderr, "usage: pack_archive <archive.pak> <folder>...\n");
        return 2;
    }
    PackArchiveWriter archive;
    int added = 0;
    std::vector<std::string> unreadable;
    for (int index = 2; index < argumentCount; ++index) added += archive.AddFolder(arguments[index], unreadable);
    for (const std::string& path : unreadable) std::fprintf(stderr, "pack_archive: cannot read %s\n", path.c_str());
    if (FAILED(archive.Save(arguments[1]))) {
        std::fprintf(stderr, "pack_archive: cannot write %s\n", arguments[1]);
        return 1;
    }
    std::printf("pack_archive: %d files in %s\n", added, arguments[1]);
    return 0;
}
