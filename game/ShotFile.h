#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CPShot;
class CPShotSpawner;

// One template line of "Data\Shots.txt": the kind it makes, the class that
// makes it ("projectile" or "effect") and the strings handed to the shot's
// SetParams, the last of them its sound ("name", "name,2d" or "none").
struct ShotTemplateLine {
    std::string kind;
    std::string className;
    std::vector<std::string> params;
};

// Fields are separated by blanks or tabs; a field with blanks in it is
// quoted.
// "//" starts a comment.
extern const char* const kShotFile;

// A template for each line of the text, in order. A line with fewer than
// two fields, an unknown class, parameters its class refuses or a
// parameter that names a file outside the game's folders (".." in it, a
// drive, a leading "\" or "/") is left out and reported to the game log
// with its line number.
std::vector<std::unique_ptr<CPShot>> ReadShotTemplates(const std::string& text);
// S_OK, or E_FAIL when the file could not be written.
HRESULT WriteShotFile(const std::string& path, const std::vector<ShotTemplateLine>& lines);

// A template of the line's class with its parameters taken, or null when
// the class is unknown or refuses them.
std::unique_ptr<CPShot> MakeShotTemplate(const ShotTemplateLine& line);

// Gives the spawner a template for every good line of "Data\Shots.txt" (a
// missing file gives none); answers the number of templates.
int LoadShotTemplates(CPShotSpawner& spawner);
