#include "core/AxisAlignedBox.h"
#include "core/BoxExtent.h"
#include "core/PBoundingBox.h"
#include "core/ShadowMatrix.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace {

void ExpectVector(const D3DXVECTOR3& actual, float x, float y, float z)
{
    EXPECT_NEAR(actual.x, x, 1e-4f);
    EXPECT_NEAR(actual.y, y, 1e-4f);
    EXPECT_NEAR(actual.z, z, 1e-4f);
}

// The box's six planes, in their numbering, as (a, b, c, d).
void ExpectPlanes(const CPBoundingBox& box, const float (&expected)[6][4])
{
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const D3DXPLANE& plane = box.GetPlane(i);
        EXPECT_NEAR(plane.a, expected[i][0], 1e-4f);
        EXPECT_NEAR(plane.b, expected[i][1], 1e-4f);
        EXPECT_NEAR(plane.c, expected[i][2], 1e-4f);
        EXPECT_NEAR(plane.d, expected[i][3], 1e-4f);
    }
}

CPBoundingBox UpdatedBox(const D3DXVECTOR3& centre, const D3DXVECTOR3& halfExtents,
                         const D3DXMATRIX* world = nullptr)
{
    CPBoundingBox box(centre, halfExtents);
    if (world) box.PlaceInWorld(*world);
    box.Update();
    return box;
}

TEST(BoundingBox, ConstructionGivesCornersOfTheExtentBeforeAnyUpdate)
{
    CPBoundingBox box(D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(0.5f, 1, 2));
    ExpectVector(box.GetMinimum(), 0.5f, 1, 1);
    ExpectVector(box.GetMaximum(), 1.5f, 3, 5);
}

// Edges 1, 2 and 4 long: each normal is the product of the other two edges.
TEST(BoundingBox, CornersPlanesAndRaysBeforeAnyUpdateAreThoseOfTheConstructedBox)
{
    const CPBoundingBox box(D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(0.5f, 1, 2));
    const float corners[8][3] = {{0.5f, 1, 1}, {1.5f, 1, 1}, {1.5f, 3, 1}, {0.5f, 3, 1},
                                 {0.5f, 1, 5}, {1.5f, 1, 5}, {1.5f, 3, 5}, {0.5f, 3, 5}};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        ExpectVector(box.GetCorner(i), corners[i][0], corners[i][1], corners[i][2]);
    }
    const float planes[6][4] = {
        {0, 0, -2, 2}, {8, 0, 0, -12}, {0, 4, 0, -12}, {-8, 0, 0, 4}, {0, -4, 0, 4}, {0, 0, 2, -10},
    };
    ExpectPlanes(box, planes);
    float distance = 100;
    D3DXPLANE hit;
    EXPECT_TRUE(box.IntersectRay(D3DXVECTOR3(1.25f, 2.5f, -10), D3DXVECTOR3(0, 0, 1), distance, hit));
    EXPECT_NEAR(distance, 11, 1e-4f);
}

// A flat part (no depth along y) and a part with no size along x and a
// negative one along z: read before their first update, the corners and
// planes are those the update will give, so every face has a normal; the
// half extents stay as given.
TEST(BoundingBox, AFlatBoxReadBeforeAnyUpdateHasTheCornersAndPlanesOfItsFirstUpdate)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const D3DXVECTOR3 centre(1, 2, 3);
    for (const D3DXVECTOR3& halfExtents : {D3DXVECTOR3(0.5f, 0, 2), D3DXVECTOR3(nan, 1.5f, -0.25f)}) {
        SCOPED_TRACE(testing::Message() << halfExtents.x << " " << halfExtents.y << " " << halfExtents.z);
        const CPBoundingBox box(centre, halfExtents);
        const CPBoundingBox updated = UpdatedBox(centre, halfExtents);
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE(i);
            const D3DXVECTOR3& corner = updated.GetCorner(i);
            ExpectVector(box.GetCorner(i), corner.x, corner.y, corner.z);
        }
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(i);
            const D3DXPLANE& plane = box.GetPlane(i);
            EXPECT_TRUE(plane == updated.GetPlane(i));
            EXPECT_GT(plane.a * plane.a + plane.b * plane.b + plane.c * plane.c, 0.0f);
        }
        EXPECT_EQ(box.GetHalfExtents().y, halfExtents.y);
    }
}

