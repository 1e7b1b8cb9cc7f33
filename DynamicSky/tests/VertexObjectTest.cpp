#include "DynamicSky/PVolumeCloud.h"
#include "DynamicSky/VertexObject.h"
#include "DynamicSky/tests/SkyTestSupport.h"

#include <cstring>

namespace {

using VertexObjectTest = SkyTest;

std::vector<Vertex48> Vertices(size_t count, float x)
{
    std::vector<Vertex48> vertices(count);
    for (size_t index = 0; index < count; ++index) {
        vertices[index].position = D3DXVECTOR3(x + index, 2.0f * index, -1.0f);
        vertices[index].diffuse = 0xFF000000 | static_cast<D3DCOLOR>(index);
    }
    return vertices;
}

const std::vector<uint16_t> kSevenIndices = {0, 1, 2, 0, 2, 3, 1};

// The bytes a buffer's last unlock in the recorded calls handed over.
std::vector<unsigned char> LastUnlocked(const RecordingDevice& device, const std::string& buffer)
{
    const std::vector<DeviceCall>& calls = device.Calls();
    for (auto call = calls.rbegin(); call != calls.rend(); ++call) {
        if (call->text == buffer + ".Unlock") return call->vertices;
    }
    return {};
}

std::vector<unsigned char> Bytes(const std::vector<Vertex48>& vertices)
{
    const unsigned char* begin = reinterpret_cast<const unsigned char*>(vertices.data());
    return std::vector<unsigned char>(begin, begin + vertices.size() * sizeof(Vertex48));
}

TEST_F(VertexObjectTest, MakesItsBuffersOnceAndLocksExactlyTheGeometry)
{
    CPVertexObject object;
    EXPECT_EQ(object.SetGeometry(Vertices(4, 0.0f), kSevenIndices, false), 0);
    EXPECT_EQ(device.CallTexts(),
              (std::vector<std::string>{
                  Call("CreateVertexBuffer", {960000, D3DUSAGE_WRITEONLY, 0x2D2, D3DPOOL_MANAGED}),
                  Call("CreateIndexBuffer",
                       {120000, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED}),
                  "VertexBuffer" + Call(".Lock", {0, 4 * 48, 0}),
                  "IndexBuffer" + Call(".Lock", {0, 7 * 2, 0}), "IndexBuffer.Unlock",
                  "VertexBuffer.Unlock"}));
    device.ForgetCalls();
    EXPECT_EQ(object.SetGeometry(Vertices(2, 5.0f), {0, 1, 1}, false), 0);
    EXPECT_EQ(device.CallTexts(),
              (std::vector<std::string>{"VertexBuffer" + Call(".Lock", {0, 2 * 48, 0}),
                                        "IndexBuffer" + Call(".Lock", {0, 3 * 2, 0}),
                                        "IndexBuffer.Unlock", "VertexBuffer.Unlock"}));
    EXPECT_EQ(LastUnlocked(device, "VertexBuffer"), Bytes(Vertices(2, 5.0f)));
}

TEST_F(VertexObjectTest, KeepingTheWorkingListUploadsItForTheSourceCount)
{
    CPVertexObject object;
    object.SetGeometry(Vertices(3, 0.0f), kSevenIndices, false);
    D3DXMATRIX shift;
    D3DXMatrixTranslation(&shift, 10.0f, 0.0f, 0.0f);
    object.TransformVertices(shift);
    const std::vector<Vertex48> turned = object.GetWorkingVertices();
    EXPECT_EQ(turned[2].position, D3DXVECTOR3(12.0f, 4.0f, -1.0f));
    EXPECT_EQ(turned[2].diffuse, 0xFF000002u) << "only positions change";

    object.SetGeometry(Vertices(2, 0.0f), kSevenIndices, true);
    EXPECT_EQ(object.GetWorkingVertices().size(), 3u);
    EXPECT_EQ(LastUnlocked(device, "VertexBuffer"),
              Bytes(std::vector<Vertex48>(turned.begin(), turned.begin() + 2)));

    // A working list shorter than the new source is filled from the source.
    object.SetGeometry(Vertices(5, 7.0f), kSevenIndices, true);
    std::vector<Vertex48> expected(turned);
    const std::vector<Vertex48> source = Vertices(5, 7.0f);
    expected.insert(expected.end(), source.begin() + 3, source.end());
    EXPECT_EQ(LastUnlocked(device, "VertexBuffer"), Bytes(expected));
}

TEST_F(VertexObjectTest, RefusesGeometryItCannotHoldAndKeepsTheOld)
{
    CPVertexObject object;
    object.SetGeometry(Vertices(3, 0.0f), kSevenIndices, false);
    device.ForgetCalls();
    EXPECT_EQ(object.SetGeometry(Vertices(20001, 0.0f), kSevenIndices, false), E_FAIL);
    EXPECT_EQ(object.SetGeometry(Vertices(3, 0.0f), std::vector<uint16_t>(60001), false), E_FAIL);
    EXPECT_TRUE(device.CallTexts().empty());
    EXPECT_EQ(object.GetSourceVertices().size(), 3u);
    EXPECT_EQ(object.GetIndices(), kSevenIndices);
    EXPECT_EQ(object.SetGeometry(Vertices(20000, 0.0f), std::vector<uint16_t>(60000), false), 0);
}

TEST_F(VertexObjectTest, FailedBuffersOrLocksLeaveNothingLocked)
{
    CPVertexObject unbuffered;
    device.SetCreateResult(E_OUTOFMEMORY);
    EXPECT_EQ(unbuffered.SetGeometry(Vertices(3, 0.0f), kSevenIndices, false), E_FAIL);
    EXPECT_TRUE(unbuffered.GetSourceVertices().empty());

    device.SetCreateResult(D3D_OK);
    device.SetLockResult(D3DERR_INVALIDCALL);
    CPVertexObject unlockable;
    device.ForgetCalls();
    EXPECT_EQ(unlockable.SetGeometry(Vertices(3, 0.0f), kSevenIndices, false), D3DERR_INVALIDCALL);
    EXPECT_EQ(CallsFrom("VertexBuffer"),
              (std::vector<std::string>{"VertexBuffer" + Call(".Lock", {0, 3 * 48, 0})}));
}

// The first effect, the second, or none; with either effect, passes.
struct DrawCase {
    const char* name;
    bool device;
    int firstEffectPasses;  // -1: no effect
    int secondEffectPasses; // -1: no effect
    bool useSecond;
    HRESULT result;
    int draws;
    std::vector<std::string> journal; // of the chosen effect
};

class VertexObjectDraw : public SkyTest, public testing::WithParamInterface<DrawCase> {};

TEST_P(VertexObjectDraw, DrawsThroughTheChosenEffectOrWithoutOne)
{
    const DrawCase& drawCase = GetParam();
    CPVertexObject object;
    object.SetGeometry(Vertices(4, 0.0f), kSevenIndices, false);
    if (drawCase.firstEffectPasses >= 0) {
        WriteEffect("Data\\Effects\\first.fx", "first", drawCase.firstEffectPasses);
        object.LoadEffect("Data\\Effects\\first.fx");
    }
    if (drawCase.secondEffectPasses >= 0) {
        WriteEffect("Data\\Effects\\second.fx", "second", drawCase.secondEffectPasses);
        object.LoadSecondEffect("Data\\Effects\\second.fx");
    }
    object.SetUseSecondEffect(drawCase.useSecond);
    if (!drawCase.device) g_VertexDrawer.SetDevice(nullptr);
    device.ForgetCalls();

    EXPECT_EQ(object.Draw(0.0f), drawCase.result);
    int draws = 0;
    for (const std::string& call : device.CallTexts()) {
        if (call == Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2})) ++draws;
    }
    EXPECT_EQ(draws, drawCase.draws);
    ID3DXEffect* chosen = drawCase.useSecond ? object.GetSecondEffect() : object.GetEffect();
    if (chosen) {
        std::vector<std::string> journal = static_cast<PassEffect*>(chosen)->journal;
        journal.erase(journal.begin(), journal.begin() + 2); // finding the technique
        EXPECT_EQ(journal, drawCase.journal);
    }
    if (drawCase.device && drawCase.draws > 0) {
        EXPECT_EQ(device.CallTexts()[0], Call("SetFVF", {0x2D2}));
        EXPECT_EQ(device.CallTexts()[1], Call("SetIndices"));
        EXPECT_NE(device.Calls()[1].resource, nullptr);
        EXPECT_EQ(device.CallTexts()[2], Call("SetStreamSource", {0, 0, 48}));
        EXPECT_NE(device.Calls()[2].resource, nullptr);
        EXPECT_EQ(device.CallTexts()[3], Call("SetTransform", {D3DTS_WORLD}));
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        EXPECT_EQ(D3DXMATRIX(device.Calls()[3].matrix), identity) << "the sky is placed in world space";
    }
}

