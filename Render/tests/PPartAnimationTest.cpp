#include "Render/PPartAnimation.h"

#include "core/FrameClock.h"
#include "core/PGameObject.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

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

TEST_F(PartAnimationTest, LoopingTrackReportsEveryPassEndedInOneFrame)
{
    Play({1.0f, 1.0f, 9.0f, 9.0f}, true);
    Advance(4.5f);
    EXPECT_EQ(part.ends, 2);
    EXPECT_EQ(track.GetKeyIndex(), 0);
    EXPECT_FLOAT_EQ(track.GetElapsed(), 0.5f);
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
