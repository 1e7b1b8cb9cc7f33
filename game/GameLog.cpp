#include "game/GameLog.h"

#include "core/ProblemLog.h"

ProblemLog& GetGameLog()
{
    static ProblemLog log("game");
    return log;
}
