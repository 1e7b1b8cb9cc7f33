#include "Render/PAnimation.h"

#include "core/PDataFile.h"
#include "Render/PAnimationCache.h"
#include "Render/PObjectLoader.h"
#include "Render/tests/AnimationTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace {

using animation_test::kStreamFile;
using animation_test::LoadFrames;
using animation_test::LoadFromStream;
using animation_test::NumberedFrames;

void ExpectVector(const D3DXVECTOR3& actual, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
    EXPECT_FLOAT_EQ(actual.z, z);
}

// The host's object loader with a vertex colour of its own.
class MorphStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        loader.SetVertexColour(kLoaderColour);
        g_pObjectLoader = &loader;
    }
    void TearDown() override { g_pObjectLoader = nullptr; }

    static constexpr D3DCOLOR kLoaderColour = 0x80FF2010;
    CPObjectLoader loader;
    CPAnimation animation{"walk&man.mesh"};
};

TEST_F(MorphStreamTest, FrameTimeCountsIn2400thsOfASecond)
{
    ASSERT_TRUE(LoadFrames(animation, 2400.0f, NumberedFrames(std::vector<int>(10, 3))));
    EXPECT_EQ(animation.GetFrameCount(), 10);
    EXPECT_NEAR(animation.GetFrameTime(), 1.0f, 1e-6f);
    EXPECT_NEAR(animation.GetDuration(), 10.0f, 1e-5f);
    ASSERT_EQ(animation.GetFrames().size(), 10u);
    for (int k = 0; k < 10; ++k) EXPECT_EQ(animation.GetFrames()[k].frameNumber, k);
}

TEST_F(MorphStreamTest, AFrameTimeThatIsNoFiniteNumberIsRefusedAndNamed)
{
    ASSERT_TRUE(LoadFrames(animation, 600.0f, NumberedFrames({3})));
    const float kInfinity = std::numeric_limits<float>::infinity();
    for (float stored : {kInfinity, -kInfinity, std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_FALSE(LoadFrames(animation, stored, NumberedFrames({3, 3}))) << stored;
        EXPECT_EQ(std::string(animation.GetLoadFault().field), "frame time");
        EXPECT_EQ(std::string(animation.GetLoadFault().reason), "is not a finite number");
        EXPECT_EQ(animation.GetFrameTime(), 0.25f) << "a refused stream changes nothing";
        EXPECT_EQ(animation.GetFrameCount(), 1);
    }
}

TEST_F(MorphStreamTest, FramesKeepTheirOwnSizesUnderOneBoxAndTheLoadersColour)
{
    FrameData small, large;
    small.vertices = {MorphVertex(-1, 2, 3), MorphVertex(4, -5, 6), MorphVertex(0, 0, 0)};
    small.indices = {0, 1, 2};
    large.vertices = {MorphVertex(7, 1, -8), MorphVertex(0, 0, 0), MorphVertex(1, 1, 1), MorphVertex(2, 2, 2)};
    large.indices = {0, 1, 2, 3, 2, 1};
    ASSERT_TRUE(LoadFrames(animation, 600.0f, {small, large}));

    const std::vector<MorphFrame>& frames = animation.GetFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].vertices.size(), 3u);
    EXPECT_EQ(frames[1].vertices.size(), 4u);
    EXPECT_EQ(frames[1].indices, large.indices);
    for (const MorphFrame& frame : frames) {
        for (const Vertex48& vertex : frame.vertices) {
            EXPECT_EQ(vertex.diffuse, kLoaderColour);
            EXPECT_EQ(vertex.specular, 0x9ABCDEF0u);
        }
    }
    ExpectVector(frames[1].vertices[0].position, 7, 1, -8);
    // Minimum (-1, -5, -8), maximum (7, 2, 6).
    ExpectVector(animation.GetBoundingBox().GetCentre(), 3.0f, -1.5f, -1.0f);
    ExpectVector(animation.GetBoundingBox().GetHalfExtents(), 4.0f, 3.5f, 7.0f);
}

