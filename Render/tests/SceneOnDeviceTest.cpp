#include "Render/PCamera.h"
#include "Render/PIVertexBuffer.h"
#include "Render/PLight.h"
#include "Render/PRenderObject.h"
#include "Render/PRenderQueue.h"
#include "Render/PSprite.h"
#include "Render/tests/ResourceTest.h"
#include "Render/tests/TestDevice.h"
#include "core/PGameObject.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const int kWidth = 160;
const int kHeight = 120;
const D3DCOLOR kClearColour = 0xFF202020;
const float kHalfQuad = 0.8f;

struct Pixel {
    int red;
    int green;
    int blue;
    int Sum() const { return red + green + blue; }
};

// One frame of a small scene drawn on the real device into an offscreen
// target and read back: a red part on the left, a green one in the middle,
// a red one on the right beside a point light, and a blue sprite above the
// middle, seen from 10 units in front. Every part faces the camera.
class SceneOnDevice : public ResourceTest {
protected:
    SceneOnDevice() : device(GetTestDevice()), root(new CPGameObject("scene"))
    {
        g_screenWidth = kWidth;
        g_screenHeight = kHeight;
        g_distance = 200;
        m_previousView = g_pCurrentView;
        g_pCurrentView = &camera;
        camera.SetFieldOfView(1.0f);
        camera.SetNearPlane(0.1f);
        camera.SetFarPlane(100.0f);
        camera.SetEye(D3DXVECTOR3(0, -10, 0));
        camera.SetTarget(D3DXVECTOR3(0, 0, 0));
        camera.SetUp(D3DXVECTOR3(0, 0, 1));
        camera.UpdateMatrices();
    }

    void SetUp() override
    {
        ResourceTest::SetUp();
        if (HasFatalFailure()) return;
        ring.reset(new CPIVertexBuffer(device, 2, 1024, 2048, false));
        queue.reset(new CPRenderQueue(ring.get()));
        render.SetRenderQueue(queue.get());
        BuildScene();
        CreateTarget();
    }

    ~SceneOnDevice() override
    {
        if (device) RestoreTarget();
        if (queue) queue->ClearFrame();
        objects.clear();
        root.reset();
        queue.reset();
        ring.reset();
        g_pCurrentView = m_previousView;
    }

    RefPtr<CPMaterial> Material(int type, const std::string& texture, uint32_t colour)
    {
        WriteTga("Data\\Textures\\" + texture, 4, 4, colour);
        RefPtr<CPMaterial> material;
        materialManager.CreateMaterial(material, type, "plain.fx", {texture});
        return material;
    }

    CPGameObject* Child(const std::string& name, float x, float z)
    {
        objects.emplace_back(new CPGameObject(name));
        CPGameObject* object = objects.back().get();
        root->AddChild(object);
        object->SetPosition(x, 0, z);
        return object;
    }

