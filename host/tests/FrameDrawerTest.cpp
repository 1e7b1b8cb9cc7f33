#include "host/FrameDrawer.h"
#include "host/MotionBlur.h"
#include "host/RenderQueueRing.h"

#include "DynamicSky/PDynamicSky.h"
#include "Render/PIVertexBuffer.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/PRenderQueue.h"
#include "Render/tests/FixedDrawable.h"
#include "Render/tests/RecordingDevice.h"
#include "core/PGameObject.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// An empty sky of the host's kind, which its frame step leaves as it is.
class EmptySkyMaker : public IPSkyMaker {
public:
    CPDynamicSky* MakeSky(const std::string&) override { return new CPDynamicSky(); }
    void DestroySky(CPDynamicSky* sky) override { delete sky; }
};

class FrameDrawing : public testing::Test {
protected:
    FrameDrawing()
    {
        g_screenWidth = 640;
        g_screenHeight = 480;
        render.SetDevice(device.Get());
        render.SetMaxFade(255);
        camera.SetEye(D3DXVECTOR3(-3.0f, -4.0f, 2.0f));
        camera.SetTarget(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        camera.SetUp(D3DXVECTOR3(0.0f, 0.0f, 1.0f));
        camera.SetFieldOfView(1.0f);
        camera.SetNearPlane(1.0f);
        camera.SetFarPlane(100.0f);
        camera.UpdateMatrices();
    }

    // Where each call first appears in the recording.
    size_t PositionOf(const std::string& call) const
    {
        const std::vector<std::string> calls = device.CallTexts();
        return static_cast<size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
    }

    // The world camera at 16 and the screen camera of a 640 x 480 screen at 195.
    void ListWorldAndScreenCameras()
    {
        D3DXMatrixOrthoOffCenterLH(&orthographic, 0.0f, 640.0f, 480.0f, 0.0f, 0.0f, 1.0f);
        screen.SetViewMatrix(orthographic);
        render.AddToRenderList(16, &camera);
        render.AddToRenderList(195, &screen);
    }

    // Where each of the calls stands in the recording.
    std::vector<size_t> PositionsOf(const std::string& call) const
    {
        std::vector<size_t> positions;
        const std::vector<std::string> calls = device.CallTexts();
        for (size_t index = 0; index < calls.size(); ++index) {
            if (calls[index] == call) positions.push_back(index);
        }
        return positions;
    }

    // Whether the call was made at a place in [from, to).
    bool CalledBetween(const std::string& call, size_t from, size_t to) const
    {
        const std::vector<std::string> calls = device.CallTexts();
        return std::find(calls.begin() + from, calls.begin() + to, call) != calls.begin() + to;
    }

    RecordingDevice device;
    CPPerspectiveCamera camera;
    CPBaseCamera screen;
    D3DXMATRIX orthographic;
    EmptySkyMaker skyMaker;
    CPRender render;
};

std::string BlockDraw(int vertices)
{
    return Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, static_cast<unsigned long>(vertices), 0, 1});
}

