#include "DynamicSky/PDynamicSky.h"
#include "DynamicSky/PDynamicSkyMaker.h"
#include "DynamicSky/SkyLighting.h"
#include "DynamicSky/SkySequenceFile.h"
#include "DynamicSky/tests/SkyTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

const float kTolerance = 1e-3f;

// Takes the sun as a directional light and submits it, as the level does.
class SunLightTarget : public IPSunLightTarget {
public:
    SunLightTarget() { SetSunLightTarget(this); }
    ~SunLightTarget() override { SetSunLightTarget(nullptr); }

    void SubmitSunLight(const D3DXVECTOR3& direction, const D3DCOLORVALUE& colour) override
    {
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Direction = direction;
        light.Diffuse = colour;
        light.Specular = colour;
        GetRender()->AddLight(light);
        ++submissions;
    }

    D3DLIGHT9 light = D3DLIGHT9();
    int submissions = 0;
};

class DynamicSkyTest : public SkyTest {
protected:
    void WritePhases(const std::vector<SkySequenceEntry>& phases)
    {
        ASSERT_EQ(WriteSkySequenceFile(SkyFilePath("phases.txt"), phases), S_OK);
        WriteFile(SkyFilePath("phases.txt"), ReadFile(SkyFilePath("phases.txt")));
    }
    // One grey phase that fades in over 2 scaled seconds and lasts 100.
    void WriteGreyPhase()
    {
        SkySequenceEntry grey;
        grey.fadeTime = 2.0f;
        grey.meanLength = 100.0f;
        grey.value9 = 1;
        WritePhases({grey});
    }
    void LoadSky(const SkyscapeDescription& description)
    {
        m_segments = description.segments;
        WriteSky("sky.txt", description);
        sky.Load("sky.txt");
        ASSERT_TRUE(sky.IsLoaded());
    }
    D3DCOLOR RingColour(int ring, int point = 0) const
    {
        return sky
            .GetSourceVertices()[ring * (sky.GetSourceVertices().size() / RingCount()) + point]
            .diffuse;
    }
    size_t RingCount() const { return static_cast<size_t>(m_segments / 4 + 1); }
    // Where the call of that text stands among the recorded calls.
    size_t CallIndex(const std::string& text) const
    {
        const std::vector<std::string> texts = device.CallTexts();
        return static_cast<size_t>(std::find(texts.begin(), texts.end(), text) - texts.begin());
    }

    // One state of n = 16 and three keys: two rings per key interval.
    SkyscapeDescription ThreeKeySky()
    {
        m_segments = 16;
        SkyscapeDescription description = ExampleSky(16, 3, 1, 0);
        description.centre = D3DXVECTOR3(0, 0, 0);
        description.heightScale = 1.0f;
        SkyscapeDescription::State& state = description.states[0];
        state.keys = {D3DXVECTOR3(10, 200, 250), D3DXVECTOR3(50, 100, 255),
                      D3DXVECTOR3(90, 0, 300)};
        state.domeAlpha = 128.0f;
        state.greyComponent = 3;
        state.ambient = D3DXVECTOR3(10, 20, 130);
        return description;
    }

    CPDynamicSky sky;

private:
    int m_segments = 0;
};

struct DomeCase {
    int segments;
    size_t vertices;
    size_t indices;
};

class DynamicSkyDome : public SkyTest, public testing::WithParamInterface<DomeCase> {};

