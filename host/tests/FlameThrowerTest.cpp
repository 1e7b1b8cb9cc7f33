#include "host/ParticleBatch.h"

#include "Render/PParticleManager.h"
#include "Render/ParticleFile.h"
#include "core/FrameClock.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/tests/LevelLoadFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const float kFrame = 1.0f / 60.0f;
const char* const kFlames = "firethrower";

// "level1" with the player's car carrying a flame-thrower in its second
// slot, the particle manager with the host's batch of flame particles and
// an object standing 5 units ahead of the car, with a script handler and a
// flame to catch.
class FlameThrowerOnLevelOne : public LevelLoad {
protected:
    void SetUp() override
    {
        LevelLoad::SetUp();
        m_savedManager = g_pParticleManager;
        m_savedFrame = FrameDeltaTime;
        g_pParticleManager = &particles;
        FrameDeltaTime = kFrame;
        particles.AddSystemDefinition(RefPtr<CPParticleSystem>(new CPParticleSystem));
        NamedEmitter flame;
        flame.name = kFlames;
        flame.definition.particleName = kFlames;
        batches.reset(new ParticleBatchSet(particles, {flame}, nullptr));
    }
    // The particles let go of the car, and the level of the object that
    // speaks to the handler, while the handler is still there.
    void TearDown() override
    {
        batches.reset();
        Unload();
        g_pParticleManager = m_savedManager;
        FrameDeltaTime = m_savedFrame;
        LevelLoad::TearDown();
    }

    CPParticleManager particles;
    std::unique_ptr<ParticleBatchSet> batches;
    gameobject_test::Receiver handler;

private:
    CPParticleManager* m_savedManager = nullptr;
    float m_savedFrame = 0.0f;
};

TEST_F(FlameThrowerOnLevelOne, AnObjectInTheStreamBurnsEveryTwoTenthsOfASecond)
{
    CPLevel& level = Load("level1");
    ASSERT_TRUE(loaded);
    CPPlayer& player = static_cast<CPPlayer&>(*level.player);
    WeaponDefinition weapon;
    weapon.key = kFlames;
    weapon.number1 = 1;
    weapon.number2 = 7.5f;
    weapon.number3 = 1;
    // A flame every frame: the burns take what the flames touched in the
    // frame before each, whatever the phase of the stream.
    weapon.number4 = 60.0f;
    data.weapons.Add(weapon);
    data.activeSetup.weapons[1] = kFlames;
    player.weaponSlot = 1;
    player.ammunition[1] = 1000.0f;
    player.SelectWeapon();
    ASSERT_TRUE(player.weaponModel);

    const D3DXMATRIX& car = player.GetWorldMatrix();
    const D3DXVECTOR3 forward(-car._21, -car._22, 0.0f);
    const D3DXVECTOR3 ahead = *player.GetPositionRef() + forward * 5.0f;
    RefPtr<CPGameObject> target(new CPGameObject("barrel"));
    target->SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0.0f, 0.0f, 1.0f), D3DXVECTOR3(1.5f, 1.0f, 1.2f)));
    target->SetPosition(ahead.x, ahead.y, ahead.z);
    target->UpdateTransform();
    target->SetScriptHandler(&handler);
    target->SetFlameType(0);
    handler.Start();
    level.dynamicObjects.push_back(target);

    // Each frame the rules aim and fire, then the host moves the particles.
    player.triggerHeld = true;
    std::vector<int> burnFrames;
    for (int frame = 1; frame <= 120; ++frame) {
        player.CountDownFireCooldown(kFrame);
        level.SetWeaponPos(ahead.x, ahead.y, ahead.z + 1.0f, nullptr);
        ASSERT_TRUE(player.hitTargets.empty()) << "frame " << frame;
        batches->Update(kFrame);
        for (const std::string& command : handler.TakeCommands()) {
            EXPECT_EQ(command, "damage:7.50");
            burnFrames.push_back(frame);
        }
    }
    ASSERT_GE(burnFrames.size(), 8u) << "from the first hit on, five burns a second";
    for (size_t i = 1; i < burnFrames.size(); ++i) EXPECT_NEAR(burnFrames[i] - burnFrames[i - 1], 12, 1);
    int flames = 0;
    for (const RefPtr<CPGameObject>& child : target->GetChildren()) flames += child->GetName() == "flame";
    EXPECT_EQ(flames, 1) << "set burning once";
}

} // namespace
