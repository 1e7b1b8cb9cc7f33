#include "game/PShotSpawner.h"

#include "core/FrameClock.h"
#include "game/tests/ShotTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace shot_test;

namespace {

const float kPi = 3.14159265f;
const D3DXVECTOR3 kAt(4.0f, -7.0f, 2.5f);
const D3DXVECTOR3 kAlong(0.3f, -0.5f, 0.8f);

// A spawner whose "bolt" pool holds a template and, when asked, idle shots.
class ShotSpawner : public testing::Test {
protected:
    RecordingShot* AddShot(int serial)
    {
        RecordingShot* shot = new RecordingShot("bolt", serial);
        spawner->AddTemplate(std::unique_ptr<CPShot>(shot));
        return shot;
    }
    RecordingShot* Active(size_t index)
    {
        return static_cast<RecordingShot*>(spawner->GetActiveShots()[index].Get());
    }
    size_t PoolSize(const char* kind)
    {
        const CPShotSpawner::ShotList* pool = spawner->FindPool(kind);
        return pool ? pool->size() : 0u;
    }
    void Spawn(const char* kind = "bolt") { spawner->Spawn(kind, kAt, kAlong, 2.5f, nullptr, 7); }

    std::unique_ptr<CPShotSpawner> spawner{new CPShotSpawner()};
};

TEST_F(ShotSpawner, AKindWithoutAPoolGetsAnEmptyOneAndSpawnsNothing)
{
    Spawn("nothing");
    Spawn("nothing");
    ASSERT_TRUE(spawner->FindPool("nothing"));
    EXPECT_EQ(PoolSize("nothing"), 0u);
    EXPECT_TRUE(spawner->GetActiveShots().empty());
}

TEST_F(ShotSpawner, ALoneTemplateIsClonedForEverySpawnAndStaysAlone)
{
    RecordingShot* shot = AddShot(0);
    Spawn();
    Spawn();
    ASSERT_EQ(spawner->GetActiveShots().size(), 2u);
    EXPECT_EQ(Active(0)->serial, 1);
    EXPECT_EQ(Active(1)->serial, 2);
    EXPECT_EQ(PoolSize("bolt"), 1u);
    EXPECT_TRUE(shot->launches.empty()) << "the template itself never flies";
    const RecordingShot::LaunchCall& call = Active(1)->launches.at(0);
    EXPECT_EQ(call.position, kAt);
    EXPECT_EQ(call.direction, kAlong);
    EXPECT_EQ(call.value, 2.5f);
    EXPECT_EQ(call.extra, 7);
}

TEST_F(ShotSpawner, IdleShotsAreTakenLastFirstBeforeTheTemplateIsCloned)
{
    AddShot(30);
    AddShot(20);
    AddShot(10);  // the template: each template goes first
    Spawn();
    Spawn();
    Spawn();
    ASSERT_EQ(spawner->GetActiveShots().size(), 3u);
    EXPECT_EQ(Active(0)->serial, 30);
    EXPECT_EQ(Active(1)->serial, 20);
    EXPECT_EQ(Active(2)->serial, 1) << "a clone of the template";
    EXPECT_EQ(PoolSize("bolt"), 1u);
}

TEST_F(ShotSpawner, DestroysEveryShotItOwnsWhenItGoes)
{
    const int before = RecordingShot::Alive();
    AddShot(0);
    Spawn();
    Spawn();
    spawner->ReturnToPool(Active(0));
    spawner->GetActiveShots()[0]->Release();
    EXPECT_EQ(RecordingShot::Alive(), before + 3) << "letting a reference go frees nothing";
    spawner.reset();
    EXPECT_EQ(RecordingShot::Alive(), before);
}

// The runner over the spawner's active shots.
TEST_F(ShotSpawner, TheRunnerUpdatesOnceAFrameAndPoolsFinishedShotsAfterTheTemplate)
{
    AddShot(0);
    for (int i = 0; i < 3; ++i) Spawn();
    RecordingShot* first = Active(0);
    RecordingShot* second = Active(1);
    RecordingShot* third = Active(2);
    second->answers = {false};
    third->answers = {true, false};
    // The first shot's impact is spawned during the walk: it runs next frame.
    first->onUpdate = [&] {
        first->onUpdate = nullptr;
        Spawn();
    };
    CPShotRunner& runner = *spawner->GetRunner();
    EXPECT_EQ(runner.GetPriority(), 450);
    runner.Execute();
    ASSERT_EQ(spawner->GetActiveShots().size(), 3u);
    EXPECT_EQ(Active(0), first);
    EXPECT_EQ(Active(1), third);
    RecordingShot* impact = Active(2);
    EXPECT_EQ(impact->updates, 0);
    EXPECT_EQ(second->updates, 1);
    const CPShotSpawner::ShotList& pool = *spawner->FindPool("bolt");
    ASSERT_EQ(pool.size(), 2u);
    EXPECT_EQ(static_cast<RecordingShot*>(pool[0].Get())->serial, 0) << "the template stays first";
    EXPECT_EQ(pool[1].Get(), second);

    runner.Execute();
    EXPECT_EQ(first->updates, 2);
    EXPECT_EQ(impact->updates, 1);
    ASSERT_EQ(spawner->GetActiveShots().size(), 2u);
    EXPECT_EQ(pool.size(), 3u);
    EXPECT_EQ(pool[2].Get(), third);
    Spawn();
    EXPECT_EQ(Active(2), third) << "the last shot pooled flies first";
}

struct SoundCase {
    std::vector<std::string> params;
    const char* soundName;
    bool hasSound;
    bool plain;
};

class ShotParams : public testing::TestWithParam<SoundCase> {
protected:
    ShotSounds sounds;
};

TEST_P(ShotParams, TheLastStringNamesTheSoundAndItsMode)
{
    const SoundCase& c = GetParam();
    RecordingShot shot("bolt");
    EXPECT_TRUE(shot.SetParams(c.params));
    EXPECT_EQ(shot.GetSoundName(), c.soundName);
    ASSERT_EQ(shot.GetSound() != nullptr, c.hasSound);
    EXPECT_EQ(shot.IsSound2D(), c.plain);
    if (!c.hasSound) return;
    EXPECT_EQ(shot.GetSound()->Get3DBuffer() == nullptr, c.plain);
    RefPtr<CNSound> cached;
    sounds.cache.Find(cached, "boom.wav");
    EXPECT_EQ(cached.Get(), shot.GetSound()) << "the cache's shared sound";
}

INSTANTIATE_TEST_SUITE_P(
    Sounds, ShotParams,
    testing::Values(SoundCase{{"12", "boom.wav,2d"}, "boom.wav", true, true},
                    SoundCase{{"boom.wav"}, "boom.wav", true, false},
                    SoundCase{{"boom.wav,3d"}, "boom.wav", true, false},
                    SoundCase{{"boom.wav,2D"}, "boom.wav", true, false},
                    SoundCase{{"boom.wav,2d", "x"}, "x", false, false},
                    SoundCase{{"none,2d"}, "none", false, false},
                    SoundCase{{"none"}, "none", false, false}, SoundCase{{}, "", false, false}));

// Where the shot's forward axis (-y) points after the turn.
D3DXVECTOR3 TurnedForward(const D3DXQUATERNION& rotation)
{
    D3DXMATRIX matrix;
    D3DXMatrixRotationQuaternion(&matrix, &rotation);
    const D3DXVECTOR3 forward(0.0f, -1.0f, 0.0f);
    D3DXVECTOR3 turned;
    D3DXVec3TransformNormal(&turned, &forward, &matrix);
    return turned;
}

void ExpectQuaternion(const D3DXQUATERNION& actual, const D3DXQUATERNION& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
    EXPECT_NEAR(actual.w, expected.w, 1e-5f);
}

TEST(ShotOrientation, TurnsTheForwardAxisOntoTheDirectionAsTheAxisAngleQuaternionDoes)
{
    const D3DXVECTOR3 directions[] = {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0.3f, -0.5f, 0.8f),
                                      D3DXVECTOR3(-6, 2, -3), D3DXVECTOR3(0, 0.5f, -2)};
    for (const D3DXVECTOR3& direction : directions) {
        D3DXVECTOR3 unit;
        D3DXVec3Normalize(&unit, &direction);
        const D3DXVECTOR3 axis(unit.z, 0.0f, -unit.x);
        D3DXQUATERNION expected;
        D3DXQuaternionRotationAxis(&expected, &axis, -std::acos(-unit.y));
        const D3DXQUATERNION rotation = CPShot::OrientationFor(direction);
        ExpectQuaternion(rotation, expected);
        const D3DXVECTOR3 forward = TurnedForward(rotation);
        EXPECT_NEAR(forward.x, unit.x, 1e-5f) << direction.x;
        EXPECT_NEAR(forward.y, unit.y, 1e-5f) << direction.x;
        EXPECT_NEAR(forward.z, unit.z, 1e-5f) << direction.x;
    }
    D3DXQUATERNION quarter;
    const D3DXVECTOR3 down(0, 0, -1);
    D3DXQuaternionRotationAxis(&quarter, &down, -kPi / 2);
    ExpectQuaternion(CPShot::OrientationFor(D3DXVECTOR3(1, 0, 0)), quarter);
}

