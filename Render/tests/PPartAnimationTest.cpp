#include "Render/PPartAnimation.h"

#include "core/FrameClock.h"
#include "core/PGameObject.h"
#include "Render/tests/AnimationTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

// Counts the ends of track that reach it.
class Part : public CPGameObject {
public:
    Part() : CPGameObject("part") {}
    void OnAnimationEnd() override { ++ends; }
    int ends = 0;
};

class PartAnimationTest : public ::testing::Test {
protected:
    void TearDown() override { FrameDeltaTime = 0.0f; }

    // A track with one identity matrix per key time, driving the part.
    void Play(const std::vector<float>& times, bool looping)
    {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        track.SetKeys(std::vector<D3DXMATRIX>(times.size(), identity), times);
        track.SetTarget(&part);
        track.SetLooping(looping);
        track.Start();
    }

    void Advance(float dt)
    {
        FrameDeltaTime = dt;
        track.Execute();
    }

    Part part;
    CPPartAnimation track;
};

TEST_F(PartAnimationTest, TimeLandingOnAKeyTimeDoesNotAdvance)
{
    Play({1.0f, 1.0f, 1.0f, 1.0f}, false);
    Advance(1.0f);
    EXPECT_EQ(track.GetKeyIndex(), 0);
    Advance(0.5f);
    EXPECT_EQ(track.GetKeyIndex(), 1);
    EXPECT_FLOAT_EQ(track.GetElapsed(), 0.5f);
}

TEST_F(PartAnimationTest, TrackEndsWhenItLeavesThePassageBeforeTheClosingKeys)
{
    // The last two key times never delay the end.
    Play({1.0f, 2.0f, 50.0f, 50.0f}, false);
    Advance(1.5f);
    Advance(1.5f);
    EXPECT_EQ(part.ends, 0);
    Advance(0.25f);
    EXPECT_EQ(part.ends, 1);
    EXPECT_TRUE(track.IsStopped());
    EXPECT_FALSE(track.IsRunning());
    EXPECT_EQ(track.GetKeyIndex(), 2);
    EXPECT_FLOAT_EQ(track.GetElapsed(), 0.25f);

    // An ended track stands on its closing keys and plays no further.
    Advance(100.0f);
    EXPECT_EQ(part.ends, 1);
    EXPECT_EQ(track.GetKeyIndex(), 2);
}

TEST_F(PartAnimationTest, StartingAnEndedTrackPlaysItAgainFromTheFirstKey)
{
    Play({1.0f, 2.0f, 50.0f, 50.0f}, false);
    Advance(3.25f);
    ASSERT_EQ(part.ends, 1);
    ASSERT_FALSE(track.IsRunning());

    EXPECT_TRUE(track.Start());
    Advance(0.5f);
    EXPECT_EQ(track.GetKeyIndex(), 0);
    EXPECT_FLOAT_EQ(track.GetElapsed(), 0.5f);
    Advance(2.75f);
    EXPECT_EQ(part.ends, 2);
    EXPECT_TRUE(track.IsStopped());
}

TEST_F(PartAnimationTest, StartingATrackStoppedBeforeItsEndGoesOnFromWhereItStood)
{
    Play({1.0f, 2.0f, 50.0f, 50.0f}, false);
    Advance(1.5f);
    track.Stop();
    EXPECT_TRUE(track.Start());
    Advance(0.25f);
    EXPECT_EQ(track.GetKeyIndex(), 1);
    EXPECT_FLOAT_EQ(track.GetElapsed(), 0.75f);
}

TEST_F(PartAnimationTest, LoopingTrackReportsEveryPassEndedInOneFrame)
{
    Play({1.0f, 1.0f, 9.0f, 9.0f}, true);
    Advance(4.5f);
    EXPECT_EQ(part.ends, 2);
    EXPECT_EQ(track.GetKeyIndex(), 0);
    EXPECT_FLOAT_EQ(track.GetElapsed(), 0.5f);
    EXPECT_TRUE(track.IsRunning());
}

TEST_F(PartAnimationTest, LoopTooShortToMeasureReportsOneEndAFrame)
{
    Play({1e-20f, 1e-20f, 1.0f, 1.0f}, true);
    Advance(1.0f);
    Advance(1.0f);
    EXPECT_EQ(part.ends, 2);
    EXPECT_EQ(track.GetKeyIndex(), 0);
    EXPECT_TRUE(track.IsRunning());
}

