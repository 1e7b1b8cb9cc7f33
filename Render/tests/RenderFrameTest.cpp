#include "Render/PRender.h"
#include "Render/tests/RecordingDevice.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

class RenderFrame : public testing::Test {
protected:
    RenderFrame()
    {
        g_screenWidth = 640;
        g_screenHeight = 480;
        render.SetDevice(device.Get());
    }

    static D3DLIGHT9 Light(D3DLIGHTTYPE type, float range)
    {
        D3DLIGHT9 light = {};
        light.Type = type;
        light.Range = range;
        return light;
    }

    RecordingDevice device;
    CPRender render;
};

TEST_F(RenderFrame, AThirtyFirstLightIsDroppedAndTheFirstThirtyRemain)
{
    for (int index = 0; index <= CPRender::kMaxLights; ++index) {
        render.AddLight(Light(D3DLIGHT_POINT, static_cast<float>(index)));
    }
    ASSERT_EQ(render.GetLightCount(), 30);
    EXPECT_EQ(render.GetLight(0).Range, 0.0f);
    EXPECT_EQ(render.GetLight(29).Range, 29.0f);
}

TEST_F(RenderFrame, ApplyLightsEnablesTheCollectedLightsAndDisablesTheRest)
{
    render.AddLight(Light(D3DLIGHT_DIRECTIONAL, 1.0f));
    render.AddLight(Light(D3DLIGHT_POINT, 2.0f));
    render.AddLight(Light(D3DLIGHT_DIRECTIONAL, 3.0f));
    render.ApplyLights();

    std::vector<std::string> expected;
    for (unsigned long index = 0; index < 3; ++index) {
        expected.push_back(Call("SetLight", {index}));
        expected.push_back(Call("LightEnable", {index, 1}));
    }
    for (unsigned long index = 3; index < 30; ++index) {
        expected.push_back(Call("LightEnable", {index, 0}));
    }
    EXPECT_EQ(device.CallTexts(), expected);
    EXPECT_EQ(device.Calls()[2].light.Range, 2.0f);
    EXPECT_EQ(render.GetLightCount(), 0);
    EXPECT_EQ(render.GetDirectionalLight().Range, 3.0f) << "the last directional light wins";

    device.ForgetCalls();
    render.ApplyLights();
    expected.clear();
    for (unsigned long index = 0; index < 30; ++index) {
        expected.push_back(Call("LightEnable", {index, 0}));
    }
    EXPECT_EQ(device.CallTexts(), expected);
    EXPECT_EQ(render.GetDirectionalLight().Range, 3.0f);
}

struct FadeCase {
    int maximum;
    float factor;
    float fade;
};

class Fade : public testing::TestWithParam<FadeCase> {};

TEST_P(Fade, IsTheClampedFactorTimesTheMaximum)
{
    CPRender render;
    render.SetMaxFade(GetParam().maximum);
    render.SetFade(GetParam().factor);
    EXPECT_EQ(render.GetFade(), GetParam().fade);
}

const float kInfinity = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Factors, Fade,
    testing::Values(FadeCase{255, 1.5f, 255.0f}, FadeCase{255, -2.0f, 0.0f},
                    FadeCase{255, 0.5f, 127.5f}, FadeCase{255, 1.0f, 255.0f},
                    FadeCase{255, std::numeric_limits<float>::quiet_NaN(), 0.0f},
                    FadeCase{255, kInfinity, 255.0f}, FadeCase{255, -kInfinity, 0.0f},
                    FadeCase{-10, 0.5f, 0.0f}));

