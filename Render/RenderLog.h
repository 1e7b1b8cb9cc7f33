#pragma once

#include "core/ProblemLog.h"

// Where the renderer reports a setting or input that it had to change
// before it could use it.
ProblemLog& GetRenderLog();