TEST_F(MorphStreamTest, LoadingAgainReplacesFramesAndBox)
{
    ASSERT_TRUE(LoadFrames(animation, 600.0f, NumberedFrames({3, 3, 3, 3})));
    FrameData distant;
    distant.vertices = {MorphVertex(10, 20, 30), MorphVertex(12, 20, 30)};
    ASSERT_TRUE(LoadFrames(animation, 1200.0f, {distant, distant}));
    EXPECT_EQ(animation.GetFrameCount(), 2);
    EXPECT_EQ(animation.GetFrames().size(), 2u);
    EXPECT_FLOAT_EQ(animation.GetDuration(), 1.0f);
    ExpectVector(animation.GetBoundingBox().GetCentre(), 11, 20, 30);
    ExpectVector(animation.GetBoundingBox().GetHalfExtents(), 1, 0, 0);

    // No frames: the box keeps the extent's starting values, inside out.
    ASSERT_TRUE(LoadFrames(animation, 600.0f, {}));
    EXPECT_TRUE(animation.GetFrames().empty());
    EXPECT_EQ(animation.GetFrameCount(), 0);
    ExpectVector(animation.GetBoundingBox().GetCentre(), 2250000.0f, 0.0f, 2250000.0f);
    ExpectVector(animation.GetBoundingBox().GetHalfExtents(), -2750000.0f, -5000000.0f, -2750000.0f);
}

// Two frames of three vertices and one triangle.
FixtureWriter TwoFrames()
{
    FixtureWriter stream;
    WriteMorphStream(stream, 600.0f, NumberedFrames({3, 3}));
    return stream;
}

void ExpectUnchanged(const CPAnimation& animation, const char* what)
{
    EXPECT_EQ(animation.GetFrameCount(), 2) << what;
    EXPECT_FLOAT_EQ(animation.GetDuration(), 0.5f) << what;
    ASSERT_EQ(animation.GetFrames().size(), 2u) << what;
    EXPECT_EQ(animation.GetFrames()[1].vertices.size(), 3u) << what;
    ExpectVector(animation.GetBoundingBox().GetCentre(), 0.5f, 1.0f, 1.0f);
}

TEST_F(MorphStreamTest, StreamCutShortFailsAndLeavesTheAnimationAsItWas)
{
    ASSERT_TRUE(LoadFrames(animation, 600.0f, NumberedFrames({3, 3})));
    const FixtureWriter stream = TwoFrames();
    for (const FixtureWriter::Field& field : stream.GetFields()) {
        for (size_t cut : {field.offset, field.offset + 1}) {
            stream.SaveFirst(kStreamFile, cut);
            CPDataFile file(kStreamFile, false);
            ASSERT_EQ(file.Load(), S_OK);
            EXPECT_FALSE(animation.Load(file)) << "cut at " << cut << " in " << field.label;
            ExpectUnchanged(animation, field.label.c_str());
        }
    }
}

struct DamageCase {
    const char* field;
    int occurrence;
    int32_t value;
    bool loads;
};

TEST_F(MorphStreamTest, CountOrIndexThatDoesNotFitFailsAndLeavesTheAnimationAsItWas)
{
    const DamageCase cases[] = {
        {"frame count", 0, -1, false},
        {"frame count", 0, 3, false},
        {"frame count", 0, 0x7FFFFFFF, false},
        {"vertex count", 1, -1, false},
        {"vertex count", 1, 4, false},
        {"vertex count", 1, 0x7FFFFFFF, false},
        {"index count", 1, -1, false},
        {"index count", 1, 4, false},
        {"index count", 1, 0x40000000, false},
        {"index", 5, 2, true},        // the last vertex of its frame
        {"index", 5, 3, false},       // one past it
        {"index", 5, 0xFFFF, false},
    };
    for (const DamageCase& row : cases) {
        ASSERT_TRUE(LoadFrames(animation, 600.0f, NumberedFrames({3, 3})));
        FixtureWriter stream = TwoFrames();
        const size_t offset = stream.FindField(row.field, row.occurrence);
        if (std::string(row.field) == "index") {
            stream.PatchUint16(offset, static_cast<uint16_t>(row.value));
        } else {
            stream.PatchInt(offset, row.value);
        }
        EXPECT_EQ(LoadFromStream(animation, stream), row.loads) << row.field << " = " << row.value;
        if (!row.loads) ExpectUnchanged(animation, row.field);
    }
}

