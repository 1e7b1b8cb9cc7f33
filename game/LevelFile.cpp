#include "game/LevelFile.h"

#include "core/PDataFile.h"

#include <algorithm>
#include <cmath>

namespace {

const size_t kHeaderBytes = 4 * sizeof(float);
const size_t kFirstLightBytes = 4 + 12 * sizeof(float);
const size_t kFurtherLightBytes = 28;
// A name's length and ten floats.
const size_t kMinObjectBytes = sizeof(int32_t) + 10 * sizeof(float);
// A name's length, the closed flag and the segment count.
const size_t kMinSplineBytes = 3 * sizeof(int32_t);
const int kPositionFloats = 3;
const int kRotationFloats = 4;
const int kScaleFloats = 3;
// The largest size of a position, rotation or scale value. An object's
// world matrix holds the scale times the rotation's entries, which grow with
// the square of the quaternion's components: up to about 4e27 here, so the
// matrix, and the vertices it carries, stay far inside a float's 3.4e38.
const float kLargestPlacement = 1e9f;
const char* const kOversized = "is more than 1e+09 in size";
const int kLightColumns = 3;
const int kLightRows = 4;

bool Fail(const std::string& path, const std::string& field, const char* problem, std::string& error)
{
    error = path + ": " + field + " " + problem;
    return false;
}

// A count that is not negative and whose records, each at least recordBytes
// long, fit in what is left of the file.
bool ReadCount(CPDataFile& file, size_t recordBytes, int32_t& count)
{
    count = file.ReadInt();
    return !file.HasReadError() && count >= 0 && static_cast<size_t>(count) <= file.GetBytesLeft() / recordBytes;
}

bool SkipLights(CPDataFile& file, int32_t lightCount)
{
    if (lightCount == 0) return true;
    const size_t left = file.GetBytesLeft();
    if (left < kFirstLightBytes ||
        static_cast<size_t>(lightCount - 1) > (left - kFirstLightBytes) / kFurtherLightBytes) {
        return false;
    }
    std::vector<unsigned char> skipped(kFirstLightBytes + (lightCount - 1) * kFurtherLightBytes);
    return SUCCEEDED(file.Read(skipped.data(), skipped.size()));
}

bool ReadObject(CPDataFile& file, LevelObjectRecord& record)
{
    file.ReadString(record.name);
    float* targets[10] = {&record.position.x, &record.position.y, &record.position.z,
                          &record.rotation.x, &record.rotation.y, &record.rotation.z, &record.rotation.w,
                          &record.scale.x,    &record.scale.y,    &record.scale.z};
    for (float* target : targets) *target = file.ReadFloat();
    return !file.HasReadError();
}

template <class Test>
const char* FirstFieldFailing(const LevelObjectRecord& record, Test test)
{
    auto all = [&](const float* values, int count) { return std::all_of(values, values + count, test); };
    if (!all(record.position, kPositionFloats)) return "position";
    if (!all(record.rotation, kRotationFloats)) return "rotation";
    if (!all(record.scale, kScaleFloats)) return "scale";
    return nullptr;
}

// The first of the record's position, rotation and scale that holds a
// value that is not a finite number, or null when all are finite.
const char* NonFiniteField(const LevelObjectRecord& record)
{
    return FirstFieldFailing(record, [](float value) { return std::isfinite(value); });
}

// The first of them that holds a value larger than kLargestPlacement.
const char* OversizedField(const LevelObjectRecord& record)
{
    return FirstFieldFailing(record, [](float value) { return std::fabs(value) <= kLargestPlacement; });
}

bool ReadRecords(CPDataFile& file, const std::string& path, LevelDescription& level, std::string& error)
{
    float header[4];
    if (FAILED(file.Read(header, kHeaderBytes))) return Fail(path, "header", "is cut short", error);
    int32_t lightCount = 0;
    if (!ReadCount(file, 1, lightCount)) return Fail(path, "light count", "does not fit the file", error);
    if (!SkipLights(file, lightCount)) return Fail(path, "light records", "run past the end", error);
    int32_t objectCount = 0;
    if (!ReadCount(file, kMinObjectBytes, objectCount)) {
        return Fail(path, "object count", "does not fit the file", error);
    }
    level.objects.resize(static_cast<size_t>(objectCount));
    for (size_t i = 0; i < level.objects.size(); ++i) {
        const std::string field = "object record " + std::to_string(i);
        if (!ReadObject(file, level.objects[i])) return Fail(path, field, "runs past the end", error);
        if (const char* part = NonFiniteField(level.objects[i])) {
            return Fail(path, field + " " + part, "is not a finite number", error);
        }
        if (const char* part = OversizedField(level.objects[i])) {
            return Fail(path, field + " " + part, kOversized, error);
        }
    }
    int32_t splineCount = 0;
    if (!ReadCount(file, kMinSplineBytes, splineCount)) {
        return Fail(path, "spline count", "does not fit the file", error);
    }
    for (int32_t i = 0; i < splineCount; ++i) {
        // Listed before it loads, so that a refused file destroys it too.
        RefPtr<CPSpline> spline(new CPSpline());
        level.splines.push_back(spline);
        if (!spline->Load(file)) {
            return Fail(path, "spline " + std::to_string(i), "is damaged", error);
        }
    }
    return true;
}

// Splines are engine objects, which letting go of does not destroy.
void DestroySplines(LevelDescription& level)
{
    for (RefPtr<CPSpline>& spline : level.splines) {
        CPSpline* made = spline.Get();
        spline = nullptr;
        delete made;
    }
}

} // namespace

LevelObjectRecord::LevelObjectRecord()
    : position(0.0f, 0.0f, 0.0f), rotation(0.0f, 0.0f, 0.0f, 1.0f), scale(1.0f, 1.0f, 1.0f)
{
}

LevelObjectRecord::LevelObjectRecord(const std::string& name, const D3DXVECTOR3& position,
                                     const D3DXQUATERNION& rotation, const D3DXVECTOR3& scale)
    : name(name), position(position), rotation(rotation), scale(scale)
{
}

bool ReadLevelFile(CPDataFile& file, const std::string& path, LevelDescription& level, std::string& error)
{
    level = LevelDescription();
    if (ReadRecords(file, path, level, error)) return true;
    DestroySplines(level);
    level = LevelDescription();
    return false;
}

LevelFileContent::LevelFileContent() : header{0.0f, 0.0f, 0.0f, 0.0f}, lightCount(0) {}

void LevelFileWriter::Level(const LevelFileContent& content)
{
    for (float value : content.header) Float(value);
    lightCountAt = bytes.size();
    Int(content.lightCount);
    if (content.lightCount > 0) {
        Int(0);
        for (int column = 0; column < kLightColumns; ++column) {
            for (int row = 0; row < kLightRows; ++row) Float(row == column ? 1.0f : 0.0f);
        }
        bytes.append((content.lightCount - 1) * kFurtherLightBytes, '\0');
    }
    objectCountAt = bytes.size();
    Int(static_cast<int32_t>(content.objects.size()));
    objectsAt.clear();
    for (const LevelObjectRecord& record : content.objects) {
        objectsAt.push_back(bytes.size());
        Object(record);
    }
    splineCountAt = bytes.size();
    Int(static_cast<int32_t>(content.splines.size()));
    for (const SplineShape& spline : content.splines) Spline(spline);
}

void LevelFileWriter::Object(const LevelObjectRecord& record)
{
    Text(record.name);
    Point(record.position);
    for (float value : {record.rotation.x, record.rotation.y, record.rotation.z, record.rotation.w}) Float(value);
    Point(record.scale);
}
