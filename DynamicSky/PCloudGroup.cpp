#include "DynamicSky/PCloudGroup.h"

#include "DynamicSky/CloudGroupFile.h"
#include "DynamicSky/SkyTextFile.h"

namespace {
const float kOpaque = 255.0f;
const float kClear = 0.0f;
} // namespace

CPCloudGroup::CPCloudGroup()
    : basePosition(0.0f, 0.0f, 0.0f),
      value1(0.0f),
      count(0),
      vector(0.0f, 0.0f, 0.0f),
      value2(0.0f),
      shown(false),
      hidden(false),
      firstWord(0),
      secondWord(0)
{
}

CPCloudGroup::~CPCloudGroup()
{
    for (CPCloudSet* set : sets) delete set;
}

void CPCloudGroup::Load(const std::string& name)
{
    CloudGroupDescription file;
    if (!ReadCloudGroupFile(SkyFilePath(name), file)) return;
    basePosition = file.basePosition;
    value1 = file.value1;
    count = file.count;
    vector = file.vector;
    value2 = file.value2;
    for (const CloudGroupDescription::Set& read : file.sets) {
        CPCloudSet* set = new CPCloudSet();
        set->Load(read.file, read.scale, read.angle);
        set->position = basePosition + read.offset;
        set->offset = read.offset;
        setValues.push_back(std::make_pair(set, read.value));
        sets.push_back(set);
    }
}

void CPCloudGroup::SetShown(bool show, bool resetAlpha)
{
    shown = show;
    hidden = !show;
    for (CPCloudSet* set : sets) {
        set->fadingOut = !show;
        set->fadingIn = show;
        if (resetAlpha) {
            set->alpha1 = show ? kOpaque : kClear;
            set->alpha2 = show ? kClear : kOpaque;
        }
        set->changed1 = true;
        set->changed2 = true;
    }
}

void CPCloudGroup::Hide()
{
    SetShown(false, false);
}

void CPCloudGroup::PlaceSets()
{
    for (CPCloudSet* set : sets) set->position = basePosition + set->offset;
}
