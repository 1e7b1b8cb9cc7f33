#include "Render/PRender.h"
#include "Render/tests/RecordingDevice.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

unsigned long Bits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

std::string RenderState(unsigned long state, unsigned long value)
{
    return Call("SetRenderState", {state, value});
}

std::string StageState(unsigned long stage, unsigned long type, unsigned long value)
{
    return Call("SetTextureStageState", {stage, type, value});
}

std::string Sampler(unsigned long sampler, unsigned long type, unsigned long value)
{
    return Call("SetSamplerState", {sampler, type, value});
}

// The renderer on a recording device, with the screen and draw distance at
// their defaults.
class RenderStates : public testing::Test {
protected:
    RenderStates()
    {
        g_screenWidth = 640;
        g_screenHeight = 480;
        g_distance = 200;
        render.SetDevice(device.Get());
    }

    RecordingDevice device;
    CPRender render;
};

TEST_F(RenderStates, DefaultStatesIssueTheEngineDefaultsInOrder)
{
    render.SetAmbient(0xFF7F7F7F, 0.5f, 0.5f, 0.5f);
    render.SetFogColour(0xFF102030);
    device.ForgetCalls();

    render.SetDefaultStates();

    const std::vector<std::string> expected = {
        Call("SetTransform", {2}), Call("SetTransform", {3}),
        RenderState(29, 0), RenderState(137, 1), RenderState(27, 0), RenderState(7, 1),
        RenderState(14, 1), RenderState(19, 5), RenderState(20, 6),
        Sampler(0, 5, 2), Sampler(0, 6, 2), Sampler(0, 7, 2),
        Sampler(1, 5, 2), Sampler(1, 6, 2), Sampler(1, 7, 2),
        StageState(0, 1, 4), StageState(0, 2, 2), StageState(0, 3, 0),
        Sampler(0, 1, 1), Sampler(0, 2, 1),
        StageState(0, 4, 1), StageState(0, 5, 2), StageState(0, 6, 0),
        RenderState(23, 4), RenderState(26, 1), RenderState(136, 1), RenderState(22, 3),
        RenderState(139, 0xFF7F7F7F),
        Call("SetFVF", {0x2D2}),
        StageState(1, 1, 1), StageState(1, 4, 1), StageState(1, 2, 2), StageState(1, 3, 1),
        StageState(1, 5, 2), StageState(1, 6, 1),
        Sampler(1, 1, 3), Sampler(1, 2, 3),
        StageState(2, 1, 1), StageState(2, 4, 1),
        Call("SetMaterial"),
        RenderState(145, 0), RenderState(146, 0), RenderState(147, 0),
        RenderState(28, 0), RenderState(140, 3), RenderState(38, Bits(0.0f)),
        RenderState(36, Bits(50.0f)), RenderState(37, Bits(180.0f)),
        RenderState(34, 0xFF102030),
    };
    EXPECT_EQ(device.CallTexts(), expected);
}

TEST_F(RenderStates, DefaultTransformsAndMaterialCarryTheirValues)
{
    render.SetDefaultStates();
    const std::vector<DeviceCall>& calls = device.Calls();
    ASSERT_GE(calls.size(), 2u);

    D3DXMATRIX view;
    D3DXMATRIX projection;
    const D3DXVECTOR3 eye(0.0f, 0.0f, 14.5f);
    const D3DXVECTOR3 origin(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    D3DXMatrixLookAtLH(&view, &eye, &origin, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 1.0995574f, 1.3333334f, 0.1f, 1000.0f);
    EXPECT_EQ(std::memcmp(&calls[0].matrix, &view, sizeof(view)), 0);
    EXPECT_EQ(std::memcmp(&calls[1].matrix, &projection, sizeof(projection)), 0);

    for (const DeviceCall& call : calls) {
        if (call.text != "SetMaterial") continue;
        const D3DMATERIAL9& material = call.material;
        EXPECT_EQ(material.Diffuse.r, 1.0f);
        EXPECT_EQ(material.Diffuse.a, 1.0f);
        EXPECT_EQ(material.Ambient.g, 1.0f);
        EXPECT_EQ(material.Specular.b, 0.3f);
        EXPECT_EQ(material.Specular.a, 1.0f);
        EXPECT_EQ(material.Emissive.a, 0.0f);
        EXPECT_EQ(material.Power, 10.0f);
    }
}

TEST_F(RenderStates, FogEndsATenthShortOfTheDrawDistance)
{
    g_distance = 1000;
    render.SetDefaultStates();
    std::vector<std::string> texts = device.CallTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), RenderState(37, Bits(900.0f))), texts.end());
    g_distance = 200;
}

