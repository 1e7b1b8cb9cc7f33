#include "script/tests/ScriptTest.h"

#include "Render/PIVBlock.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "core/FrameClock.h"
#include "game/PLevel.h"
#include "game/PLightningShot.h"

#include <memory>
#include <vector>

namespace {

// Frames of half a second: the scripts' bolt grows 5 units a frame.
class LightningFunctions : public ScriptTest {
protected:
    LightningFunctions() : queue(nullptr), m_previousRender(g_pRender), m_previousDelta(FrameDeltaTime)
    {
        render.SetRenderQueue(&queue);
        g_pRender = &render;
        FrameDeltaTime = 0.5f;
    }
    ~LightningFunctions() override
    {
        queue.ClearFrame();
        for (CPLightningShot* bolt : bolts) delete bolt;
        g_pRender = m_previousRender;
        FrameDeltaTime = m_previousDelta;
    }

    // Strikes a bolt from the script and keeps it for the test.
    CPLightningShot& Strike(const std::string& arguments)
    {
        const int top = lua_gettop(state);
        EXPECT_EQ(luaL_dostring(state, ("bolt = StartLighting(" + arguments + ") return bolt").c_str()), 0);
        CPLightningShot* bolt = ReadHandle<CPLightningShot>(state, top + 1);
        lua_settop(state, top);
        bolts.push_back(bolt);
        return *bolt;
    }

    size_t QueuedDrawables() const
    {
        CPIVBlock* block = queue.GetFrameBlock(nullptr);
        return block ? block->GetDrawables().size() : 0;
    }

    CPRender render;
    CPRenderQueue queue;
    std::vector<CPLightningShot*> bolts;

private:
    CPRender* m_previousRender;
    float m_previousDelta;
};

TEST_F(LightningFunctions, StartLightingLaunchesTheScriptsBoltTowardTheSecondPoint)
{
    CPLightningShot& bolt = Strike("'bolt7', 1, 2, 3, 4, -2, 15");
    EXPECT_EQ(bolt.GetKindName(), "bolt7");
    EXPECT_FALSE(bolt.IsNotEnemyTarget());
    EXPECT_EQ(bolt.GetSpeed(), 10.0f);
    EXPECT_EQ(bolt.GetPower(), 10.0f) << "the launch value replaces 1.5";
    EXPECT_EQ(bolt.GetHalfWidth(), 1.5f);
    EXPECT_EQ(bolt.GetTextureName(), "razlom.dds");
    EXPECT_EQ(bolt.GetEffectName(), "light_nofog.fx");
    EXPECT_EQ(bolt.GetMaterialType(), 103);
    EXPECT_EQ(bolt.GetImpactKind(), "sparks");
    EXPECT_EQ(bolt.GetSoundName(), "gorvath.wav");
    EXPECT_FALSE(bolt.IsSound2D());
    EXPECT_EQ(bolt.GetStart(), D3DXVECTOR3(1, 2, 3));
    // (3, -4, 12) is 13 long.
    EXPECT_NEAR(bolt.GetDirection().x, 3.0f / 13.0f, 1e-6f);
    EXPECT_NEAR(bolt.GetDirection().y, -4.0f / 13.0f, 1e-6f);
    EXPECT_NEAR(bolt.GetDirection().z, 12.0f / 13.0f, 1e-6f);
    EXPECT_EQ(bolt.GetRefCount(), 1) << "the script holds the bolt";
}

TEST_F(LightningFunctions, UpdateTrasserAnswersOneAndQueuesTheBoltWhileItGrowsThenMinusOne)
{
    Strike("'bolt', 0, 0, 0, 0, 8, 0");
    std::vector<std::string> codes;
    for (int frame = 1; frame <= 5; ++frame) {
        const std::vector<std::string> results = Results("return UpdateTrasser(bolt)");
        codes.insert(codes.end(), results.begin(), results.end());
        EXPECT_EQ(QueuedDrawables(), static_cast<size_t>(frame < 5 ? frame : 4)) << frame;
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"1", "1", "1", "1", "-1"})) << "20 units still grow, 25 do not";
    EXPECT_EQ(Results("return UpdateTrasser(nil)"), (std::vector<std::string>{"-1"}));
}

TEST_F(LightningFunctions, UpdateTrasserAnswersZeroAndWhatTheBoltHit)
{
    CPLevel level;
    CPGameObject player("player");
    player.SetPosition(7, 0, 1);
    player.GetParts().push_back(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 2, 3)));
    player.UpdateTransform();
    level.player = &player;
    SetGlobalHandle("player", &player);
    Strike("'bolt', 0, 0, 1, 10, 0, 1");
    EXPECT_EQ(Results("return UpdateTrasser(bolt)"), (std::vector<std::string>{"1"}));
    EXPECT_EQ(Results("local code, hit = UpdateTrasser(bolt) return code, hit == player"),
              (std::vector<std::string>{"0", "true"}));
    EXPECT_EQ(QueuedDrawables(), 1u) << "only the growing frame queued it";
    level.player = nullptr;
}

TEST_F(LightningFunctions, DrawLineQueuesARedLineBetweenThePoints)
{
    Results("DrawLine(1, 2, 3, -4, 5.5, 6)");
    ASSERT_EQ(render.GetLines().size(), 2u);
    EXPECT_EQ(render.GetLines()[0].position, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(render.GetLines()[1].position, D3DXVECTOR3(-4, 5.5f, 6));
    EXPECT_EQ(render.GetLines()[0].diffuse, 0xFFFF0000u);
    EXPECT_EQ(render.GetLines()[1].diffuse, 0xFFFF0000u);
}

} // namespace
