#include "core/FrameClock.h"
#include "core/tests/GameObjectTestSupport.h"
#include "game/AI_Vehicle.h"
#include "game/PLine.h"
#include "game/ProjectileShot.h"
#include "game/tests/LevelLoadFixture.h"
#include "game/tests/TrackFixtures.h"
#include "physics/PPhysicData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const float kStep = 1.0f / 60.0f;
const float kTwoPi = 6.28318531f;
const int kLandingFrames = 90;
const float kHalfCarWidth = 1.0f;

// "level1" loaded with its race running, stepped frame by frame as the
// race runs it: the computer drivers are fed and run, the car world moves
// the cars, then every racer takes its rule step.
class LevelOneRace : public LevelLoad {
protected:
    LevelOneRace() : m_savedDelta(FrameDeltaTime) {}
    ~LevelOneRace() override { FrameDeltaTime = m_savedDelta; }

    void SetUp() override
    {
        LevelLoad::SetUp();
        level = &Load("level1");
        ASSERT_TRUE(loaded) << Errors(*level);
        ASSERT_EQ(level->opponents.size(), 3u);
        data.levelStarted = true;
        level->raceTimerOn = true;
        FrameDeltaTime = kStep;
        racers.clear();
        for (const RefPtr<CPGameObject>& opponent : level->opponents) racers.push_back(&Racer(*opponent));
        // The cars settle on their springs before their rules first run.
        for (int frame = 0; frame < kLandingFrames; ++frame) {
            ++FrameNumber;
            world.Execute();
        }
    }

    static CPPlayer& Racer(CPGameObject& object) { return static_cast<CPPlayer&>(object); }
    CPPlayer& Player() { return Racer(*level->player); }

    // Takes the player's car off the road, out of the computer cars' way.
    void ParkPlayer() { world.RemoveCar(level->player.Get()); }
    // Leaves one computer car on the road.
    void KeepOnly(CPPlayer& racer)
    {
        for (CPPlayer* other : racers) {
            if (other != &racer) world.RemoveCar(other);
        }
        racers = {&racer};
    }

    void RunFrame(bool driven)
    {
        ++FrameNumber;
        if (driven) {
            for (size_t i = 0; i < racers.size(); ++i) {
                CPPlayer& racer = *racers[i];
                drivers.opponents[i]->Setup(&racer, ForwardAxisOf(racer), 0.0f, &racer, static_cast<int>(i), 0);
            }
            drivers.Execute();
        }
        world.Execute();
        // Drawing the frame brings each racer's transform and boxes up to
        // date; the rule steps of the next frame read them.
        for (CPPlayer* racer : racers) {
            racer->UpdateTransform();
            racer->Update(kStep);
        }
    }
    void RunFrames(int frames, bool driven)
    {
        for (int i = 0; i < frames; ++i) RunFrame(driven);
    }

    static float UpZ(CPGameObject& car)
    {
        D3DXMATRIX rotation;
        D3DXMatrixRotationQuaternion(&rotation, car.GetRotationRef());
        return rotation._33;
    }
    static float RingDistance(const D3DXVECTOR3& point) { return std::sqrt(point.x * point.x + point.y * point.y); }
    // Within the road's half width of its middle, or by less than half a
    // car's width over its edge.
    static bool OnTheRoad(const D3DXVECTOR3& point)
    {
        return std::fabs(RingDistance(point) - kLevelOneRoadRadius) <= kLevelOneRoadHalfWidth + kHalfCarWidth;
    }
    static float Speed(CPGameObject& car)
    {
        const D3DXVECTOR3 velocity = car.GetPhysicData()->GetRigidBody()->GetVelocity();
        return std::sqrt(velocity.x * velocity.x + velocity.y * velocity.y + velocity.z * velocity.z);
    }

    // +1 when the route is driven counter-clockwise round the ring (its
    // pieces along their previous links), -1 when clockwise.
    float RouteTurn() const
    {
        const CPLine* first = level->routeSpline->GetFirstLine();
        const D3DXVECTOR3& here = first->centre;
        const D3DXVECTOR3& ahead = first->previous->centre;
        return here.x * ahead.y - here.y * ahead.x > 0.0f ? 1.0f : -1.0f;
    }

    CPLevel* level = nullptr;
    std::vector<CPPlayer*> racers;

private:
    float m_savedDelta;
};

TEST_F(LevelOneRace, ACapsizedCarRespawnsUprightOnTheRoad)
{
    CPPlayer& player = Player();
    racers = {&player};
    RunFrames(30, false);
    ASSERT_GT(UpZ(player), 0.99f);
    // Upside down where it stood, rolled about its nose.
    D3DXQUATERNION roll, turned;
    const D3DXVECTOR3 nose = ForwardAxisOf(player);
    D3DXQuaternionRotationAxis(&roll, &nose, 3.0f);
    D3DXQuaternionMultiply(&turned, player.GetRotationRef(), &roll);
    player.SetRotation(turned.x, turned.y, turned.z, turned.w);
    RunFrame(false);
    EXPECT_EQ(player.respawnCooldown, 1.0f - kStep) << "respawned in its first step upside down";
    RunFrames(120, false);
    EXPECT_GT(UpZ(player), 0.99f);
    EXPECT_TRUE(OnTheRoad(*player.GetPositionRef()));
    EXPECT_GT(player.GetPhysicData()->GetCandidateCount(), 0);
    EXPECT_LT(Speed(player), 1.0f) << "standing on its wheels";
}