TEST(BoundingBox, CornersFollowTheirNumberingAndTheWorldMatrix)
{
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 10, 20, 30);
    CPBoundingBox box = UpdatedBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 2, 3), &world);
    const float signs[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                               {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        ExpectVector(box.GetCorner(i), 10 + signs[i][0], 20 + 2 * signs[i][1], 30 + 3 * signs[i][2]);
    }
    ExpectVector(box.GetMinimum(), 9, 18, 27);
    ExpectVector(box.GetMaximum(), 11, 22, 33);
}

TEST(BoundingBox, PlanesFollowTheirNumberingAndFaceOutward)
{
    // Half extents (1, 2, 3): each normal is the product of the other two
    // edge lengths, (2 * 2) * (2 * 3) = 24 for x and so on; the top face gets
    // an outward normal only because its corners are taken as 5, 7, 4.
    CPBoundingBox box = UpdatedBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 2, 3));
    const float expected[6][4] = {
        {0, 0, -8, -24}, {24, 0, 0, -24}, {0, 12, 0, -24},
        {-24, 0, 0, -24}, {0, -12, 0, -24}, {0, 0, 8, -24},
    };
    ExpectPlanes(box, expected);
}

TEST(BoundingBox, UpdateRaisesDegenerateHalfExtents)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    CPBoundingBox box = UpdatedBox(D3DXVECTOR3(5, 5, 5), D3DXVECTOR3(0, nan, -1));
    ExpectVector(box.GetHalfExtents(), 0.001f, 0.001f, 0.001f);
    EXPECT_LT(box.GetMinimum().x, box.GetMaximum().x);
    EXPECT_LT(box.GetMinimum().y, box.GetMaximum().y);
    EXPECT_LT(box.GetMinimum().z, box.GetMaximum().z);
}

TEST(BoundingBox, UpdateUsesOwnMatrixBeforeTheObjectMatrix)
{
    // Own placement: a quarter turn about z, then 5 along x. The object then
    // moves everything 100 along y.
    D3DXMATRIX turn, shift, own, object;
    D3DXMatrixRotationZ(&turn, D3DX_PI / 2);
    D3DXMatrixTranslation(&shift, 5, 0, 0);
    D3DXMatrixMultiply(&own, &turn, &shift);
    D3DXMatrixTranslation(&object, 0, 100, 0);
    CPBoundingBox box(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 2, 3));
    box.SetOwnMatrix(own);
    box.PlaceInWorld(object);
    box.Update();
    ExpectVector(box.GetMinimum(), 3, 99, -3);
    ExpectVector(box.GetMaximum(), 7, 101, 3);
}

TEST(BoundingBox, CornersPlanesAndRaysBelongToTheLastUpdate)
{
    // Read at one place, then moved 10 along x and turned a quarter about y:
    // every reading after the second update is of the second place.
    CPBoundingBox box = UpdatedBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 2, 3));
    ExpectVector(box.GetCorner(6), 1, 2, 3);
    EXPECT_NEAR(box.GetPlane(1).d, -24, 1e-4f);

    D3DXMATRIX turn, shift, world;
    D3DXMatrixRotationY(&turn, D3DX_PI / 2);
    D3DXMatrixTranslation(&shift, 10, 0, 0);
    D3DXMatrixMultiply(&world, &turn, &shift);
    box.PlaceInWorld(world);
    box.Update();

    // Turning about y carries +x to -z and +z to +x.
    ExpectVector(box.GetCorner(6), 13, 2, -1);
    const D3DXPLANE& plusX = box.GetPlane(1);
    ExpectVector(D3DXVECTOR3(plusX.a, plusX.b, plusX.c), 0, 0, -24);
    float distance = 100;
    D3DXPLANE hit;
    EXPECT_TRUE(box.IntersectRay(D3DXVECTOR3(10, 0, -50), D3DXVECTOR3(0, 0, 1), distance, hit));
    EXPECT_NEAR(distance, 49, 1e-4f);
}

