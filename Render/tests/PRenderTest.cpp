#include "Render/PRender.h"

#include "core/Settings.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A 2 x 2 cell grid over a 640 x 480 screen: points at x 0, 320, 640 and
// y 0, 240, 480, so the middle point sits on the blur centre for offset 0.
class BlurGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_screenWidth = 640;
        g_screenHeight = 480;
        g_blur = 1;
        render.SetScreenGrid(2, 2);
        ScreenGridVertex* points = render.GetGridVertices();
        for (int row = 0; row <= 2; ++row) {
            for (int column = 0; column <= 2; ++column) {
                points[column + row * 3].x = 320.0f * column;
                points[column + row * 3].y = 240.0f * row;
            }
        }
    }

    void TearDown() override
    {
        g_screenWidth = 640;
        g_screenHeight = 480;
        g_blur = 1;
    }

    const D3DXVECTOR2& Direction(int column, int row) const
    {
        return render.GetGridDirections()[column + row * 3];
    }

    CPRender render;
};

TEST_F(BlurGrid, SizesPointsAndDirectionsFromTheCellCounts)
{
    EXPECT_EQ(render.GetGridVertexCount(), 9u);
    EXPECT_EQ(render.GetGridDirections().size(), 9u);
    render.SetScreenGrid(-1, 3);
    EXPECT_EQ(render.GetGridColumns(), 0);
    EXPECT_EQ(render.GetGridVertexCount(), 4u);
    EXPECT_EQ(render.GetGridDirections().size(), 4u);
}

TEST_F(BlurGrid, PointsEveryDirectionAwayFromTheCentreWithUnitLength)
{
    render.UpdateBlurDirections(0.0f);

    const float diagonal = 1.0f / std::sqrt(1.0f + (320.0f / 240.0f) * (320.0f / 240.0f));
    EXPECT_FLOAT_EQ(Direction(0, 1).x, -1.0f);
    EXPECT_FLOAT_EQ(Direction(0, 1).y, 0.0f);
    EXPECT_FLOAT_EQ(Direction(1, 2).x, 0.0f);
    EXPECT_FLOAT_EQ(Direction(1, 2).y, 1.0f);
    EXPECT_NEAR(Direction(2, 0).y, -diagonal, 1e-6f);
    for (int index = 0; index < 9; ++index) {
        if (index == 4) continue;
        const D3DXVECTOR2& direction = render.GetGridDirections()[index];
        EXPECT_NEAR(std::hypot(direction.x, direction.y), 1.0f, 1e-6f) << "point " << index;
    }
}

TEST_F(BlurGrid, ThePointOnTheCentreGetsNoDirectionAndNoNaN)
{
    render.UpdateBlurDirections(0.0f);
    EXPECT_EQ(Direction(1, 1).x, 0.0f);
    EXPECT_EQ(Direction(1, 1).y, 0.0f);
}

TEST_F(BlurGrid, TheOffsetMovesTheCentreDownByHalfScreenHeights)
{
    // Offset 1 puts the centre at the bottom middle, on the point (1, 2).
    render.UpdateBlurDirections(1.0f);
    EXPECT_FLOAT_EQ(Direction(1, 0).y, -1.0f);
    EXPECT_FLOAT_EQ(Direction(1, 1).y, -1.0f);
    EXPECT_EQ(Direction(1, 2).y, 0.0f);
}

TEST_F(BlurGrid, DoesNothingWhileBlurIsOff)
{
    g_blur = 0;
    render.UpdateBlurDirections(0.0f);
    for (const D3DXVECTOR2& direction : render.GetGridDirections()) {
        EXPECT_EQ(direction.x, 0.0f);
        EXPECT_EQ(direction.y, 0.0f);
    }
}

}  // namespace
