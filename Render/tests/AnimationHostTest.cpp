#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/PDataFile.h"
#include "core/PGameObject.h"
#include "core/PTaskManager.h"
#include "core/tests/GameObjectTestSupport.h"
#include "Render/PAnimatedObject.h"
#include "Render/PAnimationCache.h"
#include "Render/PObjectLoader.h"
#include "Render/PParticleManager.h"
#include "Render/PParticleSystem.h"
#include "Render/PPartAnimation.h"
#include "Render/tests/AnimationTestSupport.h"
#include "Render/tests/ParticleTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using animation_test::IdentityOf;
using gameobject_test::Receiver;

const float kFrameTime = 0.25f;
const int kFrames = 5;

// A robot whose arm waves on a looping idle track from a track file, whose
// body walks a morph animation from the cache for one pass, and whose
// exhaust smokes, run by a host for five frames of 0.25 s: each frame the
// host advances the clocks, runs the running tasks and draws the body.
TEST(AnimationHost, FramesDriveTracksMorphAnimationsAndParticles)
{
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Data\\Animations", nullptr);
    FixtureWriter trackFile;
    WriteTrackFile(trackFile, {{"Arm", {TranslationKey(0.5f, 0, 0, 0), TranslationKey(0.5f, 4, 0, 0),
                                        TranslationKey(1.0f, 8, 0, 0), TranslationKey(1.0f, 9, 9, 9)}}});
    trackFile.Save("Data\\Animations\\robot.anm");
    FixtureWriter walkStream;
    WriteMorphStream(walkStream, animation_test::kQuarterSecond, animation_test::NumberedFrames({3, 3, 3, 3}));
    walkStream.Save("robot.mesh");

    // What the host owns, made before whatever holds it.
    CPObjectLoader loader;
    CPAnimationCache cache;
    particle_test::RecordingBatch puff;
    CPParticleManager particles;
    Receiver robotScript, armScript, gamemenu;
    std::unique_ptr<CPPartAnimation> wave;
    std::unique_ptr<CPAnimation> walk;
    CPAnimatedObject body;
    std::unique_ptr<CPParticleSystem> smoke;
    CPTaskManager tasks;
    CPCommandManager bus;
    g_pObjectLoader = &loader;
    g_pAnimationCache = &cache;
    g_pParticleManager = &particles;
    g_pTaskManager = &tasks;
    g_pCommandManager = &bus;
    particles.AddBatch("puff", &puff);
    EmitterDefinition emitter;
    emitter.particleName = "puff";
    particles.AddEmitterDefinition("smoke", emitter);
    gamemenu.Start();
    FrameDeltaTime = 0.0f;
    FullTime = 0.0;

    {
        CPGameObject robot("robot"), arm("arm"), exhaust("exhaust");
        robot.SetPosition(5, 0, 0);
        robot.AddChild(&arm);
        robot.AddChild(&exhaust);
        exhaust.SetPosition(0, 0, 2);
        robot.SetScriptHandler(&robotScript);
        arm.SetScriptHandler(&armScript);

        PartAnimationMap tracks;
        loader.LoadAnimationFile("robot.anm", tracks);
        ASSERT_EQ(tracks.count("arm"), 1u);
        wave.reset(tracks["arm"].Get());
        wave->SetTarget(&arm);
        arm.SetNamedAnimation("idle", wave.get());

        CPDataFile mesh("robot.mesh", false);
        ASSERT_EQ(mesh.Load(), S_OK);
        RefPtr<CPAnimation> walking;
        ASSERT_TRUE(cache.GetAnimation(walking, "body&robot.mesh", mesh));
        walk.reset(walking.Get());
        body.AddAnimation("walk", walking);
        body.SetOwner(&robot);
        robot.SetComponent(CPGameObject::kKindAnimated, &body);

        smoke = std::make_unique<CPParticleSystem>(&exhaust, std::vector<std::string>{"smoke"});
        exhaust.SetComponent(CPGameObject::kKindParticleSystem, smoke.get());

        robot.UpdateTransform();
        robot.Start(200);
        AnimationRequest request;
        request.name = "walk";
        request.passLimit = 1;
        request.notify = &gamemenu;
        robot.PlayAnimation(request, true);

        std::vector<int> drawnFrames;
        std::vector<float> armPlaces;
        for (int frame = 0; frame < kFrames; ++frame) {
            FrameDeltaTime = kFrameTime;
            FullTime += kFrameTime;
            for (RefPtr<IPProcess>& task : tasks.GetTasks()) {
                if (task->IsRunning()) task->Execute();
            }
            std::vector<Vertex48> vertices(body.GetVertexCount());
            std::vector<uint16_t> indices(body.GetIndexCount());
            body.WriteGeometry(vertices.data(), indices.data(), 0, false);
            drawnFrames.push_back(vertices.empty() ? -1 : static_cast<int>(vertices[0].position.x - 5.0f));
            armPlaces.push_back(arm.GetWorldMatrix()._41);
        }

        EXPECT_EQ(drawnFrames, (std::vector<int>{1, 2, 3, 3, 2}));
        EXPECT_EQ(armPlaces, (std::vector<float>{7, 9, 11, 13, 7}));
        EXPECT_EQ(gamemenu.TakeCommands(), std::vector<std::string>{"animation_stopped:" + IdentityOf(&gamemenu)});
        EXPECT_EQ(armScript.TakeCommands(), (std::vector<std::string>{"add_object:" + IdentityOf(&arm),
                                                                      "animation_end:" + IdentityOf(&arm)}));
        EXPECT_EQ(robotScript.TakeCommands(),
                  (std::vector<std::string>{"add_object:" + IdentityOf(&robot), "damage:0.00", "damage:0.00"}));
        ASSERT_EQ(puff.particles.size(), 2u);
        const D3DXVECTOR3& start = puff.particles[0].record.position;
        EXPECT_EQ(start, D3DXVECTOR3(5, 0, 2));

        robot.SetScriptHandler(nullptr);
        arm.SetScriptHandler(nullptr);
        robot.SetComponent(CPGameObject::kKindGroup, RefPtr<IPObject>());
    }
    tasks.GetTasks().clear();
    g_pObjectLoader = nullptr;
    g_pAnimationCache = nullptr;
    g_pParticleManager = nullptr;
    g_pTaskManager = nullptr;
    g_pCommandManager = nullptr;
    FrameDeltaTime = 0.0f;
    FullTime = 0.0;
}

} // namespace