TEST(BoundingBox, AProjectingWorldMatrixBoundsTheCornersItProjects)
{
    // A lamp's shadow divides by each corner's own w: the extent is that of
    // the projected corners, not of the box's sides.
    D3DXMATRIX lamp;
    const D3DXVECTOR4 light(0, 0, 10, 1);
    const D3DXPLANE ground(0, 0, 1, 0);
    D3DXMatrixShadow(&lamp, &light, &ground);
    ASSERT_FALSE(IsAffine(lamp));
    CPBoundingBox box = UpdatedBox(D3DXVECTOR3(1, 2, 4), D3DXVECTOR3(1, 1, 1), &lamp);
    D3DXVECTOR3 least = box.GetCorner(0), greatest = box.GetCorner(0);
    for (int i = 1; i < CPBoundingBox::kCornerCount; ++i) {
        D3DXVec3Minimize(&least, &least, &box.GetCorner(i));
        D3DXVec3Maximize(&greatest, &greatest, &box.GetCorner(i));
    }
    // The corner at (2, 3, 5) is five from the lamp at height 10 and casts
    // its shadow twice as far out.
    ExpectVector(greatest, 4, 6, 0);
    ExpectVector(box.GetMinimum(), least.x, least.y, least.z);
    ExpectVector(box.GetMaximum(), greatest.x, greatest.y, greatest.z);
}

TEST(BoundingBox, TheExtentIsThatOfItsOwnCornersBitForBit)
{
    // Turned unevenly about every axis and far from the origin, where the
    // math library's own sums may round otherwise.
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(-1, 1);
    for (int trial = 0; trial < 200; ++trial) {
        SCOPED_TRACE(trial);
        D3DXMATRIX turn, world;
        D3DXMatrixRotationYawPitchRoll(&turn, 3 * unit(random), 3 * unit(random), 3 * unit(random));
        D3DXMatrixTranslation(&world, 1000 * unit(random), 1000 * unit(random), 1000 * unit(random));
        D3DXMatrixMultiply(&world, &turn, &world);
        const D3DXVECTOR3 centre(10 * unit(random), 10 * unit(random), 10 * unit(random));
        const D3DXVECTOR3 half(2 + unit(random), 2 + unit(random), 2 + unit(random));
        const CPBoundingBox box = UpdatedBox(centre, half, &world);
        D3DXVECTOR3 least = box.GetCorner(0), greatest = box.GetCorner(0);
        for (int i = 1; i < CPBoundingBox::kCornerCount; ++i) {
            D3DXVec3Minimize(&least, &least, &box.GetCorner(i));
            D3DXVec3Maximize(&greatest, &greatest, &box.GetCorner(i));
        }
        EXPECT_EQ(box.GetMinimum(), least);
        EXPECT_EQ(box.GetMaximum(), greatest);
    }
}

TEST(BoxExtent, OnlyALastColumnOfZerosAndAOneIsAffine)
{
    D3DXMATRIX placed;
    D3DXMatrixAffineTransformation(&placed, 2, nullptr, nullptr, nullptr);
    placed._41 = 5;
    EXPECT_TRUE(IsAffine(placed));
    const struct {
        int row;
        float value;
    } changes[] = {{0, 0.5f}, {1, -0.5f}, {2, 0.25f}, {3, 2}};
    for (const auto& change : changes) {
        SCOPED_TRACE(change.row);
        D3DXMATRIX changed = placed;
        changed(change.row, 3) = change.value;
        EXPECT_FALSE(IsAffine(changed));
    }
}

