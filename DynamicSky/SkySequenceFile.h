#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One entry of the sky sequence: a cloud group, how long it is kept and
// how fast it fades, how likely it is drawn, and values for the sky. The
// sky reads value 9 as its grey flag.
struct SkySequenceEntry {
    float fadeTime = 0.0f;
    float meanLength = 0.0f;
    float variation = 0.0f;
    std::string cloudGroup;
    int value1 = 0;
    int value2 = 0;
    float value3 = 0.0f;
    float value4 = 0.0f;
    int value5 = 0;
    float value6 = 0.0f;
    int value7 = 0;
    int value8 = 0;
    int value9 = 0;
    float probability = 0.0f;
    int value10 = 0;
};

// Reads the sequence file at path into entries (emptied first). False when
// it cannot be read (silently) or is malformed (reported): a missing line,
// a real value that is no finite number, or an entry count beyond the lines
// left or above 32768.
bool ReadSkySequenceFile(const std::string& path, std::vector<SkySequenceEntry>& entries);
HRESULT WriteSkySequenceFile(const std::string& path, const std::vector<SkySequenceEntry>& entries);