TEST(ShotOrientation, AlongTheYAxisOrWithoutADirectionNoAxisIsNeeded)
{
    const D3DXQUATERNION identity(0, 0, 0, 1);
    ExpectQuaternion(CPShot::OrientationFor(D3DXVECTOR3(0, -3, 0)), identity);
    ExpectQuaternion(CPShot::OrientationFor(D3DXVECTOR3(0, 0, 0)), identity);
    ExpectQuaternion(CPShot::OrientationFor(D3DXVECTOR3(0, 0.0005f, 0.0f)), identity);
    const D3DXQUATERNION halfTurn = CPShot::OrientationFor(D3DXVECTOR3(0, 2, 0));
    EXPECT_NEAR(std::fabs(halfTurn.z), 1.0f, 1e-5f);
    EXPECT_NEAR(halfTurn.w, 0.0f, 1e-5f);
    const D3DXVECTOR3 forward = TurnedForward(halfTurn);
    EXPECT_NEAR(forward.y, 1.0f, 1e-5f);
}

TEST(ShotLaunch, TurnsTheShotAndPlaysAPositionedSoundOnceStampedWithTheFrame)
{
    ShotSounds sounds;
    RecordingShot shot("bolt");
    shot.SetParams({"boom.wav"});
    ShotSounds::BufferOf(shot.GetSound()).calls.clear();
    const int savedFrame = FrameNumber;
    FrameNumber = 4321;
    shot.Launch(kAt, kAlong, 3.0f, nullptr, 0);
    FrameNumber = savedFrame;

    ExpectQuaternion(*shot.GetRotationRef(), CPShot::OrientationFor(kAlong));
    EXPECT_EQ(*shot.GetPositionRef(), D3DXVECTOR3(0, 0, 0)) << "Launch leaves placing to Update";
    EXPECT_EQ(shot.GetShotPosition(), kAt);
    EXPECT_EQ(shot.GetValue(), 3.0f);
    CNSound* sound = shot.GetSound();
    EXPECT_EQ(sound->GetFrameStamp(), 4321u);
    sounddouble::Recording3DBuffer& buffer3D = *static_cast<sounddouble::Recording3DBuffer*>(sound->Get3DBuffer());
    ASSERT_FALSE(buffer3D.writes.empty());
    const DS3DBUFFER& placed = buffer3D.writes.back().parameters;
    EXPECT_EQ(D3DXVECTOR3(placed.vPosition.x, placed.vPosition.y, placed.vPosition.z), kAt);
    EXPECT_EQ(D3DXVECTOR3(placed.vVelocity.x, placed.vVelocity.y, placed.vVelocity.z), D3DXVECTOR3(0, 0, 0));
    std::vector<std::string> calls = ShotSounds::BufferOf(sound).calls;
    std::vector<std::string> playing;
    for (const std::string& call : calls) {
        if (call == "Stop" || call.rfind("SetCurrentPosition", 0) == 0 || call.rfind("Play", 0) == 0) {
            playing.push_back(call);
        }
    }
    EXPECT_EQ(playing, (std::vector<std::string>{"Stop", "SetCurrentPosition 0", "Play 0 0 0"}));
}

TEST(ShotLaunch, APlainSoundIsNotPlaced)
{
    ShotSounds sounds;
    RecordingShot shot("bolt");
    shot.SetParams({"boom.wav,2d"});
    shot.Launch(kAt, kAlong, -1.0f, nullptr, 0);
    EXPECT_EQ(ShotSounds::BufferOf(shot.GetSound()).CountCalls("Play 0 0 0"), 1);
    EXPECT_FALSE(shot.GetSound()->Get3DBuffer());
}

} // namespace
