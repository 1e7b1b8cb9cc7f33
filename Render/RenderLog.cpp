#include "Render/RenderLog.h"

#include "core/StringUtils.h"

ProblemLog& GetRenderLog()
{
    static ProblemLog log("render");
    return log;
}

bool CheckNameInsideFolder(const std::string& givenBy, const std::string& name)
{
    if (IsNameInsideFolder(name)) return true;
    GetRenderLog().Report("%s \"%s\" names a file outside the game's folders; not read", givenBy.c_str(),
                          name.c_str());
    return false;
}
