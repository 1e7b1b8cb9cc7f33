#include "interface/QuadMesh.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint16_t> QuadRows(size_t quads)
{
    std::vector<uint16_t> expected;
    for (uint16_t base = 0; base < quads * 4; base = static_cast<uint16_t>(base + 4)) {
        const uint16_t row[] = {base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2), base,
                                static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3)};
        expected.insert(expected.end(), row, row + 6);
    }
    return expected;
}

struct CountChange {
    size_t before;
    size_t after;
};

class QuadIndexCounts : public testing::TestWithParam<CountChange> {};

TEST_P(QuadIndexCounts, IndexEveryQuadAfterTheCountChanges)
{
    std::vector<uint16_t> indices;
    SetQuadIndexCount(indices, GetParam().before);
    SetQuadIndexCount(indices, GetParam().after);
    EXPECT_EQ(indices, QuadRows(GetParam().after));
}

INSTANTIATE_TEST_SUITE_P(QuadMesh, QuadIndexCounts,
                         testing::Values(CountChange{0, 3}, CountChange{3, 3}, CountChange{5, 2}, CountChange{2, 5},
                                         CountChange{4, 0}));

// Colours whose bits read as signalling NaNs, a negative zero depth and
// normal: only x and y of each position may change, in both lists.
TEST(QuadMesh, PlacingMovesOnlyThePositionBitForBit)
{
    Vertex48 quad[kQuadVertexCount] = {};
    for (int i = 0; i < kQuadVertexCount; ++i) {
        quad[i].position = D3DXVECTOR3(1.0f + i, 20.0f - i, -0.0f);
        quad[i].normal = D3DXVECTOR3(-0.0f, 0.5f * i, 3.0f);
        quad[i].diffuse = 0xFF800001u + i;
        quad[i].specular = 0x7F800001u;
        quad[i].tex0 = D3DXVECTOR2(0.25f * i, 0.75f);
        quad[i].tex1 = D3DXVECTOR2(-1.0f, 2.0f * i);
    }
    Vertex48 target[kQuadVertexCount];
    Vertex48 copy[kQuadVertexCount];
    PlaceQuad(target, copy, quad, 10.5f, -3.25f);
    const size_t afterXY = 2 * sizeof(float);
    for (const Vertex48* placed : {target, copy}) {
        for (int i = 0; i < kQuadVertexCount; ++i) {
            EXPECT_EQ(placed[i].position.x, quad[i].position.x + 10.5f) << i;
            EXPECT_EQ(placed[i].position.y, quad[i].position.y - 3.25f) << i;
            EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&placed[i]) + afterXY,
                                  reinterpret_cast<const char*>(&quad[i]) + afterXY, sizeof(Vertex48) - afterXY),
                      0)
                << i;
        }
    }
}

} // namespace