const std::vector<std::string> kTwoPasses = {
    "SetTexture tex0 none", "Begin 0", "BeginPass 0", "EndPass", "BeginPass 1", "EndPass", "End"};

INSTANTIATE_TEST_SUITE_P(
    Cases, VertexObjectDraw,
    testing::Values(DrawCase{"NoDevice", false, 1, -1, false, E_FAIL, 0, {}},
                    DrawCase{"NoFirstEffect", true, -1, 2, false, D3D_OK, 1, {}},
                    DrawCase{"NoSecondEffect", true, 2, -1, true, E_FAIL, 0, {}},
                    DrawCase{"FirstEffectPasses", true, 2, 1, false, D3D_OK, 2, kTwoPasses},
                    DrawCase{"SecondEffectPasses", true, 1, 2, true, D3D_OK, 2, kTwoPasses},
                    DrawCase{"EffectWithoutPasses",
                             true,
                             0,
                             -1,
                             false,
                             E_FAIL,
                             0,
                             {"SetTexture tex0 none", "Begin 0", "End"}}),
    [](const testing::TestParamInfo<DrawCase>& info) { return std::string(info.param.name); });

TEST_F(VertexObjectTest, WithoutAnEffectDrawsItsOwnTextureUnlitAndBlended)
{
    CPVertexObject object;
    object.SetGeometry(Vertices(4, 0.0f), kSevenIndices, false);
    device.ForgetCalls();
    object.Draw(0.0f);
    const std::vector<DeviceCall>& calls = device.Calls();
    ASSERT_GT(calls.size(), 5u);
    EXPECT_EQ(calls[4].text, Call("SetTexture", {0})) << "after the world matrix";
    EXPECT_EQ(calls[4].texture, nullptr);
    const std::vector<std::string> texts = device.CallTexts();
    for (const std::string& state :
         {Call("SetTextureStageState", {0, D3DTSS_COLOROP, D3DTOP_MODULATE}),
          Call("SetRenderState", {D3DRS_LIGHTING, FALSE}),
          Call("SetRenderState", {D3DRS_ALPHABLENDENABLE, TRUE}),
          Call("SetRenderState", {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA}),
          Call("SetRenderState", {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA})}) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), state), texts.end()) << state;
    }
    EXPECT_EQ(texts.back(), Call("DrawIndexedPrimitive", {D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2}));
}