TEST_P(DynamicSkyDome, IsARingedHalfSphereAboutItsCentre)
{
    const DomeCase& dome = GetParam();
    const int n = dome.segments;
    CPDynamicSky sky;
    sky.InitDome(10.0f, n, 1.0f, 2.0f, 3.0f, 0.5f);
    const std::vector<Vertex48>& vertices = sky.GetSourceVertices();
    ASSERT_EQ(vertices.size(), dome.vertices);
    ASSERT_EQ(sky.GetIndices().size(), dome.indices);
    EXPECT_NEAR(vertices[0].position.x, 11.0f, kTolerance) << "ring 0, point 0";
    EXPECT_EQ(vertices[0].position.y, 2.0f);
    EXPECT_NEAR(vertices[0].position.z, 3.0f, kTolerance);
    const Vertex48& quarter = vertices[n / 4];
    EXPECT_NEAR(quarter.position.x, 1.0f, kTolerance);
    EXPECT_NEAR(quarter.position.y, 12.0f, kTolerance);
    const Vertex48& top = vertices.back();
    EXPECT_NEAR(top.position.z, 3.0f + 0.5f * 10.0f, kTolerance);
    const D3DXVECTOR3 inward = -vertices[0].position / D3DXVec3Length(&vertices[0].position);
    EXPECT_NEAR(vertices[0].normal.x, inward.x, kTolerance);
    EXPECT_NEAR(vertices[0].normal.z, inward.z, kTolerance);
    EXPECT_EQ(vertices[0].diffuse, 0x80FFFFFFu);
    EXPECT_EQ(vertices[n].tex0, D3DXVECTOR2(2.0f, 0.0f));
    EXPECT_FLOAT_EQ(top.tex0.y, 1.5f * (n / 4) / (n / 4 + 1));
    const uint16_t next = static_cast<uint16_t>(n + 1);
    EXPECT_EQ(std::vector<uint16_t>(sky.GetIndices().begin(), sky.GetIndices().begin() + 6),
              (std::vector<uint16_t>{0, next, uint16_t(next + 1), 0, uint16_t(next + 1), 1}));
}

INSTANTIATE_TEST_SUITE_P(Cases, DynamicSkyDome,
                         testing::Values(DomeCase{8, 27, 96}, DomeCase{64, 1105, 6144},
                                         DomeCase{12, 52, 216}));

