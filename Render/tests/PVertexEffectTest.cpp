#include "Render/PVertexEffect.h"

#include "core/FrameClock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <typeinfo>

namespace {

struct FactoryCase {
    const char* kind;
    std::vector<std::string> values;
    const std::type_info* made; // null: no effect
};

class VertexEffectFactory : public testing::TestWithParam<FactoryCase> {};

TEST_P(VertexEffectFactory, MakesTheKindOrNothing)
{
    const FactoryCase& row = GetParam();
    std::unique_ptr<IPVertexEffect> effect = CreateVertexEffect(row.kind, row.values);
    if (!row.made) {
        EXPECT_EQ(effect, nullptr);
        return;
    }
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(typeid(*effect), *row.made);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VertexEffectFactory,
    testing::Values(FactoryCase{"FADE", {"2"}, &typeid(CPFadeEffect)},
                    FactoryCase{"fade", {""}, &typeid(CPFadeEffect)},
                    FactoryCase{"fade", {"2", "3"}, nullptr},
                    FactoryCase{"fade", {"2x"}, nullptr},
                    FactoryCase{"fade", {}, nullptr},
                    FactoryCase{"glow", {"1"}, nullptr},
                    FactoryCase{"Anim", {"4", "2", "8"}, &typeid(CPAnimEffect)},
                    FactoryCase{"anim", {"0", "2", "8"}, nullptr},
                    FactoryCase{"anim", {"4", "0", "8"}, nullptr},
                    FactoryCase{"anim", {"-2", "-2", "8"}, nullptr},
                    FactoryCase{"anim", {"1000", "1000", "8"}, nullptr},
                    FactoryCase{"flick", {"1.5", "-1", "300"}, &typeid(CPFlickEffect)},
                    FactoryCase{"movingtex", {"0.1", "-.2"}, &typeid(CPMovingTexEffect)},
                    FactoryCase{"environment", {"2"}, &typeid(CPEnvironmentEffect)},
                    FactoryCase{"environment", {"0"}, nullptr},
                    FactoryCase{"environment", {"-"}, nullptr}));

Vertex48 MakeVertex(D3DCOLOR diffuse, float u, float v)
{
    Vertex48 vertex = {};
    vertex.diffuse = diffuse;
    vertex.tex0 = D3DXVECTOR2(u, v);
    return vertex;
}

Vertex48 ApplyOnce(IPVertexEffect& effect, const Vertex48& source)
{
    Vertex48 dest = {};
    effect.Apply(&dest, &source, 1);
    return dest;
}

class VertexEffectFrames : public testing::Test {
protected:
    void TearDown() override { FrameDeltaTime = 0.0f; }
};

TEST_F(VertexEffectFrames, FadeLowersAlphaToZeroAndResetsToFull)
{
    std::unique_ptr<IPVertexEffect> fade = CreateVertexEffect("fade", {"100"});
    FrameDeltaTime = 0.5f;
    const Vertex48 source = MakeVertex(0x12345678, 0.0f, 0.0f);
    for (D3DCOLOR expected : {0xCDFFFFFFu, 0x9BFFFFFFu, 0x69FFFFFFu, 0x37FFFFFFu, 0x05FFFFFFu,
                              0x00FFFFFFu, 0x00FFFFFFu}) {
        EXPECT_EQ(ApplyOnce(*fade, source).diffuse, expected);
    }
    fade->Reset();
    EXPECT_EQ(ApplyOnce(*fade, source).diffuse, 0xCDFFFFFFu);
}

// The random start offsets are whole multiples of the speeds, so with
// speeds of 1 and -1 the offsets seen are the same whatever the start.
TEST_F(VertexEffectFrames, MovingTextureWrapsOnlyOffsetsOutsideZeroToOne)
{
    std::unique_ptr<IPVertexEffect> moving = CreateVertexEffect("movingtex", {"1", "-1"});
    FrameDeltaTime = 0.25f;
    const Vertex48 source = MakeVertex(0, 0.5f, 0.0f);
    const float expectedU[] = {0.75f, 1.0f, 1.25f, 1.5f, 0.75f};
    const float expectedV[] = {0.75f, 0.5f, 0.25f, 0.0f, 0.75f};
    for (int frame = 0; frame < 5; ++frame) {
        const Vertex48 written = ApplyOnce(*moving, source);
        EXPECT_FLOAT_EQ(written.tex0.x, expectedU[frame]) << "frame " << frame;
        EXPECT_FLOAT_EQ(written.tex0.y, expectedV[frame]) << "frame " << frame;
    }
}

// Speeds past a float's range make the offsets infinite, and a frame time of
// 0 times an infinite speed is not a number.
TEST_F(VertexEffectFrames, MovingTextureFarTooFastStillWrapsIntoZeroToOne)
{
    const std::string huge = "100000000000000000000";
    const std::string overflowing = "1" + std::string(40, '0');
    for (const std::string& speed : {huge, overflowing}) {
        for (float dt : {0.37f, 0.0f}) {
            std::unique_ptr<IPVertexEffect> moving =
                CreateVertexEffect("movingtex", {speed, "-" + speed});
            FrameDeltaTime = dt;
            const Vertex48 written = ApplyOnce(*moving, MakeVertex(0, 0.0f, 0.0f));
            EXPECT_GE(written.tex0.x, 0.0f) << speed << " dt " << dt;
            EXPECT_LE(written.tex0.x, 1.0f) << speed << " dt " << dt;
            EXPECT_GE(written.tex0.y, 0.0f) << speed << " dt " << dt;
            EXPECT_LE(written.tex0.y, 1.0f) << speed << " dt " << dt;
        }
    }
}

TEST_F(VertexEffectFrames, AnimStepsThroughTheGridRowByRow)
{
    std::unique_ptr<IPVertexEffect> anim = CreateVertexEffect("anim", {"4", "2", "8"});
    FrameDeltaTime = 0.125f;
    const int expectedFrames[] = {1, 2, 3, 4, 5, 6, 7, 0, 1};
    for (int frame : expectedFrames) {
        // A copy taken now steps to the same frame as the original below.
        const Vertex48 corner = ApplyOnce(*anim->Clone(), MakeVertex(0, 1.0f, 1.0f));
        const Vertex48 origin = ApplyOnce(*anim, MakeVertex(0, 0.0f, 0.0f));
        EXPECT_FLOAT_EQ(origin.tex0.x, (frame % 4) * 0.25f) << "frame " << frame;
        EXPECT_FLOAT_EQ(origin.tex0.y, (frame / 4) * 0.5f) << "frame " << frame;
        EXPECT_FLOAT_EQ(corner.tex0.x, origin.tex0.x + 0.25f);
        EXPECT_FLOAT_EQ(corner.tex0.y, origin.tex0.y + 0.5f);
    }
}

TEST_F(VertexEffectFrames, AnimRunningBackwardsStaysInTheGrid)
{
    std::unique_ptr<IPVertexEffect> anim = CreateVertexEffect("anim", {"4", "2", "-8"});
    FrameDeltaTime = 0.125f;
    const Vertex48 last = ApplyOnce(*anim, MakeVertex(0, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(last.tex0.x, 0.75f);
    EXPECT_FLOAT_EQ(last.tex0.y, 0.5f);
}

TEST_F(VertexEffectFrames, FlickScalesTheSourceAlphaAroundTheMiddle)
{
    std::unique_ptr<IPVertexEffect> steady = CreateVertexEffect("flick", {"0", "100", "200"});
    EXPECT_EQ(ApplyOnce(*steady, MakeVertex(0xFF000000, 0, 0)).diffuse, 0x96FFFFFFu);
    EXPECT_EQ(ApplyOnce(*steady, MakeVertex(0x80123456, 0, 0)).diffuse, 0x4BFFFFFFu);

    std::unique_ptr<IPVertexEffect> flicker = CreateVertexEffect("flick", {"3", "40", "90"});
    FrameDeltaTime = 0.1f;
    for (int frame = 0; frame < 50; ++frame) {
        const int alpha = ApplyOnce(*flicker, MakeVertex(0xFF000000, 0, 0)).diffuse >> 24;
        EXPECT_GE(alpha, 39);
        EXPECT_LE(alpha, 90);
    }
}

TEST_F(VertexEffectFrames, EnvironmentDerivesTheSecondPairOnly)
{
    std::unique_ptr<IPVertexEffect> environment = CreateVertexEffect("environment", {"2"});
    Vertex48 source = MakeVertex(0xFF00FF00, 0.3f, 0.7f);
    source.position = D3DXVECTOR3(4.0f, 6.0f, 9.0f);
    source.normal = D3DXVECTOR3(0.2f, 0.4f, 0.8f);
    const Vertex48 written = ApplyOnce(*environment, source);
    EXPECT_FLOAT_EQ(written.tex1.x, 2.1f);
    EXPECT_FLOAT_EQ(written.tex1.y, 3.2f);
    EXPECT_EQ(written.diffuse, source.diffuse);
    EXPECT_EQ(written.tex0, source.tex0);
}

// A clone continues from the original's state; applied in place it writes
// what the original writes into a separate array.
TEST_F(VertexEffectFrames, ClonesAppliedInPlaceMatchTheOriginal)
{
    const std::pair<const char*, std::vector<std::string>> kinds[] = {
        {"fade", {"30"}},         {"movingtex", {"0.3", "0.7"}}, {"flick", {"2", "20", "240"}},
        {"anim", {"3", "3", "5"}}, {"environment", {"3"}}};
    FrameDeltaTime = 0.2f;
    for (const auto& kind : kinds) {
        std::unique_ptr<IPVertexEffect> original = CreateVertexEffect(kind.first, kind.second);
        ASSERT_NE(original, nullptr) << kind.first;
        Vertex48 source[2] = {MakeVertex(0xC0000000, 0.2f, 0.4f), MakeVertex(0x40000000, 0.9f, 0.1f)};
        source[1].position = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
        Vertex48 separate[2];
        for (int frame = 0; frame < 3; ++frame) original->Apply(separate, source, 2);

        std::unique_ptr<IPVertexEffect> clone = original->Clone();
        original->Apply(separate, source, 2);
        clone->Apply(source, source, 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(0, std::memcmp(&separate[i], &source[i], sizeof(Vertex48))) << kind.first;
        }
    }
}

} // namespace
