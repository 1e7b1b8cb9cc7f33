#include "Render/PRender.h"
#include "Render/tests/ResourceTest.h"
#include "Render/tests/TestDevice.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The renderer on a real Direct3D 9 device under Wine, states read back
// from the device itself.
class RenderOnDevice : public ResourceTest {
protected:
    RenderOnDevice() : device(GetTestDevice())
    {
        g_screenWidth = 640;
        g_screenHeight = 480;
        g_distance = 200;
    }

    DWORD RenderState(D3DRENDERSTATETYPE state)
    {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(device->GetRenderState(state, &value), D3D_OK);
        return value;
    }

    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type)
    {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(device->GetTextureStageState(stage, type, &value), D3D_OK);
        return value;
    }

    DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type)
    {
        DWORD value = 0xDEADBEEF;
        EXPECT_EQ(device->GetSamplerState(sampler, type, &value), D3D_OK);
        return value;
    }

    DWORD VertexFormat()
    {
        DWORD format = 0;
        EXPECT_EQ(device->GetFVF(&format), D3D_OK);
        return format;
    }

    static DWORD Bits(float value)
    {
        DWORD bits;
        std::memcpy(&bits, &value, sizeof(bits));
        return bits;
    }

    IDirect3DDevice9* device;
};

TEST_F(RenderOnDevice, DefaultStatesReachTheDevice)
{
    ASSERT_NE(device, nullptr);
    render.SetFogColour(0xFF405060);
    render.SetDefaultStates();

    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } states[] = {
        {D3DRS_SPECULARENABLE, FALSE}, {D3DRS_LIGHTING, TRUE},
        {D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_ZENABLE, D3DZB_TRUE},
        {D3DRS_ZWRITEENABLE, TRUE}, {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_CULLMODE, D3DCULL_CCW}, {D3DRS_FOGENABLE, FALSE},
        {D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR}, {D3DRS_FOGSTART, Bits(50.0f)},
        {D3DRS_FOGEND, Bits(180.0f)}, {D3DRS_FOGCOLOR, 0xFF405060},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL},
    };
    for (const auto& expected : states) {
        EXPECT_EQ(RenderState(expected.state), expected.value) << "render state " << expected.state;
    }
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_EQ(StageState(1, D3DTSS_COLORARG2), static_cast<DWORD>(D3DTA_CURRENT));
    EXPECT_EQ(StageState(2, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_DISABLE));
    EXPECT_EQ(SamplerState(0, D3DSAMP_MINFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(SamplerState(1, D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_CLAMP));
    EXPECT_EQ(VertexFormat(), kVertex48FVF);

    D3DMATERIAL9 material = {};
    ASSERT_EQ(device->GetMaterial(&material), D3D_OK);
    EXPECT_EQ(material.Power, 10.0f);
    EXPECT_EQ(material.Specular.r, 0.3f);

    D3DXMATRIX projection;
    D3DXMATRIX expected;
    ASSERT_EQ(device->GetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
    D3DXMatrixPerspectiveFovLH(&expected, 1.0995574f, 1.3333334f, 0.1f, 1000.0f);
    EXPECT_EQ(projection, expected);
}

TEST_F(RenderOnDevice, AppliedLightsAreEnabledAndTheRestDisabled)
{
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = D3DXVECTOR3(0.0f, 0.0f, -1.0f);
    light.Diffuse = D3DXCOLOR(1.0f, 0.5f, 0.25f, 1.0f);
    render.AddLight(light);
    render.AddLight(light);
    render.ApplyLights();

    for (DWORD index = 0; index < 4; ++index) {
        WINBOOL enabled = -1;
        ASSERT_EQ(device->GetLightEnable(index, &enabled), D3D_OK);
        EXPECT_EQ(enabled != 0, index < 2) << "light " << index;
    }
    D3DLIGHT9 stored = {};
    ASSERT_EQ(device->GetLight(1, &stored), D3D_OK);
    EXPECT_EQ(stored.Diffuse.g, 0.5f);
    render.ApplyLights();
}

TEST_F(RenderOnDevice, StaticMeshBuffersHoldTheMeshData)
{
    std::vector<Vertex48> vertices(3);
    for (int index = 0; index < 3; ++index) {
        Vertex48& vertex = vertices[index];
        vertex.position = D3DXVECTOR3(static_cast<float>(index), 1.0f, 2.0f);
        vertex.normal = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
        vertex.diffuse = 0xFF000000u + index;
        vertex.specular = 0;
        vertex.tex0 = D3DXVECTOR2(0.5f, 0.25f);
        vertex.tex1 = D3DXVECTOR2(0.0f, 1.0f);
    }
    const uint16_t indices[] = {2, 1, 0};
    StaticMeshBuffers* mesh =
        render.GetStaticMeshBuffers("Crate", vertices.data(), indices, 3, 3);
    ASSERT_NE(mesh->vertexBuffer, nullptr);
    ASSERT_NE(mesh->indexBuffer, nullptr);

    void* memory = nullptr;
    ASSERT_EQ(mesh->vertexBuffer->Lock(0, 0, &memory, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(memory, vertices.data(), 3 * sizeof(Vertex48)), 0);
    mesh->vertexBuffer->Unlock();
    ASSERT_EQ(mesh->indexBuffer->Lock(0, 0, &memory, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(memory, indices, sizeof(indices)), 0);
    mesh->indexBuffer->Unlock();

    D3DVERTEXBUFFER_DESC description = {};
    mesh->vertexBuffer->GetDesc(&description);
    EXPECT_EQ(description.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(description.FVF, kVertex48FVF);
    render.ClearResources();
}

TEST_F(RenderOnDevice, TheLoadingScreenLoadsItsTexturesAndLeavesItsStates)
{
    WriteJpeg("Data\\Textures\\back2.jpg", 32, 32);
    WriteTga("Data\\Textures\\load.tga", 8, 8);
    render.DrawLoadingScreen(40);

    IDirect3DTexture9* background = render.GetLoadingBackground();
    IDirect3DTexture9* bar = render.GetLoadingBar();
    ASSERT_NE(background, nullptr);
    ASSERT_NE(bar, nullptr);
    D3DSURFACE_DESC description = {};
    background->GetLevelDesc(0, &description);
    EXPECT_EQ(description.Width, 32u);
    EXPECT_EQ(background->GetLevelCount(), 6u) << "a full mip chain";

    EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_FALSE));
    EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(RenderState(D3DRS_LIGHTING), static_cast<DWORD>(FALSE));
    EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_SELECTARG1));
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAARG1), static_cast<DWORD>(D3DTA_TEXTURE));
    EXPECT_EQ(VertexFormat(), kLoadingScreenFVF);
    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(device->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, bar);
    if (bound) bound->Release();

    render.DrawLoadingScreen(100);
    EXPECT_EQ(render.GetLoadingBackground(), background) << "loaded once and kept";
}

TEST_F(RenderOnDevice, ALoadingTextureThatFailedIsTriedAgain)
{
    WriteFile("Data\\Textures\\back2.jpg", "not a picture");
    render.DrawLoadingScreen(0);
    EXPECT_EQ(render.GetLoadingBackground(), nullptr);
    EXPECT_EQ(render.GetLoadingBar(), nullptr) << "a missing file is skipped quietly";

    WriteJpeg("Data\\Textures\\back2.jpg", 16, 16);
    render.DrawLoadingScreen(10);
    EXPECT_NE(render.GetLoadingBackground(), nullptr);
}

} // namespace
