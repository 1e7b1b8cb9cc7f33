#include "DynamicSky/PDynamicSky.h"
#include "DynamicSky/PDynamicSkyMaker.h"
#include "DynamicSky/VertexObject.h"
#include "DynamicSky/tests/SkyTestSupport.h"
#include "Render/tests/TestDevice.h"

#include <cstdint>

namespace {

const D3DXVECTOR3 kHorizonKey(255.0f, 0.0f, 0.0f);
const D3DXVECTOR3 kTopKey(0.0f, 0.0f, 255.0f);
const int kChannelTolerance = 8;

struct Pixel {
    int red;
    int green;
    int blue;
};

// The sky drawn on the real device: a dome of 64 segments around the eye
// whose lower half climbs from red at the horizon to blue, and is blue
// above. The dome texture is plain white, so the pixels show the rings'
// colours.
class SkyOnDevice : public SkyTest {
protected:
    SkyOnDevice() : realDevice(GetTestDevice())
    {
        render.SetDevice(realDevice);
        g_VertexDrawer.SetDevice(realDevice);
        // The renderer destroys its last sky through the maker.
        static CPDynamicSkyMaker maker;
        render.SetSkyMaker(&maker);
    }

    // A machine without a Direct3D device fails here, before any test uses it.
    void SetUp() override { ASSERT_NE(realDevice, nullptr) << "no Direct3D 9 device here"; }

    void WriteWhiteTexture(const std::string& path)
    {
        const unsigned char header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 32, 0x28};
        std::string bytes(reinterpret_cast<const char*>(header), sizeof(header));
        bytes += std::string(4 * 4 * 4, '\xFF');
        WriteFile(path, bytes);
    }

    SkyscapeDescription RedToBlueSky()
    {
        SkyscapeDescription sky = ExampleSky(64, 3, 1, 0);
        sky.centre = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        sky.heightScale = 1.0f;
        sky.domeTexture = "Data\\Textures\\white.tga";
        SkyscapeDescription::State& state = sky.states[0];
        state.keys = {kHorizonKey, kTopKey, kTopKey};
        state.domeAlpha = 255.0f;
        state.turnDegrees = 0.0f;
        state.ambient = D3DXVECTOR3(10.0f, 20.0f, 30.0f);
        state.fog = D3DXVECTOR3(40.0f, 50.0f, 60.0f);
        return sky;
    }

    // Draws the frame looking from the dome's centre toward target and
    // answers the pixel in the middle of the screen. The world matrix is
    // whatever the last part drawn left: one that would shrink the dome
    // inside the near plane.
    Pixel DrawLookingAt(const D3DXVECTOR3& target, const D3DXVECTOR3& up)
    {
        D3DXMATRIX leftover;
        D3DXMATRIX view;
        D3DXMATRIX projection;
        const D3DXVECTOR3 eye(0.0f, 0.0f, 0.0f);
        D3DXMatrixScaling(&leftover, 0.001f, 0.002f, 0.003f);
        D3DXMatrixLookAtLH(&view, &eye, &target, &up);
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 1.0f, 1.0f, 1000.0f);
        realDevice->SetTransform(D3DTS_WORLD, &leftover);
        realDevice->SetTransform(D3DTS_VIEW, &view);
        realDevice->SetTransform(D3DTS_PROJECTION, &projection);
        realDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        realDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
        realDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
        realDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
        realDevice->BeginScene();
        render.GetSky()->Update(0.0f);
        realDevice->EndScene();
        return MiddlePixel();
    }

    Pixel MiddlePixel()
    {
        Pixel pixel = {-1, -1, -1};
        IDirect3DSurface9* target = nullptr;
        IDirect3DSurface9* copy = nullptr;
        D3DSURFACE_DESC description;
        D3DLOCKED_RECT locked;
        if (FAILED(realDevice->GetRenderTarget(0, &target))) return pixel;
        target->GetDesc(&description);
        if (SUCCEEDED(realDevice->CreateOffscreenPlainSurface(description.Width, description.Height,
                                                              description.Format, D3DPOOL_SYSTEMMEM,
                                                              &copy, nullptr)) &&
            SUCCEEDED(realDevice->GetRenderTargetData(target, copy)) &&
            SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
            const unsigned char* row = static_cast<const unsigned char*>(locked.pBits) +
                                       locked.Pitch * (description.Height / 2);
            const uint32_t colour = reinterpret_cast<const uint32_t*>(row)[description.Width / 2];
            pixel = Pixel{int(colour >> 16 & 0xFF), int(colour >> 8 & 0xFF), int(colour & 0xFF)};
            copy->UnlockRect();
        }
        if (copy) copy->Release();
        target->Release();
        return pixel;
    }

    static void ExpectNear(const Pixel& pixel, const D3DXVECTOR3& expected)
    {
        EXPECT_NEAR(pixel.red, expected.x, kChannelTolerance);
        EXPECT_NEAR(pixel.green, expected.y, kChannelTolerance);
        EXPECT_NEAR(pixel.blue, expected.z, kChannelTolerance);
    }

    IDirect3DDevice9* realDevice;
};

TEST_F(SkyOnDevice, ShowsTheRingColoursOfItsSkyscape)
{
    WriteWhiteTexture("Data\\Textures\\white.tga");
    WriteSky("skyscape5.txt", RedToBlueSky());
    render.SetSky(5);
    ASSERT_TRUE(render.GetSky()->IsLoaded());
    ASSERT_NE(render.GetSky()->GetTexture(), nullptr);

    // A little above the horizon: between rings 1 and 2 of the climb, whose
    // eight rings each take an eighth of the way from red to blue.
    const Pixel horizon =
        DrawLookingAt(D3DXVECTOR3(1.0f, 0.0f, 0.1f), D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    ExpectNear(horizon, kHorizonKey + (kTopKey - kHorizonKey) * (2.0f / 8.0f));
    const Pixel top = DrawLookingAt(D3DXVECTOR3(0.0f, 0.0f, 1.0f), D3DXVECTOR3(1.0f, 0.0f, 0.0f));
    ExpectNear(top, kTopKey);

    DWORD ambient = 0;
    DWORD fog = 0;
    realDevice->GetRenderState(D3DRS_AMBIENT, &ambient);
    realDevice->GetRenderState(D3DRS_FOGCOLOR, &fog);
    EXPECT_EQ(ambient, 0xFF0A141Eu);
    EXPECT_EQ(fog, 0xFF28323Cu);
}

TEST_F(SkyOnDevice, ALoadedTextureReplacesAndReleasesTheOld)
{
    WriteWhiteTexture("Data\\Textures\\white.tga");
    CPVertexObject object;
    EXPECT_EQ(object.LoadTexture("Data\\Textures\\white.tga"), D3D_OK);
    IDirect3DTexture9* first = object.GetTexture();
    ASSERT_NE(first, nullptr);
    first->AddRef();
    EXPECT_EQ(object.LoadTexture("Data\\Textures\\white.tga"), D3D_OK);
    EXPECT_NE(object.GetTexture(), first);
    EXPECT_EQ(first->Release(), 0u) << "the object let go of the texture it replaced";

    WriteFile("Data\\Textures\\broken.tga", "not an image");
    IDirect3DTexture9* second = object.GetTexture();
    EXPECT_NE(object.LoadTexture("Data\\Textures\\broken.tga"), D3D_OK);
    EXPECT_EQ(object.GetTexture(), second) << "a failed creation keeps the texture";
}

} // namespace
