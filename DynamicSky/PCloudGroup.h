#pragma once

#include "DynamicSky/PCloudSet.h"

#include <d3dx9math.h>

#include <string>
#include <utility>
#include <vector>

// The cloud sets the sky shows together, read from a cloud-group file: a
// base position, the group's values, and each set placed at base + its
// offset with its own value. The group owns its sets.
class CPCloudGroup {
public:
    CPCloudGroup();
    virtual ~CPCloudGroup();
    CPCloudGroup(const CPCloudGroup&) = delete;
    CPCloudGroup& operator=(const CPCloudGroup&) = delete;

    // Reads "Data\Clouds\<name>"; a file that cannot be read, or a
    // malformed one, leaves the group empty.
    void Load(const std::string& name);

    // Starts the sets fading in (shown) or out; with resetAlpha the fade
    // starts from its beginning.
    void SetShown(bool shown, bool resetAlpha);
    // Starts the sets fading out from where their alphas are.
    void Hide();
    // Puts every set at the base position plus its offset.
    void PlaceSets();

    std::vector<std::pair<CPCloudSet*, float>> setValues;
    std::vector<CPCloudSet*> sets;
    D3DXVECTOR3 basePosition;
    float value1;
    int count;
    D3DXVECTOR3 vector;
    float value2;
    bool shown;
    bool hidden;
    unsigned int firstWord;
    unsigned int secondWord;
};
