#pragma once

#include "Render/EmitterDefinition.h"

#include <windows.h>

#include <string>
#include <vector>

class CPParticleManager;

// One emitter definition under the name particle systems ask for it by.
struct NamedEmitter {
    std::string name;
    EmitterDefinition definition;
};

// "Data\Particles.txt": a text file whose first line is "emitters <count>",
// followed by that many lines of 17 fields separated by blanks: the
// emitter's name, then the definition's fields in order (first and second
// scalar, direction x y z, speed, acceleration x y z, third scalar, flag
// 0-255, particle name, cone angle in degrees, spread x y z). Names are
// single words.
extern const char* const kParticleFile;

// Reads the file at path. False, with nothing in emitters, when it cannot
// be read (error empty) or is malformed (error naming the file, the emitter
// and the fault): a missing or wrong header, a count below 0 or beyond the
// lines left, an emitter line with too few or too many fields, a value that
// is not a finite number of its kind, or a flag outside its byte. (A life
// of "inf" or "nan" would keep every particle of the emitter for ever.)
bool ReadParticleFile(const std::string& path, std::vector<NamedEmitter>& emitters, std::string& error);
// S_OK, or E_FAIL when the file could not be written.
HRESULT WriteParticleFile(const std::string& path, const std::vector<NamedEmitter>& emitters);

// Enters the definitions of "Data\Particles.txt" in the manager and answers
// them. A file that is there but malformed is reported in one line to the
// debugger's output and enters nothing; a missing file is no fault.
std::vector<NamedEmitter> LoadParticleDefinitions(CPParticleManager& manager);