TEST_F(FrameDrawing, WorldLinesDrawBeforeTheScreenCameraAndTheFadeLast)
{
    ListWorldAndScreenCameras();
    render.SetFogColour(0xFF336699);
    render.AddLine(0xFFFF0000, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    render.SetFade(0.5f);

    FrameDrawer(render).Draw();

    const std::vector<DeviceCall>& calls = device.Calls();
    EXPECT_EQ(calls.front().text, Call("Clear", {0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 0}));
    EXPECT_EQ(calls.back().text, Call("EndScene"));
    const size_t lines = PositionOf(Call("DrawPrimitiveUP", {D3DPT_LINELIST, 1, sizeof(Vertex48)}));
    const size_t fade = PositionOf(Call("DrawPrimitiveUP", {D3DPT_TRIANGLESTRIP, 2, sizeof(LoadingScreenVertex)}));
    const std::vector<size_t> projections = PositionsOf(Call("SetTransform", {D3DTS_PROJECTION}));
    ASSERT_EQ(projections.size(), 2u);
    EXPECT_EQ(memcmp(&calls[projections[0]].matrix, &camera.GetProjectionMatrix(), sizeof(D3DMATRIX)), 0);
    EXPECT_EQ(memcmp(&calls[projections[1]].matrix, &orthographic, sizeof(D3DMATRIX)), 0);
    EXPECT_LT(projections[0], lines);
    EXPECT_LT(lines, projections[1]) << "the lines draw with the world camera";
    EXPECT_LT(projections[1], fade);
    EXPECT_EQ(calls[fade].vertices.size(), 4 * sizeof(LoadingScreenVertex));
    LoadingScreenVertex corner;
    memcpy(&corner, calls[fade].vertices.data(), sizeof(corner));
    EXPECT_EQ(corner.colour, 0x7F000000u);
    EXPECT_FALSE(render.HasLines());
    EXPECT_TRUE(render.GetLines().empty());
}

// Blocks of types 3 and 20 fall to the world camera at 16 (the first entry
// also rules below its key), the interface's type 200 to the screen camera
// at 195, after the lines.
TEST_F(FrameDrawing, QueueBlocksDrawUnderTheEntryOfTheirTypeTheScreenLayerUnlitAndBlended)
{
    // The queue's blocks hold their materials, so the queue goes first.
    std::vector<std::unique_ptr<CPMaterial>> materials;
    std::vector<std::unique_ptr<FixedDrawable>> drawables;
    device.SetCreateResult(D3D_OK);
    RenderQueueRing queue(render);
    std::vector<std::unique_ptr<CPGameObject>> objects;
    ListWorldAndScreenCameras();
    render.AddLine(0xFFFF0000, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    render.SetFade(255.0f);
    struct {
        int type;
        int vertices;
    } const blocks[] = {{200, 4}, {20, 5}, {3, 3}};
    for (const auto& block : blocks) {
        materials.emplace_back(new CPMaterial(block.type, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>()));
        drawables.emplace_back(new FixedDrawable(block.vertices, 3));
        drawables.back()->material = materials.back().get();
        objects.emplace_back(new CPGameObject("block"));
        objects.back()->SetComponent(CPGameObject::kKindMesh, drawables.back().get());
        queue.GetQueue().AddObject(objects.back().get());
    }
    device.ForgetCalls();

    FrameDrawer(render).Draw();

    const std::vector<DeviceCall>& calls = device.Calls();
    const std::vector<size_t> projections = PositionsOf(Call("SetTransform", {D3DTS_PROJECTION}));
    ASSERT_EQ(projections.size(), 2u);
    const size_t low = PositionOf(BlockDraw(3));
    const size_t world = PositionOf(BlockDraw(5));
    const size_t lines = PositionOf(Call("DrawPrimitiveUP", {D3DPT_LINELIST, 1, sizeof(Vertex48)}));
    const size_t panel = PositionOf(BlockDraw(4));
    ASSERT_LT(panel, calls.size());
    EXPECT_LT(projections[0], low);
    EXPECT_LT(low, world) << "blocks draw in ascending material type";
    EXPECT_LT(world, lines);
    EXPECT_LT(lines, projections[1]);
    EXPECT_LT(projections[1], panel) << "the interface draws with the screen camera";
    for (const std::string& state :
         {Call("SetRenderState", {D3DRS_LIGHTING, FALSE}), Call("SetRenderState", {D3DRS_ALPHABLENDENABLE, TRUE}),
          Call("SetRenderState", {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}),
          Call("SetRenderState", {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}),
          Call("SetTextureStageState", {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE})}) {
        EXPECT_TRUE(CalledBetween(state, projections[1], panel)) << state;
        EXPECT_FALSE(CalledBetween(state, projections[0], world)) << state << " is only the screen layer's";
    }
    EXPECT_EQ(queue.GetQueue().GetFrameBlockCount(), 0) << "the frame's blocks are emptied";
}

TEST_F(FrameDrawing, AFrameThatCannotBeDrawnStillEmptiesItsState)
{
    FixedDrawable drawable(3, 3);
    device.SetCreateResult(D3D_OK);
    RenderQueueRing queue(render);
    CPGameObject object("block");
    object.SetComponent(CPGameObject::kKindMesh, &drawable);
    queue.GetQueue().AddObject(&object);
    render.AddLine(0xFFFF0000, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(1.0f, 2.0f, 3.0f));
    device.ForgetCalls();
    FrameDrawer(render).EmptyFrameState();
    EXPECT_TRUE(device.CallTexts().empty());
    EXPECT_EQ(queue.GetQueue().GetFrameBlockCount(), 0);
    EXPECT_FALSE(render.HasLines());
    EXPECT_TRUE(render.GetLines().empty());
}

// Screens and the level submit lights every frame; the sky's frame step
// sets them on the device and empties the table. Without a sky the frame
// does that itself, and a frame that cannot be drawn drops them, so the
// table never fills with the lights of earlier frames.
TEST_F(FrameDrawing, TheFramesLightsReachTheDeviceWithoutASkyAndNeverPileUp)
{
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = D3DXVECTOR3(0.0f, 0.6f, -0.8f);
    ListWorldAndScreenCameras();
    render.AddLight(light);
    device.ForgetCalls();
    FrameDrawer(render).Draw();
    const std::vector<size_t> set = PositionsOf(Call("SetLight", {0}));
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(memcmp(&device.Calls()[set[0]].light, &light, sizeof(light)), 0);
    EXPECT_LT(PositionOf(Call("LightEnable", {0, TRUE})), device.Calls().size());
    EXPECT_EQ(render.GetLightCount(), 0);

    for (int frame = 0; frame < CPRender::kMaxLights + 1; ++frame) {
        render.AddLight(light);
        FrameDrawer(render).EmptyFrameState();
    }
    EXPECT_EQ(render.GetLightCount(), 0) << "frames that could not be drawn leave no lights behind";
}

// The world camera sees only 100 units far from an eye off the origin; the
// sky's dome lies further out around the origin. The sky is seen turned with
// the camera but from the origin, and far enough to hold its dome; the
// world then draws with the camera's own view and projection.
TEST_F(FrameDrawing, TheSkyIsSeenFromTheCamerasTurnWithTheFarLimitedProjection)
{
    render.SetSkyMaker(&skyMaker);
    render.SetSky(1);
    ListWorldAndScreenCameras();
    device.ForgetCalls();
    FrameDrawer(render).Draw();

    const std::vector<DeviceCall>& calls = device.Calls();
    const std::vector<size_t> views = PositionsOf(Call("SetTransform", {D3DTS_VIEW}));
    const std::vector<size_t> projections = PositionsOf(Call("SetTransform", {D3DTS_PROJECTION}));
    ASSERT_GE(views.size(), 2u);
    ASSERT_GE(projections.size(), 2u);
    EXPECT_EQ(memcmp(&calls[views[0]].matrix, &camera.GetRotationView(), sizeof(D3DMATRIX)), 0);
    EXPECT_EQ(memcmp(&calls[projections[0]].matrix, &camera.GetFarLimitedProjection(), sizeof(D3DMATRIX)), 0);
    EXPECT_EQ(memcmp(&calls[views[1]].matrix, &camera.GetViewMatrix(), sizeof(D3DMATRIX)), 0);
    EXPECT_EQ(memcmp(&calls[projections[1]].matrix, &camera.GetProjectionMatrix(), sizeof(D3DMATRIX)), 0);
}

TEST_F(FrameDrawing, TheQueueRingLetsItsBuffersGoForAResetAndMakesThemAgain)
{
    device.SetCreateResult(D3D_OK);
    RenderQueueRing queue(render);
    CPIVertexBuffer& ring = queue.GetRing();
    ASSERT_EQ(ring.GetRingSize(), RenderQueueRing::kRingSize);
    EXPECT_NE(ring.GetVertexBuffer(0), nullptr);
    EXPECT_EQ(render.GetStaticBatch().Get(), &ring) << "published through the renderer";
    device.ForgetCalls();
    queue.OnLostDevice();
    for (int pair = 0; pair < ring.GetRingSize(); ++pair) {
        EXPECT_EQ(ring.GetVertexBuffer(pair), nullptr);
        EXPECT_EQ(ring.GetIndexBuffer(pair), nullptr);
    }
    queue.OnResetDevice();
    const std::vector<std::string> made = device.CallTexts();
    EXPECT_EQ(std::count(made.begin(), made.end(),
                         Call("CreateVertexBuffer", {RenderQueueRing::kVertexCapacity * sizeof(Vertex48),
                                                     D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kVertex48FVF,
                                                     D3DPOOL_DEFAULT})),
              RenderQueueRing::kRingSize);
    EXPECT_NE(ring.GetIndexBuffer(RenderQueueRing::kRingSize - 1), nullptr);
}

TEST_F(FrameDrawing, TheViewProjectionIsTheWorldCamerasAndTheAmbientFollowsTheLightCoefficient)
{
    render.AddToRenderList(120, &camera);
    render.SetFade(1.0f);
    render.SetAmbient(0, 0.25f, 0.5f, 0.75f);
    render.SetLightCoeff(1.0f);
    device.ForgetCalls();
    FrameDrawer(render).Draw();

    D3DXVECTOR3 screen;
    render.WorldToScreen(&screen, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(screen.x, 320.0f, 0.01f);
    EXPECT_NEAR(screen.y, 240.0f, 0.01f);
    EXPECT_LT(PositionOf(Call("SetRenderState", {D3DRS_AMBIENT, 0xFF80FFFF})), device.Calls().size());
    EXPECT_EQ(PositionOf(Call("DrawPrimitiveUP", {D3DPT_TRIANGLESTRIP, 2, sizeof(LoadingScreenVertex)})),
              device.Calls().size())
        << "no fade at full brightness";
}

TEST(FadeAlpha, DarkensByWhatTheFadeLacks)
{
    const struct {
        float fade;
        int maximum;
        int alpha;
    } cases[] = {{255.0f, 255, 0}, {0.0f, 255, 255}, {127.5f, 255, 127}, {10.0f, 0, 0}, {300.0f, 255, 0}};
    for (const auto& row : cases) {
        EXPECT_EQ(FrameDrawer::FadeAlpha(row.fade, row.maximum), row.alpha) << row.fade << " of " << row.maximum;
    }
}

TEST(MotionBlurAlpha, IsTheBlendScaledByTheAmount)
{
    EXPECT_EQ(MotionBlur::BlendAlpha(255, 0.3f), 76);
    EXPECT_EQ(MotionBlur::BlendAlpha(150, 0.3f), 45);
    EXPECT_EQ(MotionBlur::BlendAlpha(255, 2.0f), 255);
    EXPECT_EQ(MotionBlur::BlendAlpha(255, -1.0f), 0);
}

} // namespace
