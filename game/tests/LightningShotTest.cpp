#include "game/PLightningShot.h"

#include "Render/PCamera.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/PRenderObject.h"
#include "core/FrameClock.h"
#include "game/PLevel.h"
#include "game/PLevelBranch.h"
#include "game/PShotSpawner.h"
#include "game/tests/LevelObjectFixtures.h"
#include "game/tests/ShotTestSupport.h"

#include <gtest/gtest.h>

using namespace level_test;
using namespace shot_test;

namespace {

const std::vector<std::string> kScriptParams = {"enemy",          "8",   "1.5",    "0.75",         "razlom.dds",
                                                "light_nofog.fx", "103", "sparks", "gorvath.wav,3d"};

// Frames of 0.125 s.
class LightningShot : public testing::Test {
protected:
    LightningShot() : m_savedDelta(FrameDeltaTime) { FrameDeltaTime = 0.125f; }
    ~LightningShot() override { FrameDeltaTime = m_savedDelta; }

    ShotSounds sounds;
    CPLightningShot bolt{"lightning"};

private:
    float m_savedDelta;
};

TEST_F(LightningShot, WithoutALevelGrowsOneUnitAFrameAndEndsAfterTwentyUnits)
{
    ASSERT_EQ(GetLevel(), nullptr);
    bolt.SetParams(kScriptParams);
    bolt.Launch(D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(0, 0.6f, 0.8f), -1.0f, nullptr, 0);
    RefPtr<CPGameObject> hit;
    for (int step = 1; step <= 20; ++step) ASSERT_EQ(bolt.Strike(hit), 1) << step;
    ExpectPoint(bolt.GetShotPosition(), D3DXVECTOR3(1, 14, 19));
    EXPECT_EQ(bolt.Strike(hit), -1) << "the 21st step";
    EXPECT_FALSE(bolt.Update());
    EXPECT_FALSE(hit);
}

TEST_F(LightningShot, ReadsItsParametersAndBuildsAQuad)
{
    bolt.SetParams(kScriptParams);
    EXPECT_FALSE(bolt.IsNotEnemyTarget());
    EXPECT_EQ(bolt.GetSpeed(), 8.0f);
    EXPECT_EQ(bolt.GetPower(), 1.5f);
    EXPECT_EQ(bolt.GetHalfWidth(), 0.75f);
    EXPECT_EQ(bolt.GetTextureName(), "razlom.dds");
    EXPECT_EQ(bolt.GetEffectName(), "light_nofog.fx");
    EXPECT_EQ(bolt.GetMaterialType(), 103);
    EXPECT_EQ(bolt.GetImpactKind(), "sparks");
    EXPECT_EQ(bolt.GetSoundName(), "gorvath.wav");
    CPRenderObject* mesh = bolt.GetRenderObject();
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->GetVertexCount(), 4);
    EXPECT_EQ(mesh->GetIndices(), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    RefPtr<CPShot> copy = &bolt;
    bolt.Clone(copy);
    EXPECT_FALSE(copy);

    bolt.Launch(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), -1.0f, nullptr, 0);
    EXPECT_EQ(bolt.GetPower(), 1.5f) << "-1 keeps the parameter";
    const std::vector<Vertex48>& vertices = mesh->GetLocalVertices();
    EXPECT_EQ(vertices[0].tex0.x, 0.0f);
    EXPECT_EQ(vertices[1].tex0.x, 1.0f);
    EXPECT_EQ(vertices[2].tex0.x, 1.0f);
    EXPECT_EQ(vertices[3].tex0.x, 0.0f);
    bolt.Launch(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), 10.0f, nullptr, 0);
    EXPECT_EQ(bolt.GetPower(), 10.0f);
    bolt.Launch(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), 0.0f, nullptr, 0);
    EXPECT_EQ(bolt.GetPower(), 0.0f) << "0 is a launch value too";
}

TEST_F(LightningShot, MissingParametersReadAsZeroOrEmpty)
{
    EXPECT_TRUE(bolt.SetParams({}));
    EXPECT_TRUE(bolt.IsNotEnemyTarget());
    EXPECT_EQ(bolt.GetSpeed(), 0.0f);
    EXPECT_EQ(bolt.GetImpactKind(), "");
    EXPECT_FALSE(bolt.GetSound());
    EXPECT_TRUE(bolt.SetParams({"friend", "4"}));
    EXPECT_TRUE(bolt.IsNotEnemyTarget());
    EXPECT_EQ(bolt.GetSpeed(), 4.0f);
    EXPECT_EQ(bolt.GetHalfWidth(), 0.0f);
    EXPECT_EQ(bolt.GetExtraValue(), 0.0f);
    bolt.Launch(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), -1.0f, nullptr, 0);
    RefPtr<CPGameObject> hit;
    EXPECT_EQ(bolt.Strike(hit), 1);
}

