#pragma once

#include "core/PDataFile.h"
#include "core/PGameObject.h"
#include "Render/PAnimation.h"
#include "Render/tests/AnimationFixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace animation_test {

const char kStreamFile[] = "morph.bin";

// Stored frame times of 600 units are 0.25 s.
const float kQuarterSecond = 600.0f;

// Loads the animation from a morph stream written as a real file.
inline bool LoadFromStream(CPAnimation& animation, const FixtureWriter& stream)
{
    stream.Save(kStreamFile);
    CPDataFile file(kStreamFile, false);
    EXPECT_EQ(file.Load(), S_OK);
    return animation.Load(file);
}

inline bool LoadFrames(CPAnimation& animation, float storedFrameTime, const std::vector<FrameData>& frames)
{
    FixtureWriter stream;
    WriteMorphStream(stream, storedFrameTime, frames);
    return LoadFromStream(animation, stream);
}

// Frame k has its vertices at x = k, so a written vertex tells its frame;
// y counts the vertices, and the indices cover them in triangles in order.
inline std::vector<FrameData> NumberedFrames(const std::vector<int>& vertexCounts)
{
    std::vector<FrameData> frames;
    for (size_t k = 0; k < vertexCounts.size(); ++k) {
        FrameData frame;
        for (int v = 0; v < vertexCounts[k]; ++v) {
            frame.vertices.push_back(MorphVertex(static_cast<float>(k), static_cast<float>(v), 1.0f));
            frame.indices.push_back(static_cast<uint16_t>(v));
        }
        frames.push_back(frame);
    }
    return frames;
}

// The "%d" identity of an object, as commands carry it.
inline std::string IdentityOf(const void* object)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(reinterpret_cast<intptr_t>(object)));
    return text;
}

// Places the object at the position, turned a quarter turn about +z, and
// rebuilds its matrices.
inline void PlaceQuarterTurned(CPGameObject& object, float x, float y, float z)
{
    object.SetPosition(x, y, z);
    D3DXQUATERNION quarterTurn;
    const D3DXVECTOR3 up(0, 0, 1);
    D3DXQuaternionRotationAxis(&quarterTurn, &up, D3DX_PI / 2);
    object.SetRotation(quarterTurn.x, quarterTurn.y, quarterTurn.z, quarterTurn.w);
    object.UpdateTransform();
}

} // namespace animation_test