TEST_F(DynamicSkyTest, NoSegmentsMakeNoDome)
{
    sky.InitDome(10.0f, 0, 0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_TRUE(sky.GetSourceVertices().empty());
    EXPECT_TRUE(device.CallTexts().empty());
}

TEST_F(DynamicSkyTest, RingsClimbFromEachKeyByOneIncrementAndClamp)
{
    LoadSky(ThreeKeySky());
    sky.Update(0.0f);
    const D3DCOLOR expected[] = {
        0x801E96FC, // key 0 + (20, -50, 2.5): (30, 150, 252.5)
        0x803264FF, // key 1 reached: (50, 100, 255)
        0x804632FF, // from key 1: (70, 50, 255 + 22.5 clamped)
        0x805A00FF, // (90, 0, 255)
        0x806E00FF, // the top ring takes one more: (110, -50 clamped, 255)
    };
    for (int ring = 0; ring < 5; ++ring) {
        EXPECT_EQ(RingColour(ring), expected[ring]) << "ring " << ring;
        EXPECT_EQ(RingColour(ring, 9), expected[ring]) << "ring " << ring;
    }
}

TEST_F(DynamicSkyTest, ThePointsFacingTheSunGlow)
{
    SkyscapeDescription unturned = ThreeKeySky();
    unturned.states[0].turnDegrees = 0.0f;
    LoadSky(unturned);
    SunPosition = D3DXVECTOR3(1000.0f, 0.0f, 0.0f);
    sky.Update(0.0f);
    EXPECT_EQ(RingColour(0, 0), 0x8056CEFFu) << "(30, 150, 252) + 56, capped at 255";
    EXPECT_EQ(RingColour(0, 8), 0x801E96FCu) << "the point facing away does not glow";
}

// The glow follows the drawn (turned) dome: its brightest horizon point
// stands toward the sun whatever the turn.
TEST_F(DynamicSkyTest, TheBrightestHorizonPointFacesTheSunOnTheTurnedDome)
{
    const struct {
        float turnDegrees;
        D3DXVECTOR3 sun;
    } rows[] = {
        {0.0f, D3DXVECTOR3(1000.0f, 0.0f, 0.0f)},
        {90.0f, D3DXVECTOR3(1000.0f, 0.0f, 0.0f)},
        {90.0f, D3DXVECTOR3(0.0f, 1000.0f, 0.0f)},
        {45.0f, D3DXVECTOR3(0.0f, -1000.0f, 0.0f)},
    };
    for (const auto& row : rows) {
        CPDynamicSky turned;
        SkyscapeDescription description = ThreeKeySky();
        description.states[0].keys = {D3DXVECTOR3(10, 10, 10), D3DXVECTOR3(10, 10, 10), D3DXVECTOR3(10, 10, 10)};
        description.states[0].turnDegrees = row.turnDegrees;
        WriteSky("sky.txt", description);
        turned.Load("sky.txt");
        ASSERT_TRUE(turned.IsLoaded());
        SunPosition = row.sun;
        turned.Update(0.0f);
        const std::vector<Vertex48>& drawn = turned.GetWorkingVertices();
        size_t brightest = 0;
        for (size_t point = 0; point <= 16; ++point) {
            if ((drawn[point].diffuse & 0xFF) > (drawn[brightest].diffuse & 0xFF)) brightest = point;
        }
        D3DXVECTOR3 toPoint, toSun;
        D3DXVec3Normalize(&toPoint, &drawn[brightest].position);
        D3DXVec3Normalize(&toSun, &row.sun);
        EXPECT_GT(D3DXVec3Dot(&toPoint, &toSun), 0.99f) << "turn " << row.turnDegrees << ", point " << brightest;
        EXPECT_EQ(drawn[brightest].diffuse & 0xFF, 10u + 56u);
    }
}

TEST_F(DynamicSkyTest, GreyPhasesBlendTowardTheGreyRecord)
{
    WriteGreyPhase();
    LoadSky(ThreeKeySky());
    sky.Update(0.0f);
    EXPECT_EQ(sky.BlendWeight(), 0.0f);
    EXPECT_EQ(RingColour(1), 0x803264FFu) << "w = 0 shows the current keys";
    EXPECT_EQ(render.GetAmbient(), 0xFF0A1482u);

    sky.Update(1.0f); // 2 scaled seconds: fully faded in
    EXPECT_EQ(sky.BlendWeight(), 1.0f);
    EXPECT_EQ(sky.GetGrey().keys[1], D3DXVECTOR3(235, 235, 255));
    EXPECT_EQ(RingColour(1), 0x80EBEBFFu) << "w = 1 shows the grey keys";
    EXPECT_EQ(RingColour(3), 0x80FFFFFFu);
    EXPECT_EQ(render.GetAmbient(), 0xFF6E6E82u) << "(110, 110, 130) from the blue of (10, 20, 130)";
}

// Passage j of three states: every rate is the difference over j's duration.
TEST_F(DynamicSkyTest, RatesRunToTheNextStateAndTurnOnIntoTheFirst)
{
    const SkyscapeDescription description = ExampleSky(8, 2, 3, 1);
    LoadSky(description);
    const std::vector<SkyState>& states = sky.GetStates();
    const float speed = sky.GetSkySpeed();
    for (int passage = 0; passage < 3; ++passage) {
        ASSERT_EQ(sky.GetStateIndex(), passage);
        const SkyState& from = states[passage];
        const SkyState& to = states[(passage + 1) % 3];
        const SkyState& rate = sky.GetRate();
        const float wrap = passage == 2 ? 6.2831855f : 0.0f;
        EXPECT_NEAR(rate.keys[1].x, (to.keys[1].x - from.keys[1].x) / from.duration, kTolerance);
        EXPECT_NEAR(rate.domeAlpha, (to.domeAlpha - from.domeAlpha) / from.duration, kTolerance);
        EXPECT_NEAR(rate.quadStateAngles[0],
                    (to.quadStateAngles[0] - from.quadStateAngles[0] + wrap) / from.duration,
                    kTolerance)
            << "passage " << passage;
        EXPECT_NEAR(rate.quadScales[0], (to.quadScales[0] - from.quadScales[0]) / from.duration,
                    kTolerance);
        EXPECT_EQ(rate.keys[0].z, 0.0f) << "equal values change exactly not at all";
        EXPECT_EQ(rate.sun.y, 0.0f);
        EXPECT_EQ(rate.fog, D3DXVECTOR3(0.0f, 0.0f, rate.fog.z));
        EXPECT_EQ(sky.GetCurrent().keys[0], from.keys[0]) << "a passage starts from its state";
        sky.Update(from.duration / speed + 0.01f);
    }
    EXPECT_EQ(sky.GetStateIndex(), 0);
}

// The passage starts at the file's start state when it names one.
TEST_F(DynamicSkyTest, StartsAtTheStartStateWhenItNamesOne)
{
    const struct {
        int start;
        int index;
    } rows[] = {{1, 1}, {2, 2}, {3, 0}, {-1, 0}};
    for (const auto& row : rows) {
        CPDynamicSky started;
        SkyscapeDescription description = ExampleSky(8, 2, 3, 1);
        description.startState = row.start;
        WriteSky("sky.txt", description);
        started.Load("sky.txt");
        ASSERT_TRUE(started.IsLoaded());
        EXPECT_EQ(started.GetStateIndex(), row.index) << "start " << row.start;
        const SkyState& from = started.GetStates()[row.index];
        const SkyState& to = started.GetStates()[(row.index + 1) % 3];
        EXPECT_EQ(started.GetCurrent().keys[1], from.keys[1]) << "start " << row.start;
        EXPECT_NEAR(started.GetRate().domeAlpha, (to.domeAlpha - from.domeAlpha) / from.duration, kTolerance)
            << "start " << row.start;
    }
}

// In a grey phase half faded in, the sun quad keeps more of its alpha
// (255 - 200 w) than the other quads (255 - 255 w).
TEST_F(DynamicSkyTest, TheSunQuadFadesLessThanTheOthersInAGreyPhase)
{
    WriteGreyPhase();
    LoadSky(ExampleSky(8, 2, 1, 3));
    sky.Update(0.5f); // one scaled second: w = 0.5
    ASSERT_EQ(sky.BlendWeight(), 0.5f);
    const unsigned expected[] = {155, 127, 127};
    for (size_t quad = 0; quad < 3; ++quad) {
        for (const Vertex48& vertex : sky.GetQuads()[quad]->GetWorkingVertices()) {
            EXPECT_EQ(vertex.diffuse >> 24, expected[quad]) << "quad " << quad;
        }
    }
}

// Each quad moves on to its next texture when a state whose step flag for
// it is 1 begins, at load and at every passage.
TEST_F(DynamicSkyTest, QuadTexturesAdvanceWhenAStateWithTheirStepBegins)
{
    SkyscapeDescription description = ExampleSky(8, 2, 3, 2);
    const int steps[3][2] = {{1, 0}, {0, 1}, {1, 2}};
    for (int state = 0; state < 3; ++state) {
        for (int quad = 0; quad < 2; ++quad) description.states[state].quads[quad].textureStep = steps[state][quad];
    }
    for (SkyscapeDescription::Quad& quad : description.quads) quad.textures = {"a.tga", "b.tga", "c.tga"};
    LoadSky(description);
    const auto indices = [this]() {
        return std::vector<int>{sky.GetQuads()[0]->GetTextureIndex(), sky.GetQuads()[1]->GetTextureIndex()};
    };
    EXPECT_EQ(indices(), (std::vector<int>{1, 0})) << "state 0 begins at load";
    const std::vector<int> after[] = {{1, 1}, {2, 1}, {0, 1}};
    for (int passage = 0; passage < 3; ++passage) {
        sky.Update(sky.GetStates()[passage].duration / sky.GetSkySpeed() + 0.01f);
        EXPECT_EQ(indices(), after[passage]) << "state " << (passage + 1) % 3 << " begins";
    }
}

TEST_F(DynamicSkyTest, AStateWithoutDurationHasNoRates)
{
    SkyscapeDescription description = ExampleSky(8, 2, 2, 1);
    description.states[0].duration = 0.0f;
    LoadSky(description);
    EXPECT_EQ(sky.GetRate().keys[0], D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(sky.GetRate().quadStateAngles[0], 0.0f);
}

// Two states of 10 and 20 scaled seconds, stepped 2.5 at a time: ambient
// red and the horizon key climb 0 -> 100 and fall back, fog red mirrors
// them, the sun climbs 0 -> 255 and falls back. A state's last frame steps
// past it before the passage ends.
TEST_F(DynamicSkyTest, ColoursFollowTheStatesThroughAWholeCycle)
{
    SkyscapeDescription description = ExampleSky(8, 2, 2, 1);
    description.quads[0].distance = 0.0f; // a sun at the centre lights no point of the dome
    const float tops[] = {0.0f, 100.0f};
    for (int index = 0; index < 2; ++index) {
        SkyscapeDescription::State& state = description.states[index];
        state.duration = 10.0f * (index + 1);
        state.keys = {D3DXVECTOR3(tops[index], 0, 0), D3DXVECTOR3(tops[index], 0, 100)};
        state.ambient = D3DXVECTOR3(tops[index], tops[index] / 2, 0);
        state.fog = D3DXVECTOR3(255 - tops[index], 0, 0);
        state.sun = D3DXVECTOR3(index ? 255.0f : 0.0f, 0, 0);
    }
    SunLightTarget target;
    LoadSky(description);
    struct Frame {
        float ambientRed;
        int sunByte;
    };
    const Frame frames[] = {{25, 64},    {50, 128},  {75, 191},   {100, 255}, {125, 255},
                            {87.5, 223}, {75, 191},  {62.5, 159}, {50, 128},  {37.5, 96},
                            {25, 64},    {12.5, 32}, {0, 0},      {0, 0},     {25, 64}};
    int number = 0;
    for (const Frame& frame : frames) {
        ++number;
        device.ForgetCalls();
        sky.Update(1.25f);
        const D3DCOLOR red = static_cast<D3DCOLOR>(frame.ambientRed);
        const D3DCOLOR green = static_cast<D3DCOLOR>(frame.ambientRed / 2);
        const D3DCOLOR fogRed = static_cast<D3DCOLOR>(255.0f - frame.ambientRed);
        EXPECT_EQ(render.GetAmbient(), 0xFF000000 | red << 16 | green << 8) << "frame " << number;
        EXPECT_EQ(render.GetFogColour(), 0xFF000000 | fogRed << 16) << "frame " << number;
        EXPECT_EQ(RingColour(0) & 0xFFFFFF, red << 16 | 50) << "frame " << number;
        EXPECT_EQ(target.light.Diffuse.r, frame.sunByte / 256.0f) << "frame " << number;
        ASSERT_LT(CallIndex(Call("SetLight", {0})), device.Calls().size());
        EXPECT_EQ(device.Calls()[CallIndex(Call("SetLight", {0}))].light.Diffuse.r,
                  frame.sunByte / 256.0f);
    }
    EXPECT_EQ(target.submissions, 15);
}

// The light takes the sun quad's place from the update before; with no
// time passing the quad stays there.
TEST_F(DynamicSkyTest, TheSunLightShinesFromTheSunQuadTowardTheCentre)
{
    SunLightTarget target;
    LoadSky(ExampleSky(8, 2, 1, 1));
    sky.Update(0.0f);
    sky.Update(0.0f);
    D3DXVECTOR3 fromSun;
    D3DXVec3Normalize(&fromSun, &sky.GetQuads()[0]->GetPosition());
    fromSun = -fromSun;
    EXPECT_NEAR(target.light.Direction.x, fromSun.x, kTolerance);
    EXPECT_NEAR(target.light.Direction.y, fromSun.y, kTolerance);
    EXPECT_NEAR(target.light.Direction.z, fromSun.z, kTolerance);
    EXPECT_NEAR(D3DXVec3Length(&fromSun), 1.0f, kTolerance) << "the sun stands away from the centre";
}

TEST_F(DynamicSkyTest, OneUpdateDrawsInItsOrder)
{
    SkyscapeDescription description = ExampleSky(64, 5, 2, 2);
    SunLightTarget level;
    LoadSky(description);
    device.ForgetCalls();
    sky.Update(0.1f);
    std::vector<std::string> order;
    for (const std::string& call : device.CallTexts()) {
        for (const char* kind : {"SetRenderState(34,", "SetRenderState(139,", "VertexBuffer.Lock",
                                 "DrawIndexedPrimitive", "SetLight", "Clear"}) {
            if (call.compare(0, std::strlen(kind), kind) == 0) order.push_back(call);
        }
    }
    const std::string quadLock = "VertexBuffer" + Call(".Lock", {0, 4 * 48, 0});
    const std::string quadDraw = Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2});
    EXPECT_EQ(order, (std::vector<std::string>{
                         Call("SetRenderState", {D3DRS_FOGCOLOR, render.GetFogColour()}),
                         Call("SetRenderState", {D3DRS_AMBIENT, render.GetAmbient()}),
                         "VertexBuffer" + Call(".Lock", {0, 1105 * 48, 0}),
                         Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, 1105, 0, 2048}),
                         Call("SetLight", {0}), quadLock, quadDraw, quadLock, quadDraw,
                         Call("Clear", {0, D3DCLEAR_ZBUFFER, 0xFF000000, 0})}));
    EXPECT_EQ(device.CallTexts().back(), order.back()) << "the depth clear comes last";
    EXPECT_EQ(device.Calls().back().z, 1.0f);
}

