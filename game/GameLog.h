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

// Copies a file that was read as damaged to the first free name beside
// it, path + ".damaged", else ".damaged2", ".damaged3" and on, and tells
// the game log both names, so that writing over the file loses nothing it
// held. True when copied, or when the file is gone; false, logged, when no
// copy could be made, and then the file must not be written over.
bool KeepDamagedFile(const std::string& path);
