#include "DynamicSky/PSkyQuad.h"
#include "DynamicSky/tests/SkyTestSupport.h"

#include <cmath>

namespace {

using SkyQuadTest = SkyTest;

const float kTolerance = 1e-3f;

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
    EXPECT_NEAR(actual.z, expected.z, kTolerance);
}

D3DXVECTOR3 Row(const D3DXMATRIX& matrix, int row)
{
    return D3DXVECTOR3(matrix(row, 0), matrix(row, 1), matrix(row, 2));
}

// A quad running around the vertical at distance 100 with half size 2.
struct Placement {
    const char* name;
    D3DXVECTOR3 direction;
    float angle;
    float stateAngle;
    float scale;
    D3DXVECTOR3 position;
    D3DXVECTOR3 firstCorner; // where (-2, 0, -2) lands
};

class SkyQuadPlacement : public SkyTest, public testing::WithParamInterface<Placement> {};

TEST_P(SkyQuadPlacement, RunsAroundItsCircleFacingTheOrigin)
{
    const Placement& placement = GetParam();
    CPSkyQuad quad;
    quad.SetDirection(placement.direction);
    quad.SetDistance(100.0f);
    quad.SetAngle(placement.angle);
    quad.SetStateAngle(placement.stateAngle);
    quad.SetScale(placement.scale);
    quad.Build(2.0f);
    quad.Update(0.0f);
    ExpectNear(quad.GetPosition(), placement.position);
    ExpectNear(quad.GetWorkingVertices()[0].position, placement.firstCorner);
    EXPECT_EQ(quad.GetSourceVertices()[0].position, D3DXVECTOR3(-2.0f, 0.0f, -2.0f))
        << "each frame starts from the untransformed square";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SkyQuadPlacement,
    testing::Values(Placement{"StateAngleEqualToItsAngle", D3DXVECTOR3(0, 0, 1), 0.3f, 0.3f, 1.0f,
                              D3DXVECTOR3(-100, 0, 0), D3DXVECTOR3(-100, 2, 2)},
                    Placement{"GrowingStateAngleTowardPositiveY", D3DXVECTOR3(0, 0, 1), 0.0f, 0.5f,
                              1.0f, D3DXVECTOR3(-87.758f, 47.943f, 0),
                              D3DXVECTOR3(-87.758f, 47.943f, 0) +
                                  2.0f * D3DXVECTOR3(0.47943f, 0.87758f, 1.0f)},
                    Placement{"GrowingAngleTowardNegativeY", D3DXVECTOR3(0, 0, 1), 0.5f, 0.0f, 1.0f,
                              D3DXVECTOR3(-87.758f, -47.943f, 0),
                              D3DXVECTOR3(-87.758f, -47.943f, 0) +
                                  2.0f * D3DXVECTOR3(-0.47943f, 0.87758f, 1.0f)},
                    Placement{"ScaleZeroCollapsesToItsPosition", D3DXVECTOR3(0, 0, 1), 0.3f, 0.3f,
                              0.0f, D3DXVECTOR3(-100, 0, 0), D3DXVECTOR3(-100, 0, 0)},
                    Placement{"ScaleTwoDoublesTheSquare", D3DXVECTOR3(0, 0, 5), 0.3f, 0.3f, 2.0f,
                              D3DXVECTOR3(-100, 0, 0), D3DXVECTOR3(-100, 4, 4)}),
    [](const testing::TestParamInfo<Placement>& info) { return std::string(info.param.name); });