TEST_F(DynamicSkyTest, TheDrawnDomeTurnsAboutItsCentre)
{
    SkyscapeDescription description = ExampleSky(8, 2, 1, 0);
    description.states[0].turnDegrees = 90.0f;
    LoadSky(description);
    sky.Update(0.0f);
    const D3DXVECTOR3 centre(1, 2, 3);
    const D3DXVECTOR3 source = sky.GetSourceVertices()[0].position - centre;
    const D3DXVECTOR3 turned = sky.GetWorkingVertices()[0].position - centre;
    EXPECT_NEAR(turned.x, source.y, kTolerance) << "turned back by a quarter about z";
    EXPECT_NEAR(turned.y, -source.x, kTolerance);
    std::vector<unsigned char> uploaded;
    for (const DeviceCall& call : device.Calls()) {
        if (call.text == "VertexBuffer.Unlock" && call.vertices.size() == 27 * 48)
            uploaded = call.vertices;
    }
    ASSERT_EQ(uploaded.size(), 27u * 48u);
    Vertex48 first;
    std::memcpy(&first, uploaded.data(), sizeof(first));
    EXPECT_EQ(first.position, sky.GetWorkingVertices()[0].position);
}

struct PhaseCase {
    const char* name;
    std::vector<float> weights;
    float mean;
    float spread;
    std::vector<int> allowed; // indices the draws may choose
};

