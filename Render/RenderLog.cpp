#include "Render/RenderLog.h"

ProblemLog& GetRenderLog()
{
    static ProblemLog log("render");
    return log;
}