// A level with a wall at (60, 0, 0) (a box of half extents 1, 2, 3 around
// (60, 0, 0.5)) and a camera.
class LightningInALevel : public LevelObjectTest {
protected:
    LightningInALevel() : m_savedDelta(FrameDeltaTime), m_savedSpawner(g_pShotSpawner)
    {
        FrameDeltaTime = 0.125f;
        g_pShotSpawner = &spawner;
        WriteBoxObject("box", 1);
        wall = Place("box", "wall", D3DXVECTOR3(60, 0, 0));
        level.branchTree = new CPLevelBranch();
        level.branchTree->SetObjects({wall});
        level.branchTree->Build();
        level.camera = &camera;
        impact = new RecordingShot("sparks");
        spawner.AddTemplate(std::unique_ptr<CPShot>(impact));
        bolt.SetParams(kScriptParams);
    }
    ~LightningInALevel() override
    {
        level.camera = nullptr;
        FrameDeltaTime = m_savedDelta;
        g_pShotSpawner = m_savedSpawner;
    }
    void SetEye(const D3DXVECTOR3& eye) { camera.GetFirstView()->SetEye(eye); }
    RecordingShot* Spawned(size_t index)
    {
        return static_cast<RecordingShot*>(spawner.GetActiveShots().at(index).Get());
    }

    CPShotSpawner spawner;
    RecordingShot* impact;
    CPCamera camera;
    CPLevel level;
    RefPtr<CPGameObject> wall;
    CPLightningShot bolt{"lightning"};

private:
    float m_savedDelta;
    CPShotSpawner* m_savedSpawner;
};

TEST_F(LightningInALevel, AHitOnTheFirstStepSpawnsTheImpactAtTheLaunchPoint)
{
    const D3DXVECTOR3 start(58.5f, 0.25f, 1.0f);
    bolt.Launch(start, D3DXVECTOR3(1, 0, 0), -1.0f, nullptr, 0);
    RefPtr<CPGameObject> hit;
    EXPECT_EQ(bolt.Strike(hit), 0);
    EXPECT_EQ(hit.Get(), wall.Get());
    ASSERT_EQ(spawner.GetActiveShots().size(), 1u);
    const RecordingShot::LaunchCall& call = Spawned(0)->launches.at(0);
    EXPECT_EQ(call.position, start);
    ExpectPoint(call.direction, D3DXVECTOR3(59, 0.25f, 1.0f));
    EXPECT_EQ(call.value, -1.0f);
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_EQ(bolt.GetShotPosition(), start) << "the tip stays where it hit";
}

TEST_F(LightningInALevel, ABoltEndsInTheStepThatHitsTheLevel)
{
    bolt.Launch(D3DXVECTOR3(57.5f, 0.25f, 1.0f), D3DXVECTOR3(1, 0, 0), -1.0f, nullptr, 0);
    EXPECT_TRUE(bolt.Update()) << "short of the wall at x = 59";
    EXPECT_FALSE(bolt.Update()) << "into the wall";
    EXPECT_EQ(spawner.GetActiveShots().size(), 1u);
}

TEST_F(LightningInALevel, TheQuadSpreadsAcrossTheLineTheCameraSeesAndKeepsItsSideOnThatLine)
{
    const D3DXVECTOR3 start(0, 0, 1);
    SetEye(D3DXVECTOR3(0, -10, 1));
    bolt.Launch(start, D3DXVECTOR3(0, 0, 2), -1.0f, nullptr, 0);
    RefPtr<CPGameObject> hit;
    ASSERT_EQ(bolt.Strike(hit), 1);
    // (0, 0, 2) x (0, -10, 0) = (20, 0, 0): the side is +x, 0.75 each way.
    const std::vector<Vertex48>& vertices = bolt.GetRenderObject()->GetLocalVertices();
    ExpectPoint(vertices[0].position, D3DXVECTOR3(0.75f, 0, 1));
    ExpectPoint(vertices[1].position, D3DXVECTOR3(0.75f, 0, 3));
    ExpectPoint(vertices[2].position, D3DXVECTOR3(-0.75f, 0, 3));
    ExpectPoint(vertices[3].position, D3DXVECTOR3(-0.75f, 0, 1));

    SetEye(D3DXVECTOR3(0, 0, 30));
    ASSERT_EQ(bolt.Strike(hit), 1);
    ExpectPoint(vertices[1].position, D3DXVECTOR3(0.75f, 0, 5));
    ExpectPoint(vertices[3].position, D3DXVECTOR3(-0.75f, 0, 1));
}

} // namespace
