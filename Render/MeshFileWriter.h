#pragma once

#include "Render/FixtureWriter.h"
#include "Render/PDrawable.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Writers for the binary mesh files and the text descriptions the object
// loader reads, used by the tests and the demo data. Every value is one
// labelled field of a FixtureWriter, so that a test can cut or damage the
// file.

struct FrameData {
    std::vector<Vertex48> vertices;
    std::vector<uint16_t> indices;
};

// Fields: "vertex count", one "vertex" of 48 bytes each, "index count",
// one "index" each.
inline void WriteMorphFrame(FixtureWriter& out, const FrameData& frame)
{
    out.Int(static_cast<int32_t>(frame.vertices.size()), "vertex count");
    for (const Vertex48& vertex : frame.vertices) out.Raw(&vertex, sizeof(vertex), "vertex");
    out.Int(static_cast<int32_t>(frame.indices.size()), "index count");
    for (uint16_t index : frame.indices) out.Uint16(index, "index");
}

// A physics shape record: type, sizes A to C, position, quaternion, size D
// and mass.
struct ShapeData {
    int32_t type;
    float sizeA, sizeB, sizeC;
    std::array<float, 3> position;
    std::array<float, 4> orientation;
    float sizeD;
    float mass;
};

// A static mesh box: its centre and half extents.
struct MeshBoxData {
    D3DXVECTOR3 centre;
    D3DXVECTOR3 halfExtents;
};

// A white vertex with one set of texture coordinates, as the generated
// meshes of the demo data and the tests use.
inline Vertex48 WhiteVertex(const D3DXVECTOR3& position, const D3DXVECTOR3& normal, float u, float v)
{
    Vertex48 vertex = {};
    vertex.position = position;
    vertex.normal = normal;
    vertex.diffuse = 0xFFFFFFFF;
    vertex.tex0 = D3DXVECTOR2(u, v);
    return vertex;
}

// One part of any of the formats; each writer takes what its format holds.
struct MeshPartData {
    std::string name;
    std::vector<Vertex48> vertices;
    std::vector<uint16_t> indices;
    std::vector<MeshBoxData> boxes;          // static parts
    std::array<float, 7> placement{};        // p3d and group parts
    std::array<int32_t, 3> bodySizes{};      // physics block words 1 to 3
    float mass = 0.0f;                       // physics block word 12
    std::vector<ShapeData> shapes;           // p3d and group parts
    ShapeData bounds{};                      // group parts
    float frameTime = 240.0f;                // morph frames of group parts
    std::vector<FrameData> frames;
    std::vector<MeshPartData> children;
};

struct TransformData {
    std::string name;
    std::array<float, 12> elements;
};

// The zero-terminated name in a 260-byte field. A name that leaves no room
// for the zero throws std::length_error and writes nothing.
inline void WriteName260(FixtureWriter& out, const std::string& name, const std::string& label)
{
    const size_t kFieldSize = 260;
    if (name.size() >= kFieldSize) throw std::length_error("name of " + label + " needs 260 bytes or more");
    std::string field(kFieldSize, '\0');
    field.replace(0, name.size(), name);
    out.Raw(field.data(), field.size(), label);
}

inline void WriteShape(FixtureWriter& out, const ShapeData& shape, const std::string& label)
{
    out.Int(shape.type, label + " type");
    for (float size : {shape.sizeA, shape.sizeB, shape.sizeC}) out.Float(size, label + " size");
    for (float value : shape.position) out.Float(value, label + " position");
    for (float value : shape.orientation) out.Float(value, label + " orientation");
    out.Float(shape.sizeD, label + " size");
    out.Float(shape.mass, label + " mass");
}

inline void WriteShapes(FixtureWriter& out, const std::vector<ShapeData>& shapes)
{
    out.Int(static_cast<int32_t>(shapes.size()), "shape count");
    for (const ShapeData& shape : shapes) WriteShape(out, shape, "shape");
}

inline void WriteGeometry(FixtureWriter& out, const MeshPartData& part)
{
    WriteMorphFrame(out, FrameData{part.vertices, part.indices});
}

inline void WritePlacementAndPhysics(FixtureWriter& out, const MeshPartData& part)
{
    for (float value : part.placement) out.Float(value, "placement");
    out.Int(0, "physics word");
    for (int32_t size : part.bodySizes) out.Int(size, "body size");
    for (int word = 4; word < 12; ++word) out.Int(0, "physics word");
    out.Float(part.mass, "mass");
}

inline void WriteStaticPart(FixtureWriter& out, const MeshPartData& part)
{
    out.Int(0, "part header");
    WriteName260(out, part.name, "part name");
    WriteGeometry(out, part);
    out.Int(static_cast<int32_t>(part.boxes.size()), "box count");
    for (const MeshBoxData& box : part.boxes) {
        const float values[24] = {box.centre.x, box.centre.y, box.centre.z, 0.0f,
                                  box.halfExtents.x, box.halfExtents.y, box.halfExtents.z};
        for (float value : values) out.Float(value, "box");
    }
    out.Int(static_cast<int32_t>(part.children.size()), "child count");
    for (const MeshPartData& child : part.children) WriteStaticPart(out, child);
}

inline void WriteP3dPart(FixtureWriter& out, const MeshPartData& part)
{
    out.Int(0, "part header");
    WriteName260(out, part.name, "part name");
    WritePlacementAndPhysics(out, part);
    WriteGeometry(out, part);
    WriteShapes(out, part.shapes);
    out.Int(static_cast<int32_t>(part.children.size()), "child count");
    for (const MeshPartData& child : part.children) WriteP3dPart(out, child);
}

inline void WriteTransformTable(FixtureWriter& out, const std::vector<TransformData>& transforms)
{
    out.Int(static_cast<int32_t>(transforms.size()), "transform count");
    for (const TransformData& transform : transforms) {
        out.String(transform.name, "transform name");
        for (float element : transform.elements) out.Float(element, "transform element");
    }
}

// A static mesh file of either part layout, with a transform table when
// one is given.
inline void WriteStaticMeshFile(FixtureWriter& out, const std::vector<MeshPartData>& parts, bool p3d,
                                const std::vector<TransformData>* transforms = nullptr)
{
    out.Int(0, "file header");
    out.Int(static_cast<int32_t>(parts.size()), "part count");
    for (const MeshPartData& part : parts) p3d ? WriteP3dPart(out, part) : WriteStaticPart(out, part);
    if (transforms) WriteTransformTable(out, *transforms);
}

// A description: the first line, then key lines and sections in the order
// they are added.
class DescriptionWriter {
public:
    explicit DescriptionWriter(const std::string& meshEntry) : m_text("mesh=" + meshEntry + "\r\n") {}
    DescriptionWriter& Section(const std::string& name)
    {
        m_text += "[" + name + "]\r\n";
        return *this;
    }
    DescriptionWriter& Key(const std::string& key, const std::string& value)
    {
        m_text += key + "=" + value + "\r\n";
        return *this;
    }
    const std::string& GetText() const { return m_text; }

private:
    std::string m_text;
};