TEST_F(VertexObjectTest, LoadingAnEffectReleasesTheOldOneEvenWhenTheFileIsMissing)
{
    CPVertexObject object;
    WriteEffect("Data\\Effects\\first.fx", "first", 1);
    EXPECT_EQ(object.LoadEffect("Data\\Effects\\first.fx"), D3D_OK);
    PassEffect* first = effects.effects.back();
    EXPECT_EQ(first->journal,
              (std::vector<std::string>{"FindNextValidTechnique", "SetTechnique first"}));
    EXPECT_EQ(object.LoadEffect("Data\\Effects\\missing.fx"), E_FAIL);
    EXPECT_EQ(object.GetEffect(), nullptr);
    EXPECT_EQ(first->references, 0u);

    WriteFile("Data\\Effects\\broken.fx", "not an effect");
    EXPECT_EQ(object.LoadSecondEffect("Data\\Effects\\broken.fx"), E_FAIL);
    EXPECT_EQ(object.GetSecondEffect(), nullptr);
}

TEST_F(VertexObjectTest, TellsItsEffectsOfDeviceLoss)
{
    CPVertexObject object;
    WriteEffect("Data\\Effects\\first.fx", "first", 1);
    object.LoadEffect("Data\\Effects\\first.fx");
    object.LoadSecondEffect("Data\\Effects\\first.fx");
    object.OnLostDevice();
    object.OnResetDevice();
    for (PassEffect* effect : effects.effects) {
        EXPECT_EQ(std::vector<std::string>(effect->journal.end() - 2, effect->journal.end()),
                  (std::vector<std::string>{"OnLostDevice", "OnResetDevice"}));
    }
}

TEST_F(VertexObjectTest, AMissingTextureAnswersZeroAndKeepsNone)
{
    CPVertexObject object;
    EXPECT_EQ(object.LoadTexture("Data\\Textures\\missing.tga"), 0);
    EXPECT_EQ(object.GetTexture(), nullptr);
}

TEST_F(VertexObjectTest, AVolumeCloudIsMadeWithoutItsFiles)
{
    CPVolumeCloud cloud;
    EXPECT_EQ(cloud.GetTexture(), nullptr);
    EXPECT_EQ(cloud.GetEffect(), nullptr);
    EXPECT_TRUE(cloud.GetNodes().empty());
}

} // namespace