TEST_F(SkyQuadTest, ItsAxesStandAlongTheFacingAndUprightDirections)
{
    CPSkyQuad quad;
    quad.SetDirection(D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    quad.SetDistance(100.0f);
    quad.Build(1.0f);
    quad.SetScale(1.0f);
    quad.Update(0.0f);
    ExpectNear(Row(quad.GetWorld(), 0), D3DXVECTOR3(0, 0, -1));
    ExpectNear(Row(quad.GetWorld(), 1), D3DXVECTOR3(1, 0, 0));
    ExpectNear(Row(quad.GetWorld(), 2), D3DXVECTOR3(0, -1, 0));
}

// On the plane x = 0 with z > 0 the upright turn has no axis: the quad's z
// axis stands against u there and the half turn about the facing direction
// sets it right, as the turn does just beside that place.
TEST_F(SkyQuadTest, WhereTheUprightTurnLosesItsAxisItTakesTheHalfTurn)
{
    auto zAxisAt = [](const D3DXVECTOR3& direction) {
        CPSkyQuad quad;
        quad.SetDirection(direction);
        quad.SetDistance(100.0f);
        quad.SetScale(1.0f);
        quad.SetStateAngle(-0.5f);
        quad.Build(1.0f);
        quad.Update(0.0f);
        return std::make_pair(quad.GetPosition(), Row(quad.GetWorld(), 2));
    };
    const std::pair<D3DXVECTOR3, D3DXVECTOR3> onPlane = zAxisAt(D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    EXPECT_NEAR(onPlane.first.x, 0.0f, kTolerance);
    EXPECT_GT(onPlane.first.z, 0.0f);
    const std::pair<D3DXVECTOR3, D3DXVECTOR3> beside = zAxisAt(D3DXVECTOR3(1.0f, 0.0f, 1e-4f));
    EXPECT_GT(std::fabs(beside.first.x), 1e-3f);
    EXPECT_NEAR(onPlane.second.x, beside.second.x, 1e-2f);
    EXPECT_NEAR(onPlane.second.y, beside.second.y, 1e-2f);
    EXPECT_NEAR(onPlane.second.z, beside.second.z, 1e-2f);
}

TEST_F(SkyQuadTest, BuildsASquareInThePlaneYZero)
{
    CPSkyQuad quad;
    quad.Build(3.0f);
    const std::vector<Vertex48>& vertices = quad.GetSourceVertices();
    ASSERT_EQ(vertices.size(), 4u);
    const float corners[4][4] = {{-3, -3, 0, 0}, {3, -3, 1, 0}, {3, 3, 1, 1}, {-3, 3, 0, 1}};
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(vertices[index].position, D3DXVECTOR3(corners[index][0], 0, corners[index][1]));
        EXPECT_EQ(vertices[index].tex0, D3DXVECTOR2(corners[index][2], corners[index][3]));
        EXPECT_EQ(vertices[index].normal, D3DXVECTOR3(1, 1, 1));
        EXPECT_EQ(vertices[index].diffuse, 0xFF000014u);
    }
    EXPECT_EQ(quad.GetIndices(), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
}

TEST_F(SkyQuadTest, SetAlphaKeepsTheDarkBlue)
{
    CPSkyQuad quad;
    quad.Build(1.0f);
    quad.SetAlpha(128);
    for (const Vertex48& vertex : quad.GetWorkingVertices()) EXPECT_EQ(vertex.diffuse, 0x80000014u);
}

TEST_F(SkyQuadTest, StepsRoundItsTextures)
{
    CPSkyQuad quad;
    quad.NextTexture();
    EXPECT_EQ(quad.GetTextureIndex(), 0) << "no names, nothing to step to";
    for (const char* name : {"a.tga", "b.tga", "c.tga"}) quad.AddTexture(name);
    std::vector<int> indices;
    for (int step = 0; step < 3; ++step) {
        quad.NextTexture();
        indices.push_back(quad.GetTextureIndex());
    }
    EXPECT_EQ(indices, (std::vector<int>{1, 2, 0}));
}

TEST_F(SkyQuadTest, SelectsTheNamedEffectAndIgnoresOtherIndices)
{
    WriteEffect("Data\\Effects\\a.fx", "a", 1);
    WriteEffect("Data\\Effects\\b.fx", "b", 1);
    CPSkyQuad quad;
    quad.SetEffectNames("Data\\Effects\\a.fx", "Data\\Effects\\b.fx");
    quad.Build(1.0f);
    EXPECT_EQ(effects.texts.back(), "effect b 1") << "built with the second effect";
    quad.SelectEffect(0);
    EXPECT_EQ(effects.texts.back(), "effect a 1");
    EXPECT_EQ(quad.GetEffectIndex(), 0);
    quad.SelectEffect(2);
    EXPECT_EQ(effects.texts.size(), 2u);
    EXPECT_EQ(quad.GetEffectIndex(), 0);
    EXPECT_NE(quad.GetEffect(), nullptr);
    quad.SelectEffect(1);
    EXPECT_EQ(effects.texts.back(), "effect b 1");
}

} // namespace
