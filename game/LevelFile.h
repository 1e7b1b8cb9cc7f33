#pragma once

#include "core/PObject.h"
#include "game/PSpline.h"
#include "game/SplineFileWriter.h"

#include <d3dx9math.h>

#include <string>
#include <vector>

class CPDataFile;

// One object record of a level file: a name whose base (the name without
// its trailing digits) says what it is, a position, a rotation quaternion
// and a scale.
struct LevelObjectRecord {
    LevelObjectRecord();
    LevelObjectRecord(const std::string& name, const D3DXVECTOR3& position,
                      const D3DXQUATERNION& rotation = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f),
                      const D3DXVECTOR3& scale = D3DXVECTOR3(1.0f, 1.0f, 1.0f));

    std::string name;
    D3DXVECTOR3 position;
    D3DXQUATERNION rotation;
    D3DXVECTOR3 scale;
};

// A level file read whole, before anything of it is built: the object
// records in file order and the splines, each already sampled.
struct LevelDescription {
    std::vector<LevelObjectRecord> objects;
    std::vector<RefPtr<CPSpline>> splines;
};

// Reads a level file (little-endian): four header floats, the light count
// with its light bytes, the object records and the splines; nothing after
// the splines is read. False, with one line naming the path and the field,
// when a count is negative or more than the bytes left could hold, a name
// runs past the end, a position, rotation or scale is not a finite number
// or is more than 1e9 in size (which keeps the object's world matrix finite),
// a spline does not load or the file ends early; the description is then
// left empty, and the splines read before the fault are destroyed.
bool ReadLevelFile(CPDataFile& file, const std::string& path, LevelDescription& level, std::string& error);

// What a level file holds, for writing one.
struct LevelFileContent {
    LevelFileContent();

    float header[4];
    int32_t lightCount;
    std::vector<LevelObjectRecord> objects;
    std::vector<SplineShape> splines;
};

// The bytes of a level file. The light block is written as the reader
// skips it: for one light or more, 4 bytes and the 12 floats of a light
// transform (an identity's three columns), then 28 bytes for each further
// light.
class LevelFileWriter : public SplineWriter {
public:
    void Level(const LevelFileContent& content);
    void Object(const LevelObjectRecord& record);

    // Where Level wrote the three counts and each object record's name, so
    // a test can cut or patch the file there.
    size_t lightCountAt = 0;
    size_t objectCountAt = 0;
    size_t splineCountAt = 0;
    std::vector<size_t> objectsAt;
};
