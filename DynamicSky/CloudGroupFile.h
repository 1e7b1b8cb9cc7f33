#pragma once

#include <d3dx9math.h>

#include <string>
#include <vector>

// A cloud-group file as written: the group's base and values, and each
// cloud set with its file, offset, scale, angle (radians) and value.
struct CloudGroupDescription {
    struct Set {
        std::string file;
        D3DXVECTOR3 offset;
        float scale;
        float angle;
        float value;
    };

    D3DXVECTOR3 basePosition = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float value1 = 0.0f;
    int count = 0;
    D3DXVECTOR3 vector = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    float value2 = 0.0f;
    std::vector<Set> sets;
};

// Reads the file at path into a fresh description. False when it cannot be
// read (silently) or is malformed (reported): a missing line or a set count
// beyond the lines left. A count of zero or less reads no sets.
bool ReadCloudGroupFile(const std::string& path, CloudGroupDescription& group);
HRESULT WriteCloudGroupFile(const std::string& path, const CloudGroupDescription& group);
