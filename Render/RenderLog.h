#pragma once

#include "core/ProblemLog.h"

#include <string>

// Where the renderer reports a setting or input that it had to change
// before it could use it, and a file name it would not open.
ProblemLog& GetRenderLog();

// Whether a file name that a data file gives stays inside the folder it is
// looked up in (IsNameInsideFolder). A name that does not is reported with
// what gave it, and the caller takes it for a file that is not there.
bool CheckNameInsideFolder(const std::string& givenBy, const std::string& name);
