#pragma once

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"

#include <d3dx9math.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

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

// The little-endian bytes of the game's binary files, and of a spline in
// them: the name as a length and its bytes, the closed flag, the segment
// count and twelve floats per segment. Level files and the tests build on it.
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

    // Writes the bytes under the path; false when the file cannot be written.
    bool Save(const std::string& path) const
    {
        CPDataFileWriter writer(path, false);
        writer.Write(bytes.data(), bytes.size());
        return SUCCEEDED(writer.Save());
    }
    // Saves the bytes under the path and opens them for reading.
    bool Open(const std::string& path, CPDataFile*& file) const
    {
        if (!Save(path)) return false;
        file = new CPDataFile(path, false);
        return SUCCEEDED(file->Load());
    }

    std::string bytes;

protected:
    void Raw(const void* data, size_t size) { bytes.append(static_cast<const char*>(data), size); }
};

// A straight segment whose controls lie at thirds: its curve runs evenly
// from start to end, and its length is the chord to 0.9 of the way.
inline FileSegment Straight(const D3DXVECTOR3& start, const D3DXVECTOR3& end)
{
    return FileSegment{start, end, start + (end - start) / 3.0f, start + (end - start) * (2.0f / 3.0f)};
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
