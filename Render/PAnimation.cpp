#include "Render/PAnimation.h"

#include "core/PDataFile.h"
#include "Render/PAnimationCache.h"
#include "Render/PObjectLoader.h"

#include <algorithm>
#include <cmath>

namespace {

// Stored frame times count in 1/2400 s.
const float kFrameTimeUnit = 0.00041666668f;

const CPAnimation::LoadFault kFramesDoNotFit = {"morph frames", "do not fit the file"};
const CPAnimation::LoadFault kFrameTimeNotFinite = {"frame time", "is not a finite number"};

// The smallest frame a stream can hold: its two counts.
const size_t kEmptyFrameSize = 2 * sizeof(int32_t);

// The running extent of the vertices starts from these, so a stream without
// frames gives a box turned inside out.
const D3DXVECTOR3 kExtentStartMinimum(5000000.0f, 5000000.0f, 5000000.0f);
const D3DXVECTOR3 kExtentStartMaximum(-500000.0f, -5000000.0f, -500000.0f);

CPBoundingBox BoxBetween(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum)
{
    return CPBoundingBox((maximum + minimum) * 0.5f, (maximum - minimum) * 0.5f);
}

// Reads count elements of the element size into items; false, with nothing
// read, when the count is negative or does not fit the bytes left.
template <class Item>
bool ReadCountedArray(CPDataFile& stream, std::vector<Item>& items)
{
    const int32_t count = stream.ReadInt();
    if (stream.HasReadError() || count < 0) return false;
    if (static_cast<size_t>(count) > stream.GetBytesLeft() / sizeof(Item)) return false;
    items.resize(count);
    return count == 0 || SUCCEEDED(stream.Read(items.data(), count * sizeof(Item)));
}

bool IndicesNameVertices(const MorphFrame& frame)
{
    const size_t vertexCount = frame.vertices.size();
    return std::all_of(frame.indices.begin(), frame.indices.end(),
                       [vertexCount](uint16_t index) { return index < vertexCount; });
}

bool ReadFrame(CPDataFile& stream, MorphFrame& frame)
{
    return ReadCountedArray(stream, frame.vertices) && ReadCountedArray(stream, frame.indices) &&
           IndicesNameVertices(frame);
}

} // namespace

CPAnimation::CPAnimation(std::string name)
    : m_name(std::move(name)),
      m_duration(0.0f),
      m_frameCount(0),
      m_frameTime(0.0f),
      m_boundingBox(BoxBetween(kExtentStartMinimum, kExtentStartMaximum)),
      m_loadFault(kFramesDoNotFit)
{
    if (g_pAnimationCache) g_pAnimationCache->Enter(this);
}

CPAnimation::~CPAnimation()
{
    if (g_pAnimationCache) g_pAnimationCache->Remove(this);
}

bool CPAnimation::Load(CPDataFile& stream)
{
    m_loadFault = kFramesDoNotFit;
    const int32_t frameCount = stream.ReadInt();
    const float frameTime = stream.ReadFloat() * kFrameTimeUnit;
    if (stream.HasReadError() || frameCount < 0) return false;
    if (!std::isfinite(frameTime)) {
        m_loadFault = kFrameTimeNotFinite;
        return false;
    }
    if (static_cast<size_t>(frameCount) > stream.GetBytesLeft() / kEmptyFrameSize) return false;

    std::vector<MorphFrame> frames(frameCount);
    const D3DCOLOR colour = GetLoaderVertexColour();
    D3DXVECTOR3 minimum = kExtentStartMinimum;
    D3DXVECTOR3 maximum = kExtentStartMaximum;
    for (int32_t i = 0; i < frameCount; ++i) {
        MorphFrame& frame = frames[i];
        if (!ReadFrame(stream, frame)) return false;
        frame.frameNumber = i;
        for (Vertex48& vertex : frame.vertices) {
            vertex.diffuse = colour;
            D3DXVec3Minimize(&minimum, &minimum, &vertex.position);
            D3DXVec3Maximize(&maximum, &maximum, &vertex.position);
        }
    }

    m_frameTime = frameTime;
    m_frameCount = frameCount;
    m_duration = frameTime * frameCount;
    m_frames.swap(frames);
    m_boundingBox = BoxBetween(minimum, maximum);
    return true;
}
