#pragma once

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "game/PSpline.h"

#include <d3dx9math.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace spline_test {

// One segment as a spline file lays it out: start, end, then the two
// control points.
struct FileSegment {
    D3DXVECTOR3 start;
    D3DXVECTOR3 end;
    D3DXVECTOR3 control1;
    D3DXVECTOR3 control2;
};

// What a spline file holds: the path's name, its closed flag and its segments.
struct SplineShape {
    std::string name = "c_path";
    int32_t closed = 1;
    std::vector<FileSegment> segments;
};

// The bytes of a spline: the name as a length and its bytes, the closed
// flag, the segment count and twelve floats per segment.
class SplineWriter {
public:
    void Int(int32_t value) { Raw(&value, sizeof(value)); }
    void Float(float value) { Raw(&value, sizeof(value)); }
    void Point(const D3DXVECTOR3& p)
    {
        Float(p.x);
        Float(p.y);
        Float(p.z);
    }
    void Text(const std::string& text)
    {
        Int(static_cast<int32_t>(text.size()));
        Raw(text.data(), text.size());
    }
    void Spline(const SplineShape& shape)
    {
        Text(shape.name);
        Int(shape.closed);
        Int(static_cast<int32_t>(shape.segments.size()));
        for (const FileSegment& segment : shape.segments) {
            for (const D3DXVECTOR3* p : {&segment.start, &segment.end, &segment.control1, &segment.control2}) {
                Point(*p);
            }
        }
    }
    void Truncate(size_t size) { bytes.resize(size); }

    // Saves the bytes under the path and opens them for reading.
    bool Open(const std::string& path, CPDataFile*& file) const
    {
        CPDataFileWriter writer(path, false);
        writer.Write(bytes.data(), bytes.size());
        if (FAILED(writer.Save())) return false;
        file = new CPDataFile(path, false);
        return SUCCEEDED(file->Load());
    }

    std::string bytes;

private:
    void Raw(const void* data, size_t size) { bytes.append(static_cast<const char*>(data), size); }
};

// A straight segment whose controls lie at thirds: its curve runs evenly
// from start to end, and its length is the chord to 0.9 of the way.
inline FileSegment Straight(const D3DXVECTOR3& start, const D3DXVECTOR3& end)
{
    return FileSegment{start, end, start + (end - start) / 3.0f, start + (end - start) * (2.0f / 3.0f)};
}

// A straight path along +x whose length is exactly the given one.
inline SplineShape StraightPath(float length, bool closed)
{
    SplineShape shape;
    shape.closed = closed ? 1 : 0;
    shape.segments.push_back(Straight(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(length / 0.9f, 0, 0)));
    return shape;
}

// A circle of four segments around the centre, counter-clockwise seen from
// above, starting on the +x side.
inline SplineShape CirclePath(const D3DXVECTOR3& centre, float radius)
{
    // Control points at this share of the radius keep each quarter within
    // a tenth of a percent of the circle.
    const float handle = 0.5523f * radius;
    SplineShape shape;
    for (int quarter = 0; quarter < 4; ++quarter) {
        const float a0 = quarter * 1.5707963f;
        const float a1 = a0 + 1.5707963f;
        const D3DXVECTOR3 r0(std::cos(a0), std::sin(a0), 0), r1(std::cos(a1), std::sin(a1), 0);
        const D3DXVECTOR3 t0(-r0.y, r0.x, 0), t1(-r1.y, r1.x, 0);
        const D3DXVECTOR3 p0 = centre + r0 * radius, p3 = centre + r1 * radius;
        shape.segments.push_back(FileSegment{p0, p3, p0 + t0 * handle, p3 - t1 * handle});
    }
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
