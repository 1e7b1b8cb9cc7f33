#pragma once

class ProblemLog;

// Where the game's readers report what they found wrong in its profile
// and bindings files.
ProblemLog& GetGameLog();