TEST(BoxExtent, AnAffineExtentIsTheExtentOfThePlacedCornersBitForBit)
{
    // Uneven turns about every axis, uneven and mirrored scales, far moves,
    // and boxes given either way round.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1, 1);
    for (int trial = 0; trial < 500; ++trial) {
        SCOPED_TRACE(trial);
        D3DXMATRIX turn, scale, matrix;
        D3DXMatrixRotationYawPitchRoll(&turn, 3 * unit(random), 3 * unit(random), 3 * unit(random));
        D3DXMatrixScaling(&scale, 4 * unit(random), 4 * unit(random), 4 * unit(random));
        D3DXMatrixMultiply(&matrix, &scale, &turn);
        matrix._41 = 1000 * unit(random);
        matrix._42 = 1000 * unit(random);
        matrix._43 = 1000 * unit(random);
        const D3DXVECTOR3 low(10 * unit(random), 10 * unit(random), 10 * unit(random));
        const D3DXVECTOR3 high(10 * unit(random), 10 * unit(random), 10 * unit(random));

        D3DXVECTOR3 least(0, 0, 0), greatest(0, 0, 0);
        for (int corner = 0; corner < 8; ++corner) {
            const D3DXVECTOR3 point(corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y,
                                    corner & 4 ? high.z : low.z);
            const D3DXVECTOR3 placed = AffinePoint(point, matrix);
            D3DXVECTOR3 library;
            D3DXVec3TransformCoord(&library, &point, &matrix);
            ExpectVector(placed, library.x, library.y, library.z);
            if (corner == 0) least = greatest = placed;
            D3DXVec3Minimize(&least, &least, &placed);
            D3DXVec3Maximize(&greatest, &greatest, &placed);
        }
        D3DXVECTOR3 extentLeast, extentGreatest;
        AffineBoxExtent(low, high, matrix, extentLeast, extentGreatest);
        EXPECT_EQ(extentLeast, least);
        EXPECT_EQ(extentGreatest, greatest);
    }
}

TEST(BoundingBox, BaseMatrixStartsAsIdentityAndTravelsWithCopiesOnly)
{
    CPBoundingBox box(D3DXVECTOR3(0.5f, 0, 0), D3DXVECTOR3(1, 2, 3));
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(box.GetBaseMatrix(), identity);
    D3DXMATRIX base;
    D3DXMatrixRotationYawPitchRoll(&base, 0.3f, -0.7f, 1.1f);
    base._41 = 9;
    box.SetBaseMatrix(base);
    box.Update();
    // Placing and updating read nothing of it.
    ExpectVector(box.GetMinimum(), -0.5f, -2, -3);
    ExpectVector(box.GetMaximum(), 1.5f, 2, 3);
    const CPBoundingBox copy = box;
    EXPECT_EQ(copy.GetBaseMatrix(), base);
    CPBoundingBox assigned(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1));
    assigned = box;
    EXPECT_EQ(assigned.GetBaseMatrix(), base);
}

TEST(BoundingBox, RayFindsTheNearestFaceMetFromOutside)
{
    struct Row {
        const char* name;
        D3DXVECTOR3 origin;
        D3DXVECTOR3 direction;
        float length;
        bool hit;
        float distance;
        int plane;
    };
    const Row rows[] = {
        {"from -x", {-10, 0, 0}, {1, 0, 0}, 100, true, 9, 3},
        {"from +z", {0.5f, 0.5f, 10}, {0, 0, -1}, 100, true, 9, 5},
        {"from below", {0, 0, -4}, {0, 0, 1}, 100, true, 3, 0},
        {"too short", {-10, 0, 0}, {1, 0, 0}, 9, false, 9, -1},
        {"beside the box", {-10, 1.5f, 0}, {1, 0, 0}, 100, false, 100, -1},
        {"from inside", {0, 0, 0}, {1, 0, 0}, 100, false, 100, -1},
        {"above, pointing away", {0, 0, 5}, {0, 0, 1}, 100, false, 100, -1},
    };
    CPBoundingBox box = UpdatedBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        float distance = row.length;
        D3DXPLANE plane(7, 7, 7, 7);
        EXPECT_EQ(box.IntersectRay(row.origin, row.direction, distance, plane), row.hit);
        EXPECT_NEAR(distance, row.distance, 1e-4f);
        if (row.hit) {
            const D3DXPLANE& face = box.GetPlane(row.plane);
            EXPECT_EQ(plane, face);
        } else {
            EXPECT_EQ(plane, D3DXPLANE(7, 7, 7, 7));
        }
    }
}