struct SamplerCase {
    float factor;
    std::vector<std::string> expected;
};

class SamplerFiltering : public RenderStates, public testing::WithParamInterface<SamplerCase> {};

TEST_P(SamplerFiltering, ChoosesTheFiltersFromTheAnisotropyFactor)
{
    render.SetMaxAnisotropy(16);
    render.SetAnisotropyFactor(GetParam().factor);
    render.SetSamplerStates();
    EXPECT_EQ(device.CallTexts(), GetParam().expected);
}

const std::vector<std::string> kLinearSamplers = {
    Sampler(0, 5, 2), Sampler(0, 6, 2), Sampler(0, 7, 2),
    Sampler(1, 5, 2), Sampler(1, 6, 2), Sampler(1, 7, 2),
};

std::vector<std::string> AnisotropicSamplers(unsigned long degree)
{
    return {Sampler(0, 5, 3), Sampler(0, 6, 3), Sampler(0, 7, 2), Sampler(0, 10, degree),
            Sampler(1, 5, 2), Sampler(1, 6, 2), Sampler(1, 7, 2)};
}

INSTANTIATE_TEST_SUITE_P(
    Factors, SamplerFiltering,
    testing::Values(SamplerCase{0.0f, kLinearSamplers}, SamplerCase{-1.0f, kLinearSamplers},
                    SamplerCase{std::numeric_limits<float>::quiet_NaN(), kLinearSamplers},
                    SamplerCase{0.5f, AnisotropicSamplers(8)},
                    SamplerCase{0.3f, AnisotropicSamplers(5)},
                    SamplerCase{2.0f, AnisotropicSamplers(16)}));

TEST_F(RenderStates, TheScreenCameraMapsScreenPixelsOntoClipSpace)
{
    g_screenWidth = 800;
    g_screenHeight = 600;
    render.SetDefaultStates();

    const RenderListEntry& entry = render.GetRenderList().at(195);
    ASSERT_NE(entry.view.Get(), nullptr);
    EXPECT_STREQ(entry.view->GetTypeName(), "CPBaseCamera");
    const D3DXMATRIX& projection = entry.view->GetViewMatrix();

    struct Mapping {
        D3DXVECTOR3 pixel;
        D3DXVECTOR3 clip;
    };
    const Mapping mappings[] = {
        {D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(-1.0f, 1.0f, 0.0f)},
        {D3DXVECTOR3(800.0f, 600.0f, 1.0f), D3DXVECTOR3(1.0f, -1.0f, 1.0f)},
        {D3DXVECTOR3(400.0f, 150.0f, 0.5f), D3DXVECTOR3(0.0f, 0.5f, 0.5f)},
    };
    for (const Mapping& mapping : mappings) {
        D3DXVECTOR3 clip;
        D3DXVec3TransformCoord(&clip, &mapping.pixel, &projection);
        EXPECT_NEAR(clip.x, mapping.clip.x, 1e-6f);
        EXPECT_NEAR(clip.y, mapping.clip.y, 1e-6f);
        EXPECT_NEAR(clip.z, mapping.clip.z, 1e-6f);
    }
    g_screenWidth = 640;
    g_screenHeight = 480;
}

