#pragma once

#include "game/PSpline.h"
#include "game/SplineFileWriter.h"

#include <d3dx9math.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace spline_test {

using ::CirclePath;
using ::FileSegment;
using ::SplineShape;
using ::SplineWriter;
using ::Straight;

// A straight path along +x whose length is exactly the given one.
inline SplineShape StraightPath(float length, bool closed)
{
    SplineShape shape;
    shape.closed = closed ? 1 : 0;
    shape.segments.push_back(Straight(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(length / 0.9f, 0, 0)));
    return shape;
}

// Writes the shape and loads it into a new spline; null when Load fails.
inline RefPtr<CPSpline> LoadSpline(const SplineShape& shape, const std::string& path = "spline.bin")
{
    SplineWriter writer;
    writer.Spline(shape);
    CPDataFile* file = nullptr;
    RefPtr<CPSpline> spline(new CPSpline());
    const bool opened = writer.Open(path, file);
    const bool loaded = opened && spline->Load(*file);
    delete file;
    return loaded ? spline : RefPtr<CPSpline>();
}

} // namespace spline_test