TEST_F(LevelOneRace, ALightStopsADarkSideCarAndFreesItAfterFourSeconds)
{
    ParkPlayer();
    // On the road's inner half, so that its straight run ahead bends out
    // with the ring no further than the road's outer half.
    CPPlayer& racer = *racers[1];
    KeepOnly(racer);
    racer.sideFlags = CPPlayer::kDarkSide;
    // A small light 25 units ahead of the car.
    CPGameObject light("light");
    const D3DXVECTOR3 at = *racer.GetPositionRef() + ForwardAxisOf(racer) * 25.0f;
    light.SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0.5f, 0.5f, 2.0f)));
    light.SetPosition(at.x, at.y, at.z);
    light.UpdateTransform();
    BonusEntry entry;
    entry.object = &light;
    data.bonusList.push_back(entry);

    for (int frame = 0; frame < 600 && !racer.locked; ++frame) {
        racer.SetCarParams(1.0f, 0.0f);
        RunFrame(false);
    }
    ASSERT_TRUE(racer.locked) << "the car reached the light";
    EXPECT_GT(Speed(racer), 5.0f);
    const int lockedFrames = static_cast<int>(4.0f / kStep);
    for (int i = 0; i < lockedFrames - 1; ++i) {
        racer.SetCarParams(1.0f, 0.0f);
        RunFrame(false);
        ASSERT_TRUE(racer.locked) << i;
    }
    EXPECT_LT(Speed(racer), 0.5f) << "held standing";
    for (int i = 0; i < 3 && racer.locked; ++i) RunFrame(false);
    EXPECT_FALSE(racer.locked) << "freed in the step past four seconds";
    EXPECT_FALSE(racer.GetCar()->IsLocked());
    // Standing in the light it would be stunned again: the light goes.
    data.bonusList.clear();
    const D3DXVECTOR3 freed = *racer.GetPositionRef();
    for (int i = 0; i < 60; ++i) {
        racer.SetCarParams(1.0f, 0.0f);
        RunFrame(false);
    }
    const D3DXVECTOR3 moved = *racer.GetPositionRef() - freed;
    const D3DXVECTOR3 forward = ForwardAxisOf(racer);
    EXPECT_GT(D3DXVec3Dot(&moved, &forward), 2.0f) << "it drives on";
}

TEST_F(LevelOneRace, AProjectileFromThePlayerHitsTheRacerBehind)
{
    gameobject_test::Receiver hit[3];
    for (size_t i = 0; i < racers.size(); ++i) {
        hit[i].Start();
        racers[i]->SetScriptHandler(&hit[i]);
    }
    CPPlayer& player = Player();
    ProjectileShot shot("bullet");
    ASSERT_TRUE(shot.SetParams({"none", "120", "60", "35", "none", "none"}));
    // Back along the route, past the racer beside the player, to the one
    // behind it.
    const D3DXVECTOR3 from = *player.GetPositionRef() + D3DXVECTOR3(0, 0, 0.5f);
    shot.Launch(from, -ForwardAxisOf(player), -1.0f, &player, 0);
    int frames = 0;
    while (frames < 60 && shot.Update()) {
        ++frames;
        RunFrame(false);
    }
    EXPECT_LT(frames, 60) << "the shot ended";
    EXPECT_TRUE(hit[0].TakeCommands().empty());
    EXPECT_EQ(hit[1].TakeCommands(), std::vector<std::string>{"damage:35.00"});
    EXPECT_TRUE(hit[2].TakeCommands().empty());
    for (CPPlayer* racer : racers) racer->SetScriptHandler(nullptr);
}

TEST_F(LevelOneRace, EachComputerDriverLapsThroughItsRacersSteps)
{
    for (size_t slot = 0; slot < 3; ++slot) {
        if (slot > 0) SetUp();
        ParkPlayer();
        CPPlayer& racer = *racers[slot];
        KeepOnly(racer);

        const float cruise = AIManager::CruiseSpeed(racer.GetCar()->GetMaxFrontSpeed());
        const int limit = static_cast<int>(1.5f * kTwoPi * kLevelOneRoadRadius / cruise / kStep);
        track_test::AngleTracker round(*racer.GetPositionRef());
        for (int frame = 0; frame < limit && round.Total() * RouteTurn() < kTwoPi; ++frame) {
            RunFrame(true);
            round.Follow(*racer.GetPositionRef());
        }
        EXPECT_GE(round.Total() * RouteTurn(), kTwoPi) << "racer " << slot;
        EXPECT_TRUE(OnTheRoad(*racer.GetPositionRef())) << "racer " << slot;
    }
}

} // namespace