TEST_F(RenderStates, EveryLevelLoadStoresANewScreenCameraUnderTheSameKey)
{
    render.SetDefaultStates();
    render.SetDefaultStates();
    ASSERT_EQ(render.GetRenderList().size(), 1u);
    const RenderListEntry& entry = render.GetRenderList().at(195);
    EXPECT_EQ(entry.useCount, 2);
    EXPECT_EQ(entry.key, 195);
    EXPECT_EQ(entry.view->GetRefCount(), 1);
}

TEST(RenderList, KeepsOneEntryPerKeyInKeyOrder)
{
    CPBaseCamera first;
    CPBaseCamera second;
    // Declared after the views so that its entries let go of them while
    // they still exist.
    CPRender render;
    D3DXMATRIX matrix;
    D3DXMatrixScaling(&matrix, 2.0f, 3.0f, 4.0f);

    render.AddToRenderList(120, &first);
    render.AddToRenderList(16, &first);
    render.AddToRenderList(16, &second);
    render.SetRenderListMatrix(matrix, 17);
    render.SetRenderListMatrix(matrix, 16);

    std::vector<int> keys;
    for (const auto& keyed : render.GetRenderList()) keys.push_back(keyed.first);
    EXPECT_EQ(keys, (std::vector<int>{16, 17, 120}));

    const RenderListEntry& sixteen = render.GetRenderList().at(16);
    EXPECT_EQ(sixteen.useCount, 3);
    EXPECT_EQ(sixteen.view.Get(), &second);
    EXPECT_TRUE(sixteen.hasMatrix);
    EXPECT_EQ(sixteen.matrix, matrix);

    const RenderListEntry& seventeen = render.GetRenderList().at(17);
    EXPECT_EQ(seventeen.useCount, 1);
    EXPECT_EQ(seventeen.view.Get(), nullptr);
    EXPECT_FALSE(render.GetRenderList().at(120).hasMatrix);
}

Vertex48 VertexAt(float x)
{
    Vertex48 vertex = {};
    vertex.position = D3DXVECTOR3(x, 0.0f, 0.0f);
    return vertex;
}

TEST_F(RenderStates, StaticMeshesAreSharedByNameWhateverTheLetterCase)
{
    const Vertex48 first[] = {VertexAt(1.0f), VertexAt(2.0f), VertexAt(3.0f)};
    const Vertex48 second[] = {VertexAt(7.0f)};
    const uint16_t indices[] = {0, 1, 2};

    StaticMeshBuffers* mesh = render.GetStaticMeshBuffers("Rock.P3D", first, indices, 3, 3);
    StaticMeshBuffers* again = render.GetStaticMeshBuffers("rock.p3d", second, indices, 1, 0);

    ASSERT_EQ(again, mesh);
    EXPECT_EQ(mesh->vertexCount, 3);
    EXPECT_EQ(mesh->triangleCount, 1);
    ASSERT_EQ(mesh->vertices.size(), 3u);
    EXPECT_EQ(mesh->vertices[2].position.x, 3.0f);
    EXPECT_EQ(mesh->indices, (std::vector<uint16_t>{0, 1, 2}));
}

TEST_F(RenderStates, StaticMeshBuffersAreMadeWriteOnlyInTheManagedPool)
{
    const Vertex48 vertices[] = {VertexAt(1.0f), VertexAt(2.0f)};
    const uint16_t indices[] = {0, 1, 1, 0, 1, 0};
    render.GetStaticMeshBuffers("mesh", vertices, indices, 2, 6);
    EXPECT_EQ(device.CallTexts(), (std::vector<std::string>{
                                      Call("CreateVertexBuffer", {96, 8, 0x2D2, 1}),
                                      Call("CreateIndexBuffer", {12, 8, 101, 1}),
                                  }));
}

