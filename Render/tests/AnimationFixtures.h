#pragma once

#include "Render/PDrawable.h"
#include "Render/MeshFileWriter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Writers for the animation data the engine reads: animation-track files
// and the morph streams inside mesh files. Each appends to a FixtureWriter
// with one labelled field per value, so tests can cut or damage the result.

// One key of a track as the file holds it: the passage time, then the first
// three columns of the row-vector matrix, column by column (m11, m21, m31,
// m41, m12, ... m43).
struct TrackKey {
    float time;
    std::array<float, 12> columns;
};

// A key whose matrix is the translation by (x, y, z).
inline TrackKey TranslationKey(float time, float x, float y, float z)
{
    return TrackKey{time, {1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z}};
}

struct TrackData {
    std::string name;
    std::vector<TrackKey> keys;
};

// Fields: "key count", then per key "key time" and 12 "key element".
inline void WriteTrackKeys(FixtureWriter& out, const std::vector<TrackKey>& keys)
{
    out.Int(static_cast<int32_t>(keys.size()), "key count");
    for (const TrackKey& key : keys) {
        out.Float(key.time, "key time");
        for (float element : key.columns) out.Float(element, "key element");
    }
}

// Fields: "track count", then per track "track name length", "track name"
// and its keys.
inline void WriteTrackFile(FixtureWriter& out, const std::vector<TrackData>& tracks)
{
    out.Int(static_cast<int32_t>(tracks.size()), "track count");
    for (const TrackData& track : tracks) {
        out.String(track.name, "track name");
        WriteTrackKeys(out, track.keys);
    }
}


// A vertex at the position with every other value set, so that a test can
// see what the reader keeps and what it replaces.
inline Vertex48 MorphVertex(float x, float y, float z)
{
    Vertex48 vertex;
    vertex.position = D3DXVECTOR3(x, y, z);
    vertex.normal = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    vertex.diffuse = 0x12345678;
    vertex.specular = 0x9ABCDEF0;
    vertex.tex0 = D3DXVECTOR2(0.25f, 0.75f);
    vertex.tex1 = D3DXVECTOR2(0.5f, 0.125f);
    return vertex;
}


// Fields: "frame count", "frame time" (in 1/2400 s), then the frames.
inline void WriteMorphStream(FixtureWriter& out, float storedFrameTime, const std::vector<FrameData>& frames)
{
    out.Int(static_cast<int32_t>(frames.size()), "frame count");
    out.Float(storedFrameTime, "frame time");
    for (const FrameData& frame : frames) WriteMorphFrame(out, frame);
}
