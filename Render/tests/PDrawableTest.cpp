#include "Render/PDrawable.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

namespace {

// A drawable without static geometry or indices of its own to copy, like a
// sprite: one quad of two triangles over vertices 0 to 3.
class QuadDrawable : public IPDrawable {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "QuadDrawable"; }
    int GetVertexCount() override { return 4; }
    int GetIndexCount() override { return 6; }
    void WriteGeometry(Vertex48* destVertices, uint16_t* destIndices, uint16_t baseVertex,
                       bool) override
    {
        static const uint16_t kQuad[6] = {0, 1, 2, 2, 1, 3};
        for (int i = 0; i < 4; ++i) destVertices[i] = Vertex48{};
        WriteIndices(destIndices, kQuad, 6, baseVertex);
    }
    void GetMaterial(RefPtr<CPMaterial>&) override {}
};

TEST(Vertex48, DiffuseIsStoredBlueGreenRedAlpha)
{
    Vertex48 vertex = {};
    vertex.diffuse = 0x96FFFFFF;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&vertex);
    EXPECT_EQ(bytes[24], 0xFF);
    EXPECT_EQ(bytes[27], 0x96);
}

// Fills the stack below the caller with non-zero bytes, where the next
// call's temporaries will lie.
__attribute__((noinline)) void DirtyTheStack()
{
    volatile unsigned char bytes[4096];
    for (volatile unsigned char& byte : bytes) byte = 0xAB;
}

bool IsAllZeros(const Vertex48& vertex)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&vertex);
    for (size_t i = 0; i < sizeof(vertex); ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

// Quads are filled from an empty vertex, so none of its members may be
// left with whatever the memory held before.
TEST(Vertex48, AnEmptyVertexIsAllZerosOnUsedMemory)
{
    std::vector<Vertex48> vertices;
    DirtyTheStack();
    vertices.assign(2, Vertex48());
    EXPECT_TRUE(IsAllZeros(vertices[0]));
    EXPECT_TRUE(IsAllZeros(vertices[1]));
    DirtyTheStack();
    const Vertex48 braced{};
    EXPECT_TRUE(IsAllZeros(braced));
    std::vector<Vertex48> grown(1);
    DirtyTheStack();
    grown.emplace_back();
    EXPECT_TRUE(IsAllZeros(grown.back()));
    // Made in used memory without any initialiser of its own.
    alignas(Vertex48) unsigned char storage[sizeof(Vertex48)];
    for (volatile unsigned char& byte : storage) byte = 0xAB;
    const Vertex48* declared = new (storage) Vertex48;
    EXPECT_TRUE(IsAllZeros(*declared));
}

TEST(Drawable, IndicesWrapInSixteenBits)
{
    QuadDrawable quad;
    Vertex48 vertices[4];
    uint16_t indices[6];
    quad.WriteGeometry(vertices, indices, 65535, true);
    EXPECT_EQ(indices[0], 65535);
    EXPECT_EQ(indices[2], 1);
    EXPECT_EQ(indices[5], 2);
}

TEST(Drawable, WithoutStaticGeometryTheFlagStaysOffAndNoIndicesAreCopied)
{
    QuadDrawable quad;
    quad.SetStatic(true);
    EXPECT_FALSE(quad.IsStatic());

    uint16_t dest[3] = {7, 7, 7};
    uint16_t first = 9;
    uint16_t last = 9;
    quad.CopyIndices(dest, 3, &first, &last);
    EXPECT_EQ(dest[0], 7);
    EXPECT_EQ(dest[2], 7);
    EXPECT_EQ(first, 9);
    EXPECT_EQ(last, 9);
}

} // namespace
