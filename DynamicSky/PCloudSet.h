#pragma once

#include <d3dx9math.h>

#include <string>
#include <vector>

// One formation of clouds read from a cloud-set file, scaled and turned
// about the vertical axis as its group places it, with its fade state and
// the values of its file. The sky keeps sets as data: nothing draws them.
class CPCloudSet {
public:
    struct Cloud {
        D3DXVECTOR3 centre;
        int first;
        int second;
        float value;
        D3DXVECTOR3 direction; // from the cloud's anchor point to its centre
        float size1;
        float size2;
    };

    CPCloudSet();
    virtual ~CPCloudSet();

    // Reads "Data\Clouds\<fileName>", placing every point as (x, y, z) ×
    // scale turned by angle (radians) about z. A file that cannot be read,
    // or a malformed one, leaves the set empty.
    void Load(const std::string& fileName, float scale, float angle);

    std::vector<Cloud> clouds;
    float alpha1;
    float alpha2;
    bool fadingOut;
    bool fadingIn;
    float valueB;
    float valueA;
    unsigned int words[3];
    float shading[6];
    float halfHeight;
    float reach;
    D3DXVECTOR3 position;
    bool changed1;
    float scale;
    float angle;
    D3DXVECTOR3 offset;
    bool changed2;

private:
    void ComputeBounds();
};
