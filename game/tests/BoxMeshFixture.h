#pragma once

#include "Render/MeshFileWriter.h"

#include <d3dx9.h>

#include <string>

namespace level_test {

// A closed box mesh around the centre: 8 corners, 12 triangles, with the
// box itself as the part's bounding part.
inline MeshPartData BoxPart(const std::string& name, const D3DXVECTOR3& centre, const D3DXVECTOR3& half)
{
    MeshPartData part;
    part.name = name;
    for (int corner = 0; corner < 8; ++corner) {
        Vertex48 vertex = {};
        vertex.position = D3DXVECTOR3(centre.x + ((corner & 1) ? half.x : -half.x),
                                      centre.y + ((corner & 2) ? half.y : -half.y),
                                      centre.z + ((corner & 4) ? half.z : -half.z));
        part.vertices.push_back(vertex);
    }
    // Two triangles per face: -x, +x, -y, +y, -z, +z.
    part.indices = {0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3, 0, 4, 5, 0, 5, 1,
                    2, 3, 7, 2, 7, 6, 0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5};
    part.boxes = {MeshBoxData{centre, half}};
    return part;
}

} // namespace level_test
