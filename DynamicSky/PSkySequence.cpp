#include "DynamicSky/PSkySequence.h"

#include "DynamicSky/SkyTextFile.h"

CPSkySequence::~CPSkySequence() {}

void CPSkySequence::Load(const std::string& fileName)
{
    std::vector<SkySequenceEntry> read;
    if (!ReadSkySequenceFile(SkyFilePath(fileName), read)) return;
    entries.insert(entries.end(), read.begin(), read.end());
}
