#pragma once

#include <cstddef>

// Opening files, programs and web addresses with the shell's "open" verb:
// no owner window, no parameters, the current directory, shown normally.
// Nothing reports whether it worked; the launcher carries on either way.
void ShellOpen(const char* target);

// The length of the target as the shell reads it: the shell puts in the value
// of each %NAME% environment variable first, so a short target may grow long.
size_t ShellTargetLength(const char* target);

// The function that ShellOpen hands its target to: the shell's, unless a test
// has installed another. Installing null puts the shell's back; answers the
// function it replaces.
typedef void (*ShellOpenFunction)(const char* target);
ShellOpenFunction SetShellOpenFunction(ShellOpenFunction function);