    // A square facing -y, in the owner's frame.
    void Part(const std::string& name, float x, const RefPtr<CPMaterial>& material)
    {
        CPGameObject* owner = Child(name, x, 0);
        parts.emplace_back(new CPRenderObject(owner));
        CPRenderObject& part = *parts.back();
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& corner : corners) {
            Vertex48 vertex = {};
            vertex.position = D3DXVECTOR3(corner[0] * kHalfQuad, 0, corner[1] * kHalfQuad);
            vertex.normal = D3DXVECTOR3(0, -1, 0);
            vertex.diffuse = 0xFFFFFFFF;
            vertex.tex0 = D3DXVECTOR2((corner[0] + 1) / 2, (corner[1] + 1) / 2);
            part.GetLocalVertices().push_back(vertex);
        }
        part.GetIndices() = {0, 1, 2, 0, 2, 3};
        part.SetMaterial(material);
        owner->SetComponent(CPGameObject::kKindMesh, &part);
    }

    void BuildScene()
    {
        RefPtr<CPMaterial> red = Material(1, "red.tga", 0xFFFF0000);
        RefPtr<CPMaterial> green = Material(2, "green.tga", 0xFF00FF00);
        RefPtr<CPMaterial> blue = Material(3, "blue.tga", 0xFF0000FF);
        Part("left", -3, red);
        Part("middle", 0, green);
        Part("right", 3, red);

        CPGameObject* flare = Child("flare", 0, 2.5f);
        sprite.reset(new CPSprite(0.6f));
        sprite->SetMaterial(blue);
        sprite->SetOwner(flare);
        flare->SetComponent(CPGameObject::kKindSprite, sprite.get());

        lamp = Child("lamp", 3, 0);
        lamp->SetPosition(3, -2, 0);
        light.reset(new CPLight());
        D3DLIGHT9& record = *light->GetLight();
        record.Type = D3DLIGHT_POINT;
        record.Diffuse = D3DXCOLOR(1, 1, 1, 1);
        record.Range = 3;
        record.Attenuation0 = 1;
        light->SetOwner(lamp);
        lamp->SetComponent(CPGameObject::kKindLight, light.get());
        root->UpdateTransform();
    }

    void CreateTarget()
    {
        device->GetRenderTarget(0, &m_oldTarget);
        device->GetDepthStencilSurface(&m_oldDepth);
        ASSERT_EQ(device->CreateRenderTarget(kWidth, kHeight, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0,
                                             FALSE, &m_target, nullptr),
                  D3D_OK);
        ASSERT_EQ(device->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D16,
                                                    D3DMULTISAMPLE_NONE, 0, TRUE, &m_depth, nullptr),
                  D3D_OK);
        ASSERT_EQ(device->CreateOffscreenPlainSurface(kWidth, kHeight, D3DFMT_X8R8G8B8,
                                                      D3DPOOL_SYSTEMMEM, &m_readBack, nullptr),
                  D3D_OK);
        device->SetRenderTarget(0, m_target);
        device->SetDepthStencilSurface(m_depth);
    }

    void RestoreTarget()
    {
        device->SetRenderTarget(0, m_oldTarget);
        device->SetDepthStencilSurface(m_oldDepth);
        for (IDirect3DSurface9* surface : {m_oldTarget, m_oldDepth, m_target, m_depth, m_readBack}) {
            if (surface) surface->Release();
        }
    }

    // What the host does each frame: states, camera, lights, the queue's
    // blocks; then the frame's queue is emptied.
    void DrawFrame()
    {
        render.SetDefaultStates();
        render.SetAmbient(0xFF808080, 0.5f, 0.5f, 0.5f);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetTransform(D3DTS_VIEW, &camera.GetViewMatrix());
        device->SetTransform(D3DTS_PROJECTION, &camera.GetProjectionMatrix());
        render.SetViewProjection(camera.GetViewProjection());

        queue->AddObject(root.get());
        lightsQueued = render.GetLightCount();
        if (lightsQueued > 0) queuedLight = render.GetLight(0);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColour, 1.0f, 0);
        device->BeginScene();
        render.ApplyLights();
        queue->DrawBlocks(device);
        device->EndScene();
        queue->ClearFrame();

        ASSERT_EQ(device->GetRenderTargetData(m_target, m_readBack), D3D_OK);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(m_readBack->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        pixels.assign(kWidth * kHeight, 0);
        for (int y = 0; y < kHeight; ++y) {
            const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const char*>(locked.pBits) +
                                                              y * locked.Pitch);
            for (int x = 0; x < kWidth; ++x) pixels[y * kWidth + x] = row[x];
        }
        m_readBack->UnlockRect();
    }

    Pixel At(int x, int y) const
    {
        DWORD value = pixels[y * kWidth + x];
        return Pixel{static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                     static_cast<int>(value & 0xFF)};
    }

    Pixel AtObject(const CPGameObject& object) const
    {
        const D3DXMATRIX& world = object.GetWorldMatrix();
        D3DXVECTOR3 screen;
        render.WorldToScreen(&screen, D3DXVECTOR3(world._41, world._42, world._43));
        return At(static_cast<int>(screen.x), static_cast<int>(screen.y));
    }

    IDirect3DDevice9* device;
    CPPerspectiveCamera camera;
    std::vector<std::unique_ptr<CPRenderObject>> parts;
    std::unique_ptr<CPSprite> sprite;
    std::unique_ptr<CPLight> light;
    std::unique_ptr<CPIVertexBuffer> ring;
    std::unique_ptr<CPRenderQueue> queue;
    std::unique_ptr<CPGameObject> root;
    std::vector<std::unique_ptr<CPGameObject>> objects;
    CPGameObject* lamp = nullptr;
    std::vector<DWORD> pixels;
    int lightsQueued = 0;
    D3DLIGHT9 queuedLight = {};

private:
    CPPerspectiveCamera* m_previousView;
    IDirect3DSurface9* m_oldTarget = nullptr;
    IDirect3DSurface9* m_oldDepth = nullptr;
    IDirect3DSurface9* m_target = nullptr;
    IDirect3DSurface9* m_depth = nullptr;
    IDirect3DSurface9* m_readBack = nullptr;
};

TEST_F(SceneOnDevice, DrawsEachObjectInItsColourWhereItsPointProjects)
{
    DrawFrame();
    const Pixel left = AtObject(*objects[0]);
    const Pixel middle = AtObject(*objects[1]);
    const Pixel right = AtObject(*objects[2]);
    const Pixel flare = AtObject(*objects[3]);
    EXPECT_GT(left.red, 60);
    EXPECT_EQ(left.green + left.blue, 0);
    EXPECT_GT(middle.green, 60);
    EXPECT_EQ(middle.red + middle.blue, 0);
    EXPECT_GT(right.red, 60);
    EXPECT_EQ(right.green + right.blue, 0);
    EXPECT_GT(flare.blue, 60);
    EXPECT_EQ(flare.red + flare.green, 0);

    const Pixel clear = {0x20, 0x20, 0x20};
    for (const Pixel& empty : {At(2, 2), At(kWidth - 3, kHeight - 3), At(kWidth / 2, kHeight - 5)}) {
        EXPECT_EQ(empty.red, clear.red);
        EXPECT_EQ(empty.green, clear.green);
        EXPECT_EQ(empty.blue, clear.blue);
    }
}

TEST_F(SceneOnDevice, ThePartByTheLightIsBrighterAndTheLightSitsAtItsOwner)
{
    DrawFrame();
    ASSERT_EQ(lightsQueued, 1);
    EXPECT_EQ(D3DXVECTOR3(queuedLight.Position), D3DXVECTOR3(3, -2, 0));
    D3DLIGHT9 applied = {};
    ASSERT_EQ(device->GetLight(0, &applied), D3D_OK);
    EXPECT_EQ(D3DXVECTOR3(applied.Position), D3DXVECTOR3(3, -2, 0));
    EXPECT_EQ(applied.Type, D3DLIGHT_POINT);
    const int lit = AtObject(*objects[2]).red;
    const int farFromTheLight = AtObject(*objects[0]).red;

    lamp->SetVisible(false);
    DrawFrame();
    EXPECT_EQ(lightsQueued, 0);
    const int unlit = AtObject(*objects[2]).red;
    EXPECT_GT(lit, unlit + 20);
    EXPECT_EQ(AtObject(*objects[0]).red, farFromTheLight) << "the light does not reach the left part";
}

} // namespace
