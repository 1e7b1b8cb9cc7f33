#include "core/PCoordinateFrame.h"

#include <gtest/gtest.h>

namespace {

void ExpectVector(const D3DXVECTOR3& actual, float x, float y, float z)
{
    EXPECT_NEAR(actual.x, x, 1e-5f);
    EXPECT_NEAR(actual.y, y, 1e-5f);
    EXPECT_NEAR(actual.z, z, 1e-5f);
}

class MirroredFrame : public CPCoordinateFrame {
public:
    bool IsRightHanded() const override { return false; }
};

TEST(CoordinateFrame, NewFrameIsTheResetFrame)
{
    CPCoordinateFrame frame;
    ExpectVector(frame.GetAxis1(), -1, 0, 0);
    ExpectVector(frame.GetAxis2(), 0, 0, 1);
    ExpectVector(frame.GetAxis3(), 0, 1, 0);
    ExpectVector(frame.GetOrigin(), 0, 0, 0);

    frame.SetAxis1(D3DXVECTOR3(1, 2, 3));
    frame.SetOrigin(D3DXVECTOR3(4, 5, 6));
    frame.Reset();
    ExpectVector(frame.GetAxis1(), -1, 0, 0);
    ExpectVector(frame.GetOrigin(), 0, 0, 0);
}

TEST(CoordinateFrame, TheGlobalFrameStartsAsTheResetFrame)
{
    ExpectVector(g_coordinateFrame.GetAxis1(), -1, 0, 0);
    ExpectVector(g_coordinateFrame.GetAxis2(), 0, 0, 1);
    ExpectVector(g_coordinateFrame.GetAxis3(), 0, 1, 0);
    ExpectVector(g_coordinateFrame.GetOrigin(), 0, 0, 0);
}

TEST(CoordinateFrame, FrameCoordinatesRunAlongFirstThirdAndSecondAxis)
{
    CPCoordinateFrame frame;
    ExpectVector(frame.WorldToFrameDir(D3DXVECTOR3(1, 0, 0)), -1, 0, 0);
    ExpectVector(frame.WorldToFrameDir(D3DXVECTOR3(0, 1, 0)), 0, 1, 0);
    ExpectVector(frame.WorldToFrameDir(D3DXVECTOR3(0, 0, 1)), 0, 0, 1);

    frame.SetOrigin(D3DXVECTOR3(10, 0, 0));
    ExpectVector(frame.WorldToFramePoint(D3DXVECTOR3(12, 3, 4)), -2, 3, 4);
    ExpectVector(frame.FrameToWorldDir(D3DXVECTOR3(1, 2, 3)), -1, 2, 3);
}

TEST(CoordinateFrame, PointsSurviveTheRoundTripThroughATurnedFrame)
{
    CPCoordinateFrame frame;
    frame.SetDirection(D3DXVECTOR3(1, 1, 0.5f));
    frame.SetOrigin(D3DXVECTOR3(3, -2, 7));
    const D3DXVECTOR3 points[] = {{0, 0, 0}, {1, 2, 3}, {-40, 0.5f, 12}};
    for (const D3DXVECTOR3& point : points) {
        D3DXVECTOR3 back = frame.FrameToWorldPoint(frame.WorldToFramePoint(point));
        ExpectVector(back, point.x, point.y, point.z);
    }
}

TEST(CoordinateFrame, SetDirectionBuildsAnOrthonormalFrameAroundIt)
{
    CPCoordinateFrame frame;
    frame.SetDirectionAndAxis2(D3DXVECTOR3(0, 0, 2), D3DXVECTOR3(1, 0, 0));
    ExpectVector(frame.GetAxis3(), 0, 0, 1);
    // Right-handed: first = third x second, second = first x third.
    ExpectVector(frame.GetAxis1(), 0, 1, 0);
    ExpectVector(frame.GetAxis2(), 1, 0, 0);

    MirroredFrame mirrored;
    mirrored.SetDirectionAndAxis2(D3DXVECTOR3(0, 0, 2), D3DXVECTOR3(1, 0, 0));
    ExpectVector(mirrored.GetAxis1(), 0, -1, 0);
    ExpectVector(mirrored.GetAxis2(), 1, 0, 0);
}

TEST(CoordinateFrame, ZeroDirectionLeavesTheFirstAxisWithoutLength)
{
    CPCoordinateFrame frame;
    frame.SetDirection(D3DXVECTOR3(0, 0, 0));
    ExpectVector(frame.GetAxis3(), 0, 0, 0);
    ExpectVector(frame.GetAxis1(), 0, 0, 0);
    ExpectVector(frame.GetAxis2(), 0, 0, 0);
}

TEST(CoordinateFrame, SideVectorTurnsOrMirrorsByHandedness)
{
    CPCoordinateFrame frame;
    MirroredFrame mirrored;
    ExpectVector(frame.SideVector(D3DXVECTOR3(1, 2, 3)), -2, 1, 3);
    ExpectVector(mirrored.SideVector(D3DXVECTOR3(1, 2, 3)), 2, 1, 3);

    // In the reset frame, world x is frame -x; its side vector (0, -1, 0) in
    // frame coordinates lies along the third axis, negated: world -y.
    ExpectVector(frame.WorldSideVector(D3DXVECTOR3(1, 0, 0)), 0, -1, 0);

    mirrored.Reset();
    ExpectVector(mirrored.GetAxis1(), 1, 0, 0);
}

} // namespace