// The host's cache, and the animations a test makes, destroyed as their
// owner would.
class AnimationCacheTest : public ::testing::Test {
protected:
    void SetUp() override { g_pAnimationCache = &cache; }
    void TearDown() override
    {
        for (CPAnimation* animation : made) delete animation;
        g_pAnimationCache = nullptr;
    }

    // Asks the cache for the name with a stream of frames of these sizes.
    CPAnimation* Get(const std::string& name, const std::vector<int>& vertexCounts, bool* loaded = nullptr)
    {
        FixtureWriter stream;
        WriteMorphStream(stream, 600.0f, NumberedFrames(vertexCounts));
        return GetFrom(name, stream, loaded);
    }

    CPAnimation* GetFrom(const std::string& name, const FixtureWriter& stream, bool* loaded = nullptr)
    {
        stream.Save(kStreamFile);
        CPDataFile file(kStreamFile, false);
        EXPECT_EQ(file.Load(), S_OK);
        RefPtr<CPAnimation> animation;
        const bool ok = cache.GetAnimation(animation, name, file);
        if (loaded) *loaded = ok;
        Keep(animation.Get());
        return animation.Get();
    }

    void Keep(CPAnimation* animation)
    {
        if (std::find(made.begin(), made.end(), animation) == made.end()) made.push_back(animation);
    }

    CPAnimationCache cache;
    std::vector<CPAnimation*> made;
};

TEST_F(AnimationCacheTest, OneAnimationPerExactNameReadAnewOnEveryRequest)
{
    CPAnimation* first = Get("arm&robot.mesh", {3, 3});
    CPAnimation* again = Get("arm&robot.mesh", {4, 4, 4});
    CPAnimation* otherCase = Get("ARM&robot.mesh", {3, 3});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(again, first);
    EXPECT_NE(otherCase, first);
    EXPECT_EQ(first->GetName(), "arm&robot.mesh");
    EXPECT_EQ(first->GetFrames().size(), 3u);
    EXPECT_EQ(cache.Find("arm&robot.mesh"), first);
    EXPECT_EQ(cache.Find("ARM&robot.mesh"), otherCase);
}

TEST_F(AnimationCacheTest, StreamThatFailsToReadStillHandsBackTheAnimationUnchanged)
{
    CPAnimation* arm = Get("arm", {3, 3});
    FixtureWriter broken;
    broken.Int(-1, "frame count").Float(600.0f, "frame time");
    bool loaded = true;
    EXPECT_EQ(GetFrom("arm", broken, &loaded), arm);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(arm->GetFrames().size(), 2u);
}

TEST_F(AnimationCacheTest, AnimationLeavesTheCacheOnlyWhileItHoldsTheName)
{
    CPAnimation* older = new CPAnimation("leg");
    CPAnimation* newer = new CPAnimation("leg");
    EXPECT_EQ(cache.Find("leg"), newer);
    delete older;
    EXPECT_EQ(cache.Find("leg"), newer);
    delete newer;
    EXPECT_EQ(cache.Find("leg"), nullptr);
}

TEST_F(AnimationCacheTest, AnimationsOutliveTheCache)
{
    CPAnimation* survivor = nullptr;
    {
        CPAnimationCache host;
        g_pAnimationCache = &host;
        survivor = new CPAnimation("tail");
        EXPECT_EQ(host.Find("tail"), survivor);
    }
    EXPECT_EQ(g_pAnimationCache, nullptr);
    delete survivor;
}

} // namespace
