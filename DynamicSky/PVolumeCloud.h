#pragma once

#include "DynamicSky/VertexObject.h"

#include <map>

// The sky's volume cloud: a vertex object with the cloud texture and effect
// and a map of cloud nodes. It has no geometry of its own yet, so nothing
// draws it; it lives and dies with the sky.
class CPVolumeCloud : public CPVertexObject {
public:
    // One cloud node as the map keeps it: plain data.
    struct CloudNode {
        unsigned char bytes[196];
    };

    // Loads "data\textures\cloud.tga" and "data\effects\volume_cloud.fx";
    // a missing file leaves the cloud without it.
    CPVolumeCloud();
    ~CPVolumeCloud() override;

    const std::map<int, CloudNode>& GetNodes() const { return m_nodes; }

private:
    std::map<int, CloudNode> m_nodes;
};
