#include "script/tests/ScriptTest.h"

#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "Sound/tests/WaveFixtures.h"

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

// Long enough to be playing still at every check: 4 s of 16-bit mono.
const uint32_t kRate = 22050;
const size_t kWaveBytes = 4 * kRate * 2;
// Time for the play cursor to move well away from the start, and the most
// a busy machine may take to move it at all.
const DWORD kPlayMilliseconds = 150;
const DWORD kMostWaitMilliseconds = 1000;

// Named sounds on Wine's real DirectSound, playing into ALSA's null device:
// "engine" a positioned sound, "click" a plain one, both written here.
class SoundScript : public ScriptTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
        ASSERT_EQ(device->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY), DS_OK);
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Sounds", nullptr);
        const std::string samples(kWaveBytes, '\x10');
        std::ofstream("Data\\Sounds\\engine.wav", std::ios::binary) << wavefixture::Wave(1, kRate, 16, samples);
        std::ofstream("Data\\Sounds\\click.wav", std::ios::binary) << wavefixture::Wave(1, kRate, 16, samples);
        cache.reset(new CPSoundCache(device));
        manager.reset(new CPSoundManager(cache.get()));
        g_pSoundManager = manager.get();
        Name("engine", CNSound::kPositioned);
        Name("click", CNSound::kPlain);
    }
    void TearDown() override
    {
        g_pSoundManager = nullptr;
        manager.reset();
        cache.reset();
        if (device) device->Release();
        DeleteFileA("Data\\Sounds\\engine.wav");
        DeleteFileA("Data\\Sounds\\click.wav");
    }

    void Name(const std::string& name, int mode)
    {
        RefPtr<CNSound> sound;
        manager->LoadSound(sound, name + ".wav", mode, false);
        ASSERT_TRUE(sound && sound->IsCreated()) << name;
        manager->GetNamedSounds()[name] = sound;
    }
    CNSound& Sound(const std::string& name) { return *manager->GetNamedSounds()[name].Get(); }
    DWORD PlayPosition(const std::string& name)
    {
        DWORD play = 0, write = 0;
        Sound(name).GetBuffer()->GetCurrentPosition(&play, &write);
        return play;
    }
    // Lets a sound play until its cursor has left the start: a busy machine
    // can hold the mixer back longer than the usual wait.
    DWORD PlayAway(const std::string& name)
    {
        Sleep(kPlayMilliseconds);
        for (DWORD waited = 0; PlayPosition(name) == 0 && waited < kMostWaitMilliseconds; waited += 10) Sleep(10);
        return PlayPosition(name);
    }
    D3DVECTOR Position3D(const std::string& name)
    {
        D3DVECTOR position = {};
        Sound(name).Get3DBuffer()->GetPosition(&position);
        return position;
    }
    D3DVECTOR Velocity3D(const std::string& name)
    {
        D3DVECTOR velocity = {};
        Sound(name).Get3DBuffer()->GetVelocity(&velocity);
        return velocity;
    }
    static void ExpectVector(const D3DVECTOR& actual, float x, float y, float z)
    {
        EXPECT_EQ(actual.x, x);
        EXPECT_EQ(actual.y, y);
        EXPECT_EQ(actual.z, z);
    }

    IDirectSound8* device = nullptr;
    std::unique_ptr<CPSoundCache> cache;
    std::unique_ptr<CPSoundManager> manager;
};

TEST_F(SoundScript, KeepPlayingLeavesAPlayingSoundWhereItIsButMovesIt)
{
    EXPECT_EQ(Results("return PlaySpecialSound3D('engine', 1, 2, 3, true)"), Texts({"true"}));
    ExpectVector(Position3D("engine"), 1.0f, 2.0f, 3.0f);
    const DWORD before = PlayAway("engine");
    ASSERT_GT(before, 0u);

    EXPECT_EQ(Results("return PlaySpecialSound3D('engine', -4, 5, 6.5, true, true)"), Texts({"false"}));
    EXPECT_GE(PlayPosition("engine"), before) << "not rewound";
    ExpectVector(Position3D("engine"), -4.0f, 5.0f, 6.5f);
    ExpectVector(Velocity3D("engine"), 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(Results("return IsSpecialSoundPlaying('engine')"), Texts({"true"}));
}

TEST_F(SoundScript, PlayingAgainRestartsFromTheBeginning)
{
    const char* const plays[] = {"PlaySpecialSound3D('engine', 0, 0, 0, true, 1)", "PlaySpecialSound('click')"};
    const char* const names[] = {"engine", "click"};
    for (int i = 0; i < 2; ++i) {
        Results(plays[i]);
        const DWORD before = PlayAway(names[i]);
        ASSERT_GT(before, 0u) << names[i];
        Results(plays[i]);
        EXPECT_LT(PlayPosition(names[i]), before) << plays[i] << ": a number is no keep-playing flag";
        EXPECT_TRUE(Sound(names[i]).IsPlaying()) << names[i];
    }
}

TEST_F(SoundScript, StopSpecialSoundKeepsThePlayPosition)
{
    Results("PlaySpecialSound('click')");
    PlayAway("click");
    Results("StopSpecialSound('click')");
    const DWORD stopped = PlayPosition("click");
    EXPECT_GT(stopped, 0u);
    EXPECT_EQ(Results("return IsSpecialSoundPlaying('click')"), Texts({"false"}));
    Sleep(kPlayMilliseconds / 3);
    EXPECT_EQ(PlayPosition("click"), stopped);
}

TEST_F(SoundScript, KeepPlayingStartsASoundThatIsNotPlaying)
{
    EXPECT_EQ(Results("return PlaySpecialSound3D('engine', 1, 2, 3, false, true)"), Texts({"true"}));
    EXPECT_TRUE(Sound("engine").IsPlaying());
}

TEST_F(SoundScript, UpdateSoundPositionTakesAVelocityOnlyFromThreeNumbers)
{
    Results("UpdateSoundPosition('engine', 1, 2, 3, 4, 5, 6)");
    ExpectVector(Position3D("engine"), 1.0f, 2.0f, 3.0f);
    ExpectVector(Velocity3D("engine"), 4.0f, 5.0f, 6.0f);
    Results("UpdateSoundPosition('engine', -1, -2, -3, 4, 5, '6')");
    ExpectVector(Position3D("engine"), -1.0f, -2.0f, -3.0f);
    ExpectVector(Velocity3D("engine"), 0.0f, 0.0f, 0.0f);
    Results("UpdateSoundPosition(nil, 7, 8, 9)");
    ExpectVector(Position3D("engine"), -1.0f, -2.0f, -3.0f);
}

TEST_F(SoundScript, AnUnknownNamePlaysNothingAndIsEnteredEmpty)
{
    EXPECT_EQ(Results("return PlaySpecialSound3D('missing', 1, 2, 3)"), Texts({"true"}));
    EXPECT_EQ(Results("PlaySpecialSound('missing') StopSpecialSound('missing') "
                      "return IsSpecialSoundPlaying('missing')"),
              Texts({"false"}));
    ASSERT_EQ(manager->GetNamedSounds().count("missing"), 1u);
    EXPECT_FALSE(manager->GetNamedSounds()["missing"]);
    EXPECT_NE(ErrorOf("PlaySpecialSound()"), "");
}

} // namespace
