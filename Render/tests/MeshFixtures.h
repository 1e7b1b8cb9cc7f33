#pragma once

#include "Render/tests/AnimationFixtures.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Writers for the mesh files of animated objects, beside the static mesh
// and description writers. Like the animation writers, every value is one
// labelled field of a FixtureWriter, so that a test can cut or damage the
// file.

inline void WriteGroupPart(FixtureWriter& out, const MeshPartData& part)
{
    WriteName260(out, part.name, "part name");
    WritePlacementAndPhysics(out, part);
    WriteShape(out, part.bounds, "bounds");
    WriteMorphStream(out, part.frameTime, part.frames);
    WriteShapes(out, part.shapes);
    out.Int(static_cast<int32_t>(part.children.size()), "child count");
    for (const MeshPartData& child : part.children) WriteGroupPart(out, child);
}

// The follow-on record of a later animation file; the children go by name.
inline void WriteFollowOnPart(FixtureWriter& out, const MeshPartData& part)
{
    WritePlacementAndPhysics(out, part);
    WriteShape(out, part.bounds, "bounds");
    WriteMorphStream(out, part.frameTime, part.frames);
    WriteShapes(out, part.shapes);
    out.Int(static_cast<int32_t>(part.children.size()), "child count");
    for (const MeshPartData& child : part.children) {
        WriteName260(out, child.name, "child name");
        WriteFollowOnPart(out, child);
    }
}

// The first file of an "anim" list, or a later one.
inline void WriteAnimationMeshFile(FixtureWriter& out, const MeshPartData& top, bool followOn)
{
    out.Int(0, "file header");
    out.Int(0, "file header");
    if (!followOn) {
        WriteGroupPart(out, top);
        return;
    }
    WriteName260(out, top.name, "top part name");
    WriteFollowOnPart(out, top);
}

// A triangle of three vertices at asymmetric places.
inline MeshPartData TrianglePart(const std::string& name)
{
    MeshPartData part;
    part.name = name;
    part.vertices = {MorphVertex(1, 2, 3), MorphVertex(4, 2, 3), MorphVertex(1, 7, 3)};
    part.indices = {0, 1, 2};
    return part;
}