TEST(BoundingBox, RayMeetsATurnedBoxOnItsWorldFaces)
{
    // Turned an eighth about z, the box's +x/+y edge points along +x at
    // distance sqrt(2).
    D3DXMATRIX world;
    D3DXMatrixRotationZ(&world, D3DX_PI / 4);
    CPBoundingBox box = UpdatedBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), &world);
    float distance = 100;
    D3DXPLANE plane;
    EXPECT_TRUE(box.IntersectRay(D3DXVECTOR3(10, 0.1f, 0), D3DXVECTOR3(-1, 0, 0), distance, plane));
    EXPECT_NEAR(distance, 10 - (1.41421356f - 0.1f), 1e-3f);
}

// Far from the world's origin a face's plane constant is a large number;
// the distance must still come out as exactly as the corners give it.
TEST(BoundingBox, RayDistanceFarFromTheOriginIsAsExactAsTheCorners)
{
    const float rows[][2] = {{0.6f, 0.8f}, {0.96f, 0.28f}, {0.28f, 0.96f}};
    for (const auto& row : rows) {
        CPBoundingBox box = UpdatedBox(D3DXVECTOR3(1487.37f, -1203.61f, 3.3f), D3DXVECTOR3(2.1f, 3.7f, 4.9f));
        const D3DXVECTOR3 direction(row[0], row[1], 0.0f);
        // Aimed at the middle of the -x face from 37.5 units away.
        const D3DXVECTOR3 origin(box.GetCorner(0).x - row[0] * 37.5f, -1203.61f - row[1] * 37.5f, 3.3f);
        float distance = 100;
        D3DXPLANE plane;
        ASSERT_TRUE(box.IntersectRay(origin, direction, distance, plane)) << row[0];
        const double exact = (static_cast<double>(box.GetCorner(0).x) - origin.x) / direction.x;
        EXPECT_NEAR(distance, exact, 2e-5) << row[0];
    }
}

// Turned about z, the top face's hit point can sit on the diagonal that
// splits the face into its two triangles, or line up exactly with a corner
// along an axis of the face test: both lie inside the face.
TEST(BoundingBox, RayThroughATurnedFaceInLineWithACornerHits)
{
    struct Row {
        const char* name;
        float turn;
        int corner;
        float y;
    };
    const Row rows[] = {
        {"on the diagonal", D3DX_PI / 4, 6, 0.5f},
        {"in line with a corner", D3DX_PI / 6, 6, 0.5f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        D3DXMATRIX world;
        D3DXMatrixRotationZ(&world, row.turn);
        CPBoundingBox box = UpdatedBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), &world);
        float distance = 100;
        D3DXPLANE plane;
        const D3DXVECTOR3 origin(box.GetCorner(row.corner).x, row.y, 10);
        EXPECT_TRUE(box.IntersectRay(origin, D3DXVECTOR3(0, 0, -1), distance, plane));
        EXPECT_NEAR(distance, 9, 1e-4f);
        EXPECT_EQ(plane, box.GetPlane(5));
    }
}

AxisAlignedBox MakeBox(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum)
{
    AxisAlignedBox box;
    box.minimum = minimum;
    box.maximum = maximum;
    box.Recompute();
    return box;
}

TEST(AxisAlignedBox, BoxFromNoPartsIsEmptyAndMergesAsNothing)
{
    AxisAlignedBox empty;
    empty.FromParts(std::vector<CPBoundingBox>());
    ExpectVector(empty.minimum, 1000000, 1000000, 1000000);
    ExpectVector(empty.maximum, -1000000, -1000000, -1000000);

    AxisAlignedBox real = MakeBox(D3DXVECTOR3(-1, 2, 3), D3DXVECTOR3(4, 5, 6));
    AxisAlignedBox grown = real;
    grown.Merge(empty);
    ExpectVector(grown.minimum, -1, 2, 3);
    ExpectVector(grown.maximum, 4, 5, 6);
    ExpectVector(grown.centre, 1.5f, 3.5f, 4.5f);

    empty.Merge(real);
    ExpectVector(empty.minimum, -1, 2, 3);
    ExpectVector(empty.maximum, 4, 5, 6);
    ExpectVector(empty.halfExtents, 2.5f, 1.5f, 1.5f);
}

