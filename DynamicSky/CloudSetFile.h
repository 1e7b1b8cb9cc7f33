#pragma once

#include <d3dx9math.h>

#include <string>
#include <vector>

// A cloud-set file as written: anchor points, clouds, and the eight values
// of the set, before any scale or turn is applied.
struct CloudSetDescription {
    struct Cloud {
        D3DXVECTOR3 centre;
        int first;
        int second;
        float value;
        int anchor; // index into the anchor points
        float size1;
        float size2;
    };

    static const int kShadingCount = 6;

    std::vector<D3DXVECTOR3> anchors;
    std::vector<Cloud> clouds;
    float valueA = 20.0f;
    float valueB = 20.0f;
    float shading[kShadingCount] = {128.0f, 128.0f, 128.0f, 128.0f, 128.0f, 128.0f};
};

// Reads the file at path into a fresh description. False when it cannot be
// read (silently) or is malformed (reported): a missing line, a count
// beyond the lines left, or an anchor index that names no anchor point.
// Counts of zero or less read no lines of their kind.
bool ReadCloudSetFile(const std::string& path, CloudSetDescription& set);
HRESULT WriteCloudSetFile(const std::string& path, const CloudSetDescription& set);