TEST_F(PartAnimationTest, TracksThatWouldStepPastTheirKeysAreNotPlayed)
{
    const struct {
        std::vector<float> times;
        size_t matrixCount;
        bool looping;
    } cases[] = {
        {{1.0f, 1.0f}, 2, false},             // too few keys to ever end
        {{1.0f, 1.0f, 1.0f}, 2, false},       // a time without a matrix
        {{0.0f, 0.0f, 1.0f, 1.0f}, 4, true},  // a loop that takes no time
    };
    for (const auto& row : cases) {
        CPPartAnimation broken;
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        broken.SetKeys(std::vector<D3DXMATRIX>(row.matrixCount, identity), row.times);
        broken.SetTarget(&part);
        broken.SetLooping(row.looping);
        FrameDeltaTime = 5.0f;
        broken.Execute();
        EXPECT_EQ(broken.GetKeyIndex(), 0);
        EXPECT_FLOAT_EQ(broken.GetElapsed(), 0.0f);
    }
    EXPECT_EQ(part.ends, 0);
}

D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX matrix;
    D3DXMatrixTranslation(&matrix, x, y, z);
    return matrix;
}

struct BlendCase {
    std::vector<float> times;
    bool looping;
    std::vector<float> steps;
    float x; // of the part's place
};

TEST_F(PartAnimationTest, PartIsDrivenByTheKeysBlendedThroughThePassage)
{
    // Keys at x = 0, 4 and 8; the closing key far away.
    const BlendCase cases[] = {
        {{1, 2, 9, 9}, false, {0.5f}, 2.0f},
        {{1, 2, 9, 9}, false, {1.0f}, 4.0f},               // the passage's whole time
        {{1, 2, 9, 9}, false, {0.5f, 1.0f}, 5.0f},         // a quarter into the second
        {{1, 2, 9, 9}, false, {0.5f, 1.0f, 1.75f}, 8.0f},  // ended: rests on key N - 2
        {{1, 1, 9, 9}, true, {2.5f}, 2.0f},                // looped round once
        {{0, 1, 9, 9}, false, {0.0f}, 0.0f},               // a passage without time
        {{1, 2, 9, 9}, false, {-0.5f}, 0.0f},              // time before the first key
    };
    for (const BlendCase& row : cases) {
        CPGameObject driven("driven");
        CPPartAnimation keys;
        keys.SetKeys({Translation(0, 0, 0), Translation(4, 0, 0), Translation(8, 0, 0), Translation(100, 100, 100)},
                     row.times);
        keys.SetTarget(&driven);
        keys.SetLooping(row.looping);
        keys.Start();
        for (float step : row.steps) {
            FrameDeltaTime = step;
            keys.Execute();
        }
        const D3DXMATRIX& world = driven.GetWorldMatrix();
        EXPECT_FLOAT_EQ(world._41, row.x) << row.steps.size() << " steps, first " << row.steps[0];
        EXPECT_FLOAT_EQ(world._42, 0.0f);
        EXPECT_FLOAT_EQ(world._43, 0.0f);
    }
}

TEST_F(PartAnimationTest, KeysActInThePartsOwnFrameBeforeItsPlacement)
{
    CPGameObject placed("placed");
    animation_test::PlaceQuarterTurned(placed, 10.0f, 0.0f, 0.0f);
    const D3DXMATRIX asPlaced = placed.GetWorldMatrix();

    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    CPPartAnimation still;
    still.SetKeys({identity, identity, identity}, {1, 1, 1});
    still.SetTarget(&placed);
    still.Start();
    FrameDeltaTime = 0.5f;
    still.Execute();
    EXPECT_EQ(placed.GetWorldMatrix(), asPlaced);

    CPPartAnimation shift;
    shift.SetKeys({Translation(2, 0, 0), Translation(2, 0, 0), Translation(2, 0, 0)}, {1, 1, 1});
    shift.SetTarget(&placed);
    shift.Start();
    shift.Execute();
    D3DXVECTOR3 origin(0, 0, 0), moved;
    D3DXVec3TransformCoord(&moved, &origin, &placed.GetWorldMatrix());
    ExpectNear(moved, D3DXVECTOR3(10, 2, 0));
}

TEST_F(PartAnimationTest, CopyTakesKeysAndLoopingButKeepsTargetAndPlace)
{
    Play({1.0f, 1.0f, 1.0f, 1.0f}, false);
    Advance(1.5f);
    Part other;
    CPPartAnimation source;
    D3DXMATRIX shifted;
    D3DXMatrixTranslation(&shifted, 1, 2, 3);
    source.SetKeys({shifted, shifted, shifted}, {2.0f, 2.0f, 2.0f});
    source.SetTarget(&other);
    source.SetLooping(true);

    track.CopyFrom(&source);
    EXPECT_EQ(track.GetKeyMatrices(), source.GetKeyMatrices());
    EXPECT_EQ(track.GetKeyTimes(), source.GetKeyTimes());
    EXPECT_TRUE(track.IsLooping());
    EXPECT_EQ(track.GetTarget(), &part);
    EXPECT_EQ(track.GetKeyIndex(), 1);
    EXPECT_FLOAT_EQ(track.GetElapsed(), 0.5f);
}

} // namespace