TEST(AxisAlignedBox, NewBoxHoldsNothing)
{
    AxisAlignedBox box;
    const D3DXVECTOR3 origin(0, 0, 0);
    EXPECT_FALSE(box.ContainsPoint(origin));
    EXPECT_FALSE(box.IntersectSegment(D3DXVECTOR3(-5, 0, 0), D3DXVECTOR3(1, 0, 0), 10));
    EXPECT_FALSE(box.OverlapsSphere(origin, 10));
}

TEST(AxisAlignedBox, BoxFromPartsEnclosesEveryPart)
{
    std::vector<CPBoundingBox> parts;
    parts.push_back(UpdatedBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1)));
    parts.push_back(UpdatedBox(D3DXVECTOR3(5, -3, 0), D3DXVECTOR3(1, 1, 2)));
    AxisAlignedBox box;
    box.FromParts(parts);
    ExpectVector(box.minimum, -1, -4, -2);
    ExpectVector(box.maximum, 6, 1, 2);
    ExpectVector(box.centre, 2.5f, -1.5f, 0);
    ExpectVector(box.halfExtents, 3.5f, 2.5f, 2);

    AxisAlignedBox single;
    single.FromBox(parts[1]);
    ExpectVector(single.centre, 5, -3, 0);
    ExpectVector(single.halfExtents, 1, 1, 2);
}

TEST(AxisAlignedBox, PointOnAFaceIsOutside)
{
    AxisAlignedBox box = MakeBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(2, 2, 2));
    EXPECT_TRUE(box.ContainsPoint(D3DXVECTOR3(1, 1, 1)));
    EXPECT_TRUE(box.ContainsPoint(D3DXVECTOR3(1.999f, 0.001f, 1)));
    EXPECT_FALSE(box.ContainsPoint(D3DXVECTOR3(2, 1, 1)));
    EXPECT_FALSE(box.ContainsPoint(D3DXVECTOR3(1, 0, 1)));
}

TEST(AxisAlignedBox, SegmentThatTouchesAFaceHits)
{
    struct Row {
        const char* name;
        D3DXVECTOR3 start;
        D3DXVECTOR3 direction;
        float length;
        bool hit;
    };
    const float diagonal = 0.70710678f;
    const Row rows[] = {
        {"through the middle", {-5, 1, 1}, {1, 0, 0}, 10, true},
        {"ending on the face", {-5, 1, 1}, {1, 0, 0}, 5, true},
        {"ending short", {-5, 1, 1}, {1, 0, 0}, 4.9f, false},
        {"along the top face", {-5, 1, 2}, {1, 0, 0}, 10, true},
        {"above the top face", {-5, 1, 2.01f}, {1, 0, 0}, 10, false},
        // Only the cross axes tell these two apart.
        {"past a corner", {-3, -0.8f, 1}, {diagonal, diagonal, 0}, 10, false},
        {"across a corner", {-3, -1.1f, 1}, {diagonal, diagonal, 0}, 10, true},
    };
    AxisAlignedBox box = MakeBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(2, 2, 2));
    for (const Row& row : rows) {
        EXPECT_EQ(box.IntersectSegment(row.start, row.direction, row.length), row.hit) << row.name;
    }
}