TEST_F(RenderFrame, ALineQueuesTwoVerticesOfItsColour)
{
    EXPECT_FALSE(render.HasLines());
    render.AddLine(0xFFFF0000, D3DXVECTOR3(1.0f, 2.0f, 3.0f), D3DXVECTOR3(4.0f, 5.0f, 6.0f));
    render.AddLine(0xFF00FF00, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 1.0f));

    EXPECT_TRUE(render.HasLines());
    const std::vector<Vertex48>& lines = render.GetLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].position, D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(lines[1].position, D3DXVECTOR3(4.0f, 5.0f, 6.0f));
    EXPECT_EQ(lines[1].diffuse, 0xFFFF0000u);
    EXPECT_EQ(lines[3].diffuse, 0xFF00FF00u);
    for (const Vertex48& vertex : lines) {
        EXPECT_EQ(vertex.normal, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        EXPECT_EQ(vertex.specular, 0u);
        EXPECT_EQ(vertex.tex0, D3DXVECTOR2(0.0f, 0.0f));
        EXPECT_EQ(vertex.tex1, D3DXVECTOR2(0.0f, 0.0f));
    }

    render.ClearLines();
    EXPECT_FALSE(render.HasLines());
    EXPECT_TRUE(render.GetLines().empty());
}

TEST_F(RenderFrame, WorldToScreenMapsClipSpaceOntoPixelsWithYDown)
{
    D3DXMATRIX view;
    D3DXMATRIX projection;
    D3DXMATRIX viewProjection;
    const D3DXVECTOR3 eye(0.0f, -10.0f, 2.0f);
    const D3DXVECTOR3 target(0.0f, 0.0f, 2.0f);
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2.0f, 1.0f, 1.0f, 100.0f);
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    render.SetViewProjection(viewProjection);

    struct Mapping {
        D3DXVECTOR3 world;
        float x;
        float y;
    };
    // Looking along +y with z up, +x lies to the left; 10 units ahead the
    // 90 degree view spans 10 units to each side.
    const Mapping mappings[] = {
        {D3DXVECTOR3(0.0f, 0.0f, 2.0f), 320.0f, 240.0f},
        {D3DXVECTOR3(-10.0f, 0.0f, 12.0f), 640.0f, 0.0f},
        {D3DXVECTOR3(5.0f, 0.0f, -3.0f), 160.0f, 360.0f},
    };
    for (const Mapping& mapping : mappings) {
        D3DXVECTOR3 screen(9.0f, 9.0f, 9.0f);
        EXPECT_EQ(render.WorldToScreen(&screen, mapping.world), &screen);
        EXPECT_NEAR(screen.x, mapping.x, 1e-3f);
        EXPECT_NEAR(screen.y, mapping.y, 1e-3f);
        EXPECT_EQ(screen.z, 0.0f);
    }

    // Points level with the eye have no projection: they land far off the
    // screen, beyond the edge on their own side (0 where any side will do).
    struct EyePlaneMapping {
        D3DXVECTOR3 world;
        int xSide;
        int ySide;
    };
    const EyePlaneMapping eyePlane[] = {
        {eye, 0, 0},
        {D3DXVECTOR3(5.0f, -10.0f, 2.0f), -1, 0},
        {D3DXVECTOR3(-5.0f, -10.0f, 3.0f), 1, 0},
        {D3DXVECTOR3(0.0f, -10.0f, 7.0f), 0, -1},
    };
    for (const EyePlaneMapping& mapping : eyePlane) {
        D3DXVECTOR3 screen;
        render.WorldToScreen(&screen, mapping.world);
        ASSERT_TRUE(std::isfinite(screen.x) && std::isfinite(screen.y));
        EXPECT_TRUE(screen.x < 0.0f || screen.x > 640.0f || screen.y < 0.0f || screen.y > 480.0f);
        if (mapping.xSide != 0) {
            EXPECT_GT((screen.x - 320.0f) * mapping.xSide, 320.0f);
        }
        if (mapping.ySide != 0) {
            EXPECT_GT((screen.y - 240.0f) * mapping.ySide, 240.0f);
        }
    }
}

// The vertices of the loading screen's two draws, read back from the calls.
std::vector<LoadingScreenVertex> DrawnQuad(const DeviceCall& call)
{
    std::vector<LoadingScreenVertex> vertices(call.vertices.size() / sizeof(LoadingScreenVertex));
    std::memcpy(vertices.data(), call.vertices.data(),
                vertices.size() * sizeof(LoadingScreenVertex));
    return vertices;
}

