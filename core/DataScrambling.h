#pragma once

#include <cstddef>

// Scrambled data files and pack-archive entries add a repeating key to every
// byte. Position 0 is always a file's (or entry's) first byte.

const size_t kScrambleKeyLength = 1933;

void ScrambleBytes(unsigned char* data, size_t size);
void UnscrambleBytes(unsigned char* data, size_t size);