// A box of half extents (1, 2, 3) away from the origin, and long segments
// that pass it at a distance from its centre across their own direction.
// Each runs in a plane through the centre, so only the cross axis along the
// plane's normal can tell hit from miss; the box reaches |n.x| h.x +
// |n.y| h.y + |n.z| h.z along the row's normal n: 3.4, 3.0 and 2.0.
TEST(AxisAlignedBox, SegmentsPassingAnUnevenBoxMeetEachExtentOnItsOwnAxis)
{
    struct Row {
        const char* name;
        D3DXVECTOR3 normal;
        D3DXVECTOR3 direction;
        float distance;
        bool hit;
    };
    const Row rows[] = {
        {"across y and z, inside", {0, 0.8f, 0.6f}, {0, 0.6f, -0.8f}, 3.3f, true},
        {"across y and z, outside", {0, 0.8f, 0.6f}, {0, 0.6f, -0.8f}, 3.5f, false},
        {"across z and x, inside", {-0.6f, 0, 0.8f}, {0.8f, 0, 0.6f}, 2.9f, true},
        {"across z and x, outside", {-0.6f, 0, 0.8f}, {0.8f, 0, 0.6f}, 3.1f, false},
        {"across x and y, inside", {0.8f, -0.6f, 0}, {0.6f, 0.8f, 0}, 1.9f, true},
        {"across x and y, outside", {0.8f, -0.6f, 0}, {0.6f, 0.8f, 0}, 2.1f, false},
    };
    const D3DXVECTOR3 centre(10, -5, 2);
    const D3DXVECTOR3 half(1, 2, 3);
    AxisAlignedBox box = MakeBox(centre - half, centre + half);
    const float halfLength = 10;
    for (const Row& row : rows) {
        const D3DXVECTOR3 start = centre + row.distance * row.normal - halfLength * row.direction;
        EXPECT_EQ(box.IntersectSegment(start, row.direction, 2 * halfLength), row.hit) << row.name;
    }
}

TEST(AxisAlignedBox, SphereOverlap)
{
    AxisAlignedBox box = MakeBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(2, 2, 2));
    EXPECT_TRUE(box.OverlapsSphere(D3DXVECTOR3(1, 1, 1), 0));
    EXPECT_TRUE(box.OverlapsSphere(D3DXVECTOR3(5, 1, 1), 3));
    EXPECT_FALSE(box.OverlapsSphere(D3DXVECTOR3(5, 1, 1), 2.99f));
    // Beyond an edge the distance runs to the edge, not to either face.
    EXPECT_TRUE(box.OverlapsSphere(D3DXVECTOR3(5, 6, 1), 5));
    EXPECT_FALSE(box.OverlapsSphere(D3DXVECTOR3(5, 6, 1), 4.99f));
}

TEST(AxisAlignedBox, ShadowWideningGrowsOnlyTheCorners)
{
    // Light along (1, -1, -1) onto the ground plane z = 0: a corner at
    // height z falls z along +x and -y. Given as a direction towards the
    // light, the shadow matrix is affine; given the other way round, its w
    // is -1 and each corner's shadow is divided by it.
    const D3DXVECTOR4 lights[] = {D3DXVECTOR4(-1, 1, 1, 0), D3DXVECTOR4(1, -1, -1, 0)};
    const D3DXPLANE ground(0, 0, 1, 0);
    for (const D3DXVECTOR4& light : lights) {
        SCOPED_TRACE(light.x);
        const D3DXMATRIX saved = g_shadowMatrix;
        D3DXMatrixShadow(&g_shadowMatrix, &light, &ground);
        EXPECT_EQ(IsAffine(g_shadowMatrix), light.x < 0);
        AxisAlignedBox box = MakeBox(D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(1, 1, 3));
        box.WidenForShadow();
        g_shadowMatrix = saved;

        // The top corners at y = 0 fall to y = -3, those at x = 1 to x = 4.
        ExpectVector(box.minimum, 0, -3, 0);
        ExpectVector(box.maximum, 4, 1, 3);
        ExpectVector(box.centre, 0.5f, 0.5f, 2);
    }
}

TEST(AxisAlignedBox, ShadowWideningBeforeAnyLevelChangesNothing)
{
    AxisAlignedBox box = MakeBox(D3DXVECTOR3(-1, -2, -3), D3DXVECTOR3(1, 2, 3));
    box.WidenForShadow();
    ExpectVector(box.minimum, -1, -2, -3);
    ExpectVector(box.maximum, 1, 2, 3);
}

} // namespace
