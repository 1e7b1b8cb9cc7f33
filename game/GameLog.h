#pragma once

class ProblemLog;

// Where the game's readers report what they found wrong in its profile
// and bindings files and what a level load found wrong or left out.
ProblemLog& GetGameLog();
