#include "physics/PBroadPhase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

struct Box {
    float minimum[3];
    float maximum[3];
};

bool Overlap(const Box& a, const Box& b)
{
    for (int axis = 0; axis < 3; ++axis) {
        if (a.minimum[axis] > b.maximum[axis] || b.minimum[axis] > a.maximum[axis]) return false;
    }
    return true;
}

// A scene of boxes on a coarse grid of values, so equal end points happen.
// The fewer places a box can take, the more boxes overlap.
class Scene {
public:
    Scene(int count, unsigned seed, int places = 40)
        : m_random(seed), m_boxes(count), m_in(count, false), m_places(places)
    {
    }

    Box RandomBox()
    {
        std::uniform_int_distribution<int> place(0, m_places);
        std::uniform_int_distribution<int> size(0, 6);
        Box box;
        for (int axis = 0; axis < 3; ++axis) {
            box.minimum[axis] = place(m_random) * 0.5f;
            box.maximum[axis] = box.minimum[axis] + size(m_random) * 0.5f;
        }
        return box;
    }

    std::set<std::pair<int, int>> BruteForce() const
    {
        std::set<std::pair<int, int>> pairs;
        for (size_t i = 0; i < m_boxes.size(); ++i) {
            for (size_t j = i + 1; j < m_boxes.size(); ++j) {
                if (m_in[i] && m_in[j] && Overlap(m_boxes[i], m_boxes[j])) pairs.insert({int(i), int(j)});
            }
        }
        return pairs;
    }

    std::mt19937 m_random;
    std::vector<Box> m_boxes;
    std::vector<bool> m_in;
    int m_places;
};

std::set<std::pair<int, int>> Reported(const CPBroadPhase& broadPhase)
{
    std::set<std::pair<int, int>> pairs;
    for (const PBroadPhasePair& pair : broadPhase.GetPairs()) {
        EXPECT_LT(pair.first, pair.second);
        EXPECT_TRUE(pairs.insert({pair.first, pair.second}).second) << "pair listed twice";
    }
    return pairs;
}

class BroadPhaseScenes : public ::testing::TestWithParam<unsigned> {};