void ExpectVertex(const LoadingScreenVertex& vertex, float x, float y, D3DCOLOR colour, float u,
                  float v)
{
    EXPECT_FLOAT_EQ(vertex.x, x);
    EXPECT_FLOAT_EQ(vertex.y, y);
    EXPECT_EQ(vertex.z, 1.0f);
    EXPECT_EQ(vertex.rhw, 1.0f);
    EXPECT_EQ(vertex.colour, colour);
    EXPECT_FLOAT_EQ(vertex.u, u);
    EXPECT_FLOAT_EQ(vertex.v, v);
}

TEST_F(RenderFrame, TheLoadingScreenDrawsAndPresentsAWholeFrame)
{
    render.DrawLoadingScreen(50);

    const std::vector<std::string> expected = {
        Call("Clear", {0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0}),
        Call("BeginScene"),
        Call("SetTransform", {256}), Call("SetTransform", {3}), Call("SetTransform", {2}),
        Call("SetTextureStageState", {0, 1, 2}), Call("SetTextureStageState", {0, 4, 2}),
        Call("SetTextureStageState", {0, 2, 2}),
        Call("SetRenderState", {14, 0}), Call("SetRenderState", {7, 0}),
        Call("SetRenderState", {137, 0}), Call("SetRenderState", {22, 1}),
        Call("SetRenderState", {27, 1}), Call("SetRenderState", {28, 0}),
        Call("SetFVF", {0x144}),
        Call("SetTexture", {0}), Call("DrawPrimitiveUP", {D3DPT_TRIANGLESTRIP, 2, 28}),
        Call("SetTextureStageState", {0, 2, 2}), Call("SetTextureStageState", {0, 5, 2}),
        Call("SetTexture", {0}), Call("DrawPrimitiveUP", {D3DPT_TRIANGLESTRIP, 2, 28}),
        Call("EndScene"),
        Call("Present", {0, 0, 0, 0}),
    };
    ASSERT_EQ(device.CallTexts(), expected);

    const std::vector<DeviceCall>& calls = device.Calls();
    EXPECT_EQ(calls[0].z, 1.0f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (int index = 2; index <= 4; ++index) EXPECT_EQ(D3DXMATRIX(calls[index].matrix), identity);
    EXPECT_EQ(calls[15].texture, nullptr) << "a missing texture draws with none bound";

    std::vector<LoadingScreenVertex> background = DrawnQuad(calls[16]);
    ASSERT_EQ(background.size(), 4u);
    ExpectVertex(background[0], 639.5f, -0.5f, 0, 1.0f, 0.0f);
    ExpectVertex(background[1], 639.5f, 479.5f, 0, 1.0f, 0.75f);
    ExpectVertex(background[2], -0.5f, -0.5f, 0, 0.0f, 0.0f);
    ExpectVertex(background[3], -0.5f, 479.5f, 0, 0.0f, 0.75f);

    std::vector<LoadingScreenVertex> bar = DrawnQuad(calls[20]);
    ASSERT_EQ(bar.size(), 4u);
    ExpectVertex(bar[0], 512.0f, 758.0f, 0xFFFFFFFF, 50.0f, 0.0f);
    ExpectVertex(bar[1], 512.0f, 768.0f, 0xFFFFFFFF, 50.0f, 1.0f);
    ExpectVertex(bar[2], 0.0f, 758.0f, 0xFFFFFFFF, 0.0f, 0.0f);
    ExpectVertex(bar[3], 0.0f, 768.0f, 0xFFFFFFFF, 0.0f, 1.0f);
}

TEST_F(RenderFrame, NoProgressDrawsABarOfNoWidth)
{
    render.DrawLoadingScreen(0);
    std::vector<LoadingScreenVertex> bar = DrawnQuad(device.Calls()[20]);
    ASSERT_EQ(bar.size(), 4u);
    for (const LoadingScreenVertex& vertex : bar) {
        EXPECT_EQ(vertex.x, 0.0f);
        EXPECT_EQ(vertex.u, 0.0f);
    }
}

} // namespace
