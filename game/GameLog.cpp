#include "game/GameLog.h"

#include "core/PDataFileWriter.h"
#include "core/ProblemLog.h"

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