TEST_P(BroadPhaseScenes, SweepEqualsBruteForceThroughMotionEntryAndRemoval)
{
    const int count = 80;
    Scene scene(count, GetParam());
    CPBroadPhase broadPhase;
    ASSERT_TRUE(broadPhase.Create(GetHeapAllocator(), count));
    std::uniform_int_distribution<int> body(0, count - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int round = 0; round < 60; ++round) {
        // Some bodies leave, some come in, most of those inside move.
        for (int i = 0; i < 6; ++i) {
            const int b = body(scene.m_random);
            if (scene.m_in[b]) {
                broadPhase.Remove(b);
                scene.m_in[b] = false;
            } else {
                scene.m_boxes[b] = scene.RandomBox();
                broadPhase.Add(b, scene.m_boxes[b].minimum, scene.m_boxes[b].maximum);
                scene.m_in[b] = true;
            }
            ASSERT_EQ(Reported(broadPhase), scene.BruteForce()) << "round " << round;
        }
        for (int b = 0; b < count; ++b) {
            if (!scene.m_in[b] || percent(scene.m_random) < 30) continue;
            Box& box = scene.m_boxes[b];
            std::uniform_int_distribution<int> step(-3, 3);
            for (int axis = 0; axis < 3; ++axis) {
                const float move = step(scene.m_random) * 0.5f;
                box.minimum[axis] += move;
                box.maximum[axis] += move + (percent(scene.m_random) < 20 ? 0.5f : 0.0f);
            }
            broadPhase.SetBounds(b, box.minimum, box.maximum);
        }
        broadPhase.Sweep();
        ASSERT_EQ(Reported(broadPhase), scene.BruteForce()) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, BroadPhaseScenes, ::testing::Values(1u, 7u, 1234u, 99991u));

// Boxes set without a sweep, bodies entering and leaving between those
// settings and the sweep, and settings for bodies that are out: whatever
// the order, each sweep, and each entry, leaves exactly the overlapping
// pairs listed. Now and then a body holds the empty box of a body without
// geometries, whose maximum sorts before its minimum.
TEST(BroadPhase, EverySweepListsTheOverlappingPairsWhateverTheOrderOfCalls)
{
    const int count = 16;
    const Box empty = {{1e6f, 1e6f, 1e6f}, {-1e6f, -1e6f, -1e6f}};
    for (unsigned seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE(seed);
        Scene scene(count, seed, 12);
        CPBroadPhase broadPhase;
        ASSERT_TRUE(broadPhase.Create(GetHeapAllocator(), count));
        std::uniform_int_distribution<int> body(0, count - 1);
        std::uniform_int_distribution<int> call(0, 9);
        std::uniform_int_distribution<int> percent(0, 99);
        auto nextBox = [&] { return percent(scene.m_random) < 5 ? empty : scene.RandomBox(); };
        for (int step = 0; step < 200; ++step) {
            const int b = body(scene.m_random);
            const int kind = call(scene.m_random);
            if (kind < 5) {
                const Box box = nextBox();
                if (scene.m_in[b]) scene.m_boxes[b] = box;
                broadPhase.SetBounds(b, box.minimum, box.maximum);
            } else if (kind < 8 && scene.m_in[b]) {
                broadPhase.Remove(b);
                scene.m_in[b] = false;
            } else {
                if (kind < 8) {
                    scene.m_boxes[b] = nextBox();
                    broadPhase.Add(b, scene.m_boxes[b].minimum, scene.m_boxes[b].maximum);
                    scene.m_in[b] = true;
                } else {
                    broadPhase.Sweep();
                }
                ASSERT_EQ(Reported(broadPhase), scene.BruteForce()) << "step " << step;
            }
        }
    }
}

TEST(BroadPhase, RemovingABodyDropsEveryPairThatNamesIt)
{
    CPBroadPhase broadPhase;
    ASSERT_TRUE(broadPhase.Create(GetHeapAllocator(), 5));
    const float low[3] = {0, 0, 0};
    const float high[3] = {2, 2, 2};
    const float apartLow[3] = {10, 0, 0};
    const float apartHigh[3] = {11, 1, 1};
    for (int b = 0; b < 4; ++b) broadPhase.Add(b, low, high);
    broadPhase.Add(4, apartLow, apartHigh);
    EXPECT_EQ(broadPhase.GetPairs().size(), 6u);
    broadPhase.Remove(2);
    EXPECT_FALSE(broadPhase.Contains(2));
    for (const PBroadPhasePair& pair : broadPhase.GetPairs()) {
        EXPECT_NE(pair.first, 2);
        EXPECT_NE(pair.second, 2);
    }
    EXPECT_EQ(broadPhase.GetPairs().size(), 3u);
    broadPhase.Add(2, apartLow, apartHigh);
    EXPECT_TRUE(broadPhase.AreOverlapping(2, 4));
}

// A box may reach the float limit or infinity (a body flung out of the
// world): a body leaving beside it takes only its own end points along, so
// the far box still sorts back in when it returns.
TEST(BroadPhase, RemovingABodyBesideABoxReachingTheLimitLeavesTheOtherEndPoints)
{
    using Pairs = std::set<std::pair<int, int>>;
    for (const float far : {FLT_MAX, std::numeric_limits<float>::infinity()}) {
        SCOPED_TRACE(far);
        CPBroadPhase broadPhase;
        ASSERT_TRUE(broadPhase.Create(GetHeapAllocator(), 4));
        const Box reaching = {{-3, 1, 0.5f}, {far, 4, 2}};
        const Box returned = {{-3, 1, 0.5f}, {8, 4, 2}};
        const Box inside = {{5, 1.5f, -1}, {6.5f, 3, 1.5f}};
        const Box leaving = {{-1, 0, 0.25f}, {0.5f, 0.75f, 0.9f}};
        const Box beyond = {{20, 2, 1}, {21, 2.5f, 3}};
        broadPhase.Add(0, reaching.minimum, reaching.maximum);
        broadPhase.Add(1, inside.minimum, inside.maximum);
        broadPhase.Add(2, leaving.minimum, leaving.maximum);
        broadPhase.Add(3, beyond.minimum, beyond.maximum);
        ASSERT_EQ(Reported(broadPhase), (Pairs{{0, 1}, {0, 3}}));
        broadPhase.Remove(2);
        broadPhase.SetBounds(0, returned.minimum, returned.maximum);
        broadPhase.Sweep();
        EXPECT_EQ(Reported(broadPhase), (Pairs{{0, 1}}));
    }
}

TEST(BroadPhase, TouchingBoxesOverlap)
{
    CPBroadPhase broadPhase;
    ASSERT_TRUE(broadPhase.Create(GetHeapAllocator(), 2));
    const float aLow[3] = {0, 0, 0}, aHigh[3] = {1, 1, 1};
    const float bLow[3] = {1, 1, 1}, bHigh[3] = {2, 2, 2};
    broadPhase.Add(0, aLow, aHigh);
    broadPhase.Add(1, bLow, bHigh);
    EXPECT_TRUE(broadPhase.AreOverlapping(0, 1));
}

// With three bodies, the pair of body 1 with itself would fall on the place
// of the pair of bodies 0 and 2, which do overlap.
TEST(BroadPhase, NoBodyOverlapsItself)
{
    CPBroadPhase broadPhase;
    ASSERT_TRUE(broadPhase.Create(GetHeapAllocator(), 3));
    const float low[3] = {0, 0, 0}, high[3] = {1, 2, 3};
    const float apartLow[3] = {5, 0, 0}, apartHigh[3] = {6, 1, 1};
    broadPhase.Add(0, low, high);
    broadPhase.Add(1, apartLow, apartHigh);
    broadPhase.Add(2, low, high);
    ASSERT_TRUE(broadPhase.AreOverlapping(0, 2));
    EXPECT_FALSE(broadPhase.AreOverlapping(1, 1));
    EXPECT_FALSE(broadPhase.AreOverlapping(0, 0));
}

} // namespace