TEST_F(RenderStates, StaticMeshBuffersThatCannotBeMadeStayNullAndKeepTheCopies)
{
    device.SetCreateResult(E_OUTOFMEMORY);
    const Vertex48 vertices[] = {VertexAt(1.0f)};
    const uint16_t indices[] = {0, 0, 0};
    StaticMeshBuffers* mesh = render.GetStaticMeshBuffers("mesh", vertices, indices, 1, 3);

    EXPECT_EQ(mesh->vertexBuffer, nullptr);
    EXPECT_EQ(mesh->indexBuffer, nullptr);
    EXPECT_EQ(mesh->vertices.size(), 1u);
    EXPECT_EQ(mesh->indices.size(), 3u);
    render.ClearResources();
}

TEST_F(RenderStates, AnEmptyStaticMeshMakesNoBuffers)
{
    StaticMeshBuffers* mesh = render.GetStaticMeshBuffers("empty", nullptr, nullptr, 0, -3);
    EXPECT_TRUE(device.Calls().empty());
    EXPECT_EQ(mesh->vertexCount, 0);
    EXPECT_EQ(mesh->triangleCount, 0);
}

TEST_F(RenderStates, ClearResourcesForgetsEveryStaticMesh)
{
    const Vertex48 vertices[] = {VertexAt(1.0f)};
    render.GetStaticMeshBuffers("mesh", vertices, nullptr, 1, 0);
    render.ClearResources();
    device.ForgetCalls();

    const Vertex48 newer[] = {VertexAt(5.0f)};
    StaticMeshBuffers* mesh = render.GetStaticMeshBuffers("MESH", newer, nullptr, 1, 0);
    EXPECT_EQ(mesh->vertices[0].position.x, 5.0f);
    EXPECT_EQ(device.Calls().size(), 1u) << "the buffer is made again";
}

TEST_F(RenderStates, AmbientIsStoredWithFullAlphaAndSetOnTheDevice)
{
    render.SetAmbient(0xFF336699, 0.2f, 0.4f, 0.6f);
    EXPECT_EQ(device.CallTexts(), (std::vector<std::string>{RenderState(139, 0xFF336699)}));
    EXPECT_EQ(render.GetAmbient(), 0xFF336699u);
    EXPECT_EQ(render.GetAmbientColour(), D3DXCOLOR(0.2f, 0.4f, 0.6f, 1.0f));
}

TEST(RenderBlur, MotionBlurIsOffExactlyWhenTheAmountIsZero)
{
    CPRender render;
    render.SetMotionBlur(0.3f);
    EXPECT_TRUE(render.IsMotionBlurOn());
    EXPECT_FLOAT_EQ(render.GetMotionBlurAmount(), 0.3f);
    render.SetMotionBlur(0.0f);
    EXPECT_FALSE(render.IsMotionBlurOn());
    EXPECT_EQ(render.GetMotionBlurAmount(), 0.0f);
    EXPECT_EQ(render.GetBlurBlend(), 255);
}

// Skies are stand-in addresses: the renderer only hands them back.
class RecordingSkyMaker : public IPSkyMaker {
public:
    CPDynamicSky* MakeSky(const std::string& fileName) override
    {
        events.push_back("make " + fileName);
        return reinterpret_cast<CPDynamicSky*>(&skies[made++]);
    }
    void DestroySky(CPDynamicSky* sky) override
    {
        char* made = reinterpret_cast<char*>(sky);
        events.push_back("destroy " + std::to_string(made - skies));
    }

    std::vector<std::string> events;
    char skies[2];
    int made = 0;
};

TEST(RenderSky, EachSkyReplacesTheOneBeforeItAndDiesWithTheRenderer)
{
    RecordingSkyMaker maker;
    {
        CPRender render;
        render.SetSkyMaker(&maker);
        render.SetSky(3);
        render.SetSky(10);
    }
    EXPECT_EQ(maker.events, (std::vector<std::string>{"make skyscape3.txt", "destroy 0",
                                                      "make skyscape10.txt", "destroy 1"}));
}

TEST(RenderSky, WithoutASkyMakerTheRendererHoldsNoSky)
{
    CPRender render;
    render.SetSky(3);
    EXPECT_EQ(render.GetSky(), nullptr);
}

} // namespace