class DynamicSkyPhases : public DynamicSkyTest, public testing::WithParamInterface<PhaseCase> {};

TEST_P(DynamicSkyPhases, DrawsAnotherAcceptedPhaseOrStays)
{
    const PhaseCase& phaseCase = GetParam();
    std::vector<SkySequenceEntry> phases;
    for (size_t index = 0; index < phaseCase.weights.size(); ++index) {
        SkySequenceEntry phase;
        phase.meanLength = phaseCase.mean;
        phase.variation = phaseCase.spread;
        phase.probability = phaseCase.weights[index];
        phase.cloudGroup = "group" + std::to_string(index);
        phases.push_back(phase);
    }
    WritePhases(phases);
    std::srand(12345);
    LoadSky(ExampleSky(8, 2, 1, 0));
    const float shortest = phaseCase.mean - phaseCase.mean * phaseCase.spread;
    const float longest = phaseCase.mean + phaseCase.mean * phaseCase.spread;
    for (int change = 0; change < 40; ++change) {
        const int before = sky.GetPhaseIndex();
        EXPECT_GE(sky.GetPhaseLength(), shortest);
        EXPECT_LE(sky.GetPhaseLength(), longest);
        const float length = sky.GetPhaseLength();
        const float steps = (length - shortest) / 0.1f;
        EXPECT_NEAR(steps, std::round(steps), 1e-2f) << "lengths come in steps of 0.1";
        sky.Update((length - sky.GetPhaseClock()) / sky.GetSkySpeed() + 0.01f);
        const int after = sky.GetPhaseIndex();
        EXPECT_NE(std::find(phaseCase.allowed.begin(), phaseCase.allowed.end(), after),
                  phaseCase.allowed.end())
            << "chose " << after;
        if (phaseCase.allowed.size() > 1) {
            EXPECT_NE(after, before);
        }
        EXPECT_EQ(sky.GetPhaseClock(), 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DynamicSkyPhases,
    testing::Values(
        PhaseCase{"TwoPhasesTakeTurns", {1.0f, 1.0f}, 10.0f, 0.5f, {0, 1}},
        PhaseCase{"NegativeWeightsAreNeverChosen", {1.0f, -1.0f, 0.0f}, 10.0f, 0.5f, {0, 2}},
        PhaseCase{"OnePhaseStays", {1.0f}, 10.0f, 0.5f, {0}},
        PhaseCase{"NoOtherAcceptablePhaseStays", {1.0f, -0.5f, -1.0f}, 10.0f, 0.5f, {0}},
        PhaseCase{"TooSmallASpreadGivesTheShortestLength", {1.0f, 1.0f}, 10.0f, 0.001f, {0, 1}}),
    [](const testing::TestParamInfo<PhaseCase>& info) { return std::string(info.param.name); });

TEST_F(DynamicSkyTest, ThePhaseStopsFadingInWhenItsEndIsNear)
{
    SkySequenceEntry phase;
    phase.fadeTime = 3.0f;
    phase.meanLength = 10.0f;
    WritePhases({phase});
    LoadSky(ExampleSky(8, 2, 1, 0));
    EXPECT_EQ(sky.GetPhaseLength(), 10.0f);
    sky.Update(3.0f); // 6 scaled seconds: 4 left
    EXPECT_TRUE(sky.IsFadingIn());
    EXPECT_EQ(sky.GetFadeClock(), 3.0f) << "capped at the fade time";
    sky.Update(0.5f); // 3 left
    EXPECT_FALSE(sky.IsFadingIn());
    sky.Update(0.5f);
    EXPECT_EQ(sky.GetFadeClock(), 2.0f);
}

// A phase that stays, as the only one or the only acceptable one, is chosen
// again at its end and fades in again.
TEST_F(DynamicSkyTest, APhaseChosenAgainFadesInAgain)
{
    SkySequenceEntry phase;
    phase.fadeTime = 3.0f;
    phase.meanLength = 10.0f;
    phase.probability = 1.0f;
    SkySequenceEntry refused = phase;
    refused.probability = -1.0f;
    for (const std::vector<SkySequenceEntry>& phases :
         {std::vector<SkySequenceEntry>{phase}, std::vector<SkySequenceEntry>{phase, refused}}) {
        CPDynamicSky again;
        WritePhases(phases);
        WriteSky("sky.txt", ExampleSky(8, 2, 1, 0));
        again.Load("sky.txt");
        ASSERT_TRUE(again.IsLoaded());
        again.Update(4.5f); // 9 of 10 scaled seconds
        EXPECT_FALSE(again.IsFadingIn());
        again.Update(1.0f); // past the end
        EXPECT_EQ(again.GetPhaseIndex(), 0);
        EXPECT_EQ(again.GetPhaseClock(), 0.0f);
        EXPECT_TRUE(again.IsFadingIn()) << phases.size() << " phases";
        EXPECT_EQ(again.GetFadeClock(), 0.0f);
        again.Update(0.5f);
        EXPECT_EQ(again.GetFadeClock(), 1.0f);
    }
}

TEST_F(DynamicSkyTest, AmbientKeepsTheLowByteAndTheFullChannel)
{
    SetSkyAmbient(300.0f, 0.0f, 51.0f);
    EXPECT_EQ(render.GetAmbient(), 0xFF2C0033u);
    EXPECT_FLOAT_EQ(render.GetAmbientColour().r, 300.0f / 255.0f);
    EXPECT_EQ(device.CallTexts().back(), Call("SetRenderState", {D3DRS_AMBIENT, 0xFF2C0033u}));
    SetSkyFogColour(1.0f, 2.9f, 255.0f);
    EXPECT_EQ(render.GetFogColour(), 0xFF0102FFu);
    EXPECT_EQ(device.CallTexts().back(), Call("SetRenderState", {D3DRS_FOGCOLOR, 0xFF0102FFu}));

    // 2147483520 is the largest float below 2^31 (0x7FFFFF80); every float
    // from 2^31 on is a multiple of 256, so its low byte is 0, as is NaN's.
    SetSkyAmbient(2147483520.0f, std::numeric_limits<float>::quiet_NaN(), -300.0f);
    EXPECT_EQ(render.GetAmbient(), 0xFF8000D4u);
    SetSkyFogColour(2147483648.0f, -std::numeric_limits<float>::infinity(), 1e20f);
    EXPECT_EQ(render.GetFogColour(), 0xFF000000u);
}

TEST_F(DynamicSkyTest, TheSunLightIsStoredInSteps)
{
    {
        SunLightTarget target;
        SetSunLight(D3DXVECTOR3(0.0f, 3.0f, -4.0f), D3DXCOLOR(1.0f, 0.5f, -0.2f, 1.0f));
        EXPECT_NEAR(target.light.Direction.y, 0.6f, kTolerance);
        EXPECT_NEAR(target.light.Direction.z, -0.8f, kTolerance);
        EXPECT_EQ(target.light.Diffuse.r, 255.0f / 256.0f);
        EXPECT_EQ(target.light.Diffuse.g, 128.0f / 256.0f);
        EXPECT_EQ(target.light.Diffuse.b, 0.0f);
        EXPECT_EQ(target.light.Diffuse.a, 0.0f);
        EXPECT_EQ(target.light.Specular.g, 128.0f / 256.0f);
        EXPECT_EQ(device.Calls()[0].text, Call("SetLight", {0}));
    }
    device.ForgetCalls();
    SetSunLight(D3DXVECTOR3(0.0f, 0.0f, 1.0f), D3DXCOLOR(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(device.CallTexts().front(), Call("LightEnable", {0, FALSE}))
        << "without a level only the lights are applied";
    device.ForgetCalls();
    ClearSkyDepth();
    EXPECT_EQ(device.CallTexts(),
              (std::vector<std::string>{Call("Clear", {0, D3DCLEAR_ZBUFFER, 0xFF000000, 0})}));
}

TEST_F(DynamicSkyTest, TheInstalledMakerBuildsTheRenderersSky)
{
    // The renderer destroys its last sky through the maker.
    static CPDynamicSkyMaker maker;
    render.SetSkyMaker(&maker);
    WriteSky("skyscape3.txt", ExampleSky(8, 2, 1, 0));
    render.SetSky(3);
    ASSERT_NE(render.GetSky(), nullptr);
    EXPECT_TRUE(render.GetSky()->IsLoaded());
    render.SetSky(4);
    ASSERT_NE(render.GetSky(), nullptr);
    EXPECT_FALSE(render.GetSky()->IsLoaded()) << "a missing file makes an empty sky";
}

} // namespace
