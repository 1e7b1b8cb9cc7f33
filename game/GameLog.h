#pragma once

#include <string>

class CPDataFileWriter;
class ProblemLog;

// Where the game's readers report what they found wrong in its profile
// and bindings files and what a level load found wrong or left out.
ProblemLog& GetGameLog();

// Saves a written file to path; when that fails the file there is kept,
// and the game log says so. True when saved.
bool SaveOrReport(CPDataFileWriter& writer, const std::string& path);
