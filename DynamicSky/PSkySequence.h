#pragma once

#include "DynamicSky/SkySequenceFile.h"

#include <string>
#include <vector>

// The table of weather phases the sky draws from: which cloud group is
// shown, for how long, how fast it fades and how likely it is drawn.
class CPSkySequence {
public:
    virtual ~CPSkySequence();

    // Appends the entries of "Data\Clouds\<fileName>"; a file that cannot
    // be read, or a malformed one, adds nothing.
    void Load(const std::string& fileName);

    std::vector<SkySequenceEntry> entries;
};
