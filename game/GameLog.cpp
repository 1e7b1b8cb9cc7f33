#include "game/GameLog.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/ProblemLog.h"

namespace {

const char* const kKeptSuffix = ".damaged";
// More copies than a player keeps by hand; past them the file stays.
const int kMostKeptCopies = 99;

std::string KeptName(const std::string& path, int copy)
{
    return path + kKeptSuffix + (copy == 1 ? std::string() : std::to_string(copy));
}

bool CopyLoadedFile(const CPDataFile& file, const std::string& copyPath)
{
    CPDataFileWriter writer(copyPath, false);
    writer.Write(file.GetData(), file.GetDataSize());
    return SUCCEEDED(writer.Save());
}

} // namespace

ProblemLog& GetGameLog()
{
    static ProblemLog log("game");
    return log;
}

bool SaveOrReport(CPDataFileWriter& writer, const std::string& path)
{
    if (SUCCEEDED(writer.Save())) return true;
    GetGameLog().Report("%s: could not be written; the file there is kept", path.c_str());
    return false;
}

// The bytes are copied as they lie, scrambled or not, from the disk or from
// a pack archive, whichever the file was read from.
bool KeepDamagedFile(const std::string& path)
{
    if (!IsDataFilePresent(path)) return true;
    CPDataFile file(path, false);
    if (SUCCEEDED(file.Load())) {
        for (int copy = 1; copy <= kMostKeptCopies; ++copy) {
            const std::string kept = KeptName(path, copy);
            if (IsDataFilePresent(kept)) continue;
            if (!CopyLoadedFile(file, kept)) break;
            GetGameLog().Report("%s: read as damaged; kept as %s before it is written over", path.c_str(),
                                kept.c_str());
            return true;
        }
    }
    GetGameLog().Report("%s: read as damaged and no copy of it could be kept; not written over", path.c_str());
    return false;
}
