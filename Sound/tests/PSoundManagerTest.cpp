#include "Sound/PMusic.h"
#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "Sound/tests/RecordingDirectSound.h"
#include "Sound/tests/WaveFixtures.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace wavefixture;
using sounddouble::Recording3DBuffer;
using sounddouble::RecordingBuffer;
using sounddouble::RecordingDirectSound;

// Sounds made from "Data\Sounds" on the recording device. Members are
// destroyed manager first, so its named sounds let go before the cache
// destroys the sounds it shares.
class SoundManagerTest : public testing::Test {
protected:
    SoundManagerTest() : m_cache(&m_device), m_manager(&m_cache)
    {
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Sounds", nullptr);
        WriteFile("Data\\Sounds\\boom.wav", Wave(1, 22050, 16, "abcdefgh"));
    }
    ~SoundManagerTest() override
    {
        g_soundVolume = m_savedSoundVolume;
        g_musicVolume = m_savedMusicVolume;
    }

    RecordingBuffer& BufferOf(CNSound* sound)
    {
        return *static_cast<RecordingBuffer*>(sound->GetBuffer());
    }

    Recording3DBuffer& Buffer3DOf(CNSound* sound)
    {
        return *static_cast<Recording3DBuffer*>(sound->Get3DBuffer());
    }

    float m_savedSoundVolume = g_soundVolume;
    float m_savedMusicVolume = g_musicVolume;
    RecordingDirectSound m_device;
    CPSoundCache m_cache;
    CPSoundManager m_manager;
};

bool SameParameters(const DS3DBUFFER& a, const DS3DBUFFER& b)
{
    return std::memcmp(&a, &b, sizeof(DS3DBUFFER)) == 0;
}

TEST_F(SoundManagerTest, SharesTheSoundOfANameUnlessReloaded)
{
    RefPtr<CNSound> first, second, reloaded, later;
    m_manager.LoadSound(first, "boom.wav", CNSound::kPlain, false);
    m_manager.LoadSound(second, "boom.wav", CNSound::kPlain, false);
    ASSERT_TRUE(first);
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(m_device.descriptions.size(), 1u);
    EXPECT_EQ(first->GetPath(), "Data\\Sounds\\boom.wav");

    m_manager.LoadSound(reloaded, "boom.wav", CNSound::kPlain, true);
    ASSERT_TRUE(reloaded);
    EXPECT_NE(reloaded.Get(), first.Get());
    EXPECT_EQ(m_device.descriptions.size(), 2u);

    m_manager.LoadSound(later, "boom.wav", CNSound::kPlain, false);
    EXPECT_EQ(later.Get(), first.Get());

    CNSound* own = reloaded.Get();
    reloaded = nullptr;
    delete own;
}

TEST_F(SoundManagerTest, FindsOnlyTheExactName)
{
    RefPtr<CNSound> loaded, found;
    m_cache.GetSound(loaded, "boom.wav", CNSound::kPlain, false);
    m_cache.Find(found, "boom.wav");
    EXPECT_EQ(found.Get(), loaded.Get());
    for (const char* other : {"BOOM.WAV", "boom.wa", "boom.wav ", ""}) {
        m_cache.Find(found, other);
        EXPECT_FALSE(found) << other;
    }
}

TEST_F(SoundManagerTest, AMissingFileGivesNullEveryTime)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        RefPtr<CNSound> sound;
        m_manager.LoadSound(sound, "missing.wav", CNSound::kPositioned, false);
        EXPECT_FALSE(sound);
    }
    EXPECT_TRUE(m_device.descriptions.empty());
}

TEST_F(SoundManagerTest, APositionedSoundIsHeardFromDistance1To1000)
{
    RefPtr<CNSound> sound;
    m_manager.LoadSound(sound, "boom.wav", CNSound::kPositioned, false);
    ASSERT_TRUE(sound);
    Recording3DBuffer& buffer3D = Buffer3DOf(sound.Get());
    ASSERT_EQ(buffer3D.writes.size(), 2u);

    DS3DBUFFER expected = buffer3D.writes[0].parameters;
    expected.flMinDistance = 1.0f;
    expected.flMaxDistance = 1000.0f;
    EXPECT_TRUE(SameParameters(buffer3D.writes[1].parameters, expected));
    EXPECT_EQ(buffer3D.writes[1].apply, DWORD(DS3D_IMMEDIATE));
}

TEST_F(SoundManagerTest, UpdatesTouchOnlyTheirOwnFields)
{
    RefPtr<CNSound> sound;
    m_manager.LoadSound(sound, "boom.wav", CNSound::kPositioned, false);
    ASSERT_TRUE(sound);
    Recording3DBuffer& buffer3D = Buffer3DOf(sound.Get());

    DS3DBUFFER expected = buffer3D.parameters;
    expected.vPosition = {10.0f, -20.0f, 30.0f};
    expected.vVelocity = {0.5f, 0.0f, -1.5f};
    CPSoundManager::SetSoundPosition(sound, {10.0f, -20.0f, 30.0f}, {0.5f, 0.0f, -1.5f});
    EXPECT_TRUE(SameParameters(buffer3D.writes.back().parameters, expected));

    expected.flMinDistance = 4.0f;
    expected.flMaxDistance = 250.0f;
    CPSoundManager::SetSoundDistances(sound, 4.0f, 250.0f);
    EXPECT_TRUE(SameParameters(buffer3D.writes.back().parameters, expected));
    EXPECT_EQ(buffer3D.writes.back().apply, DWORD(DS3D_IMMEDIATE));
    EXPECT_TRUE(buffer3D.unexpected.empty());
}

TEST_F(SoundManagerTest, LeavesAPlainSoundAloneAndReleasesTheReference)
{
    RefPtr<CNSound> sound;
    m_manager.LoadSound(sound, "boom.wav", CNSound::kPlain, false);
    ASSERT_TRUE(sound);
    BufferOf(sound.Get()).calls.clear();

    CPSoundManager::SetSoundPosition(sound, {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 0.0f});
    CPSoundManager::SetSoundDistances(sound, 1.0f, 2.0f);
    EXPECT_TRUE(BufferOf(sound.Get()).calls.empty());
    EXPECT_EQ(sound->GetRefCount(), 0);
}

TEST_F(SoundManagerTest, AnUnknownNameIsEnteredEmpty)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        RefPtr<CNSound> sound;
        m_manager.GetSound(sound, "horn");
        EXPECT_FALSE(sound);
        ASSERT_EQ(m_manager.GetNamedSounds().size(), 1u);
        EXPECT_FALSE(m_manager.GetNamedSounds().at("horn"));
    }
}

TEST_F(SoundManagerTest, HandsOutANamedSoundWithAReference)
{
    RefPtr<CNSound> loaded, named;
    m_manager.LoadSound(loaded, "boom.wav", CNSound::kPlain, false);
    m_manager.GetNamedSounds()["engine"] = loaded;
    int references = loaded->GetRefCount();

    m_manager.GetSound(named, "engine");
    EXPECT_EQ(named.Get(), loaded.Get());
    EXPECT_EQ(loaded->GetRefCount(), references + 1);
}

TEST_F(SoundManagerTest, SoundVolumeIsStoredAndReachesEverySound)
{
    RefPtr<CNSound> shared, own;
    m_manager.LoadSound(shared, "boom.wav", CNSound::kPlain, false);
    m_manager.LoadSound(own, "boom.wav", CNSound::kPositioned, true);

    m_manager.ApplySoundVolume(0.25f);
    EXPECT_EQ(g_soundVolume, 0.25f);
    EXPECT_EQ(BufferOf(shared.Get()).volume, -2214);
    EXPECT_EQ(BufferOf(own.Get()).volume, -2214);

    CNSound* reloaded = own.Get();
    own = nullptr;
    delete reloaded;
}

TEST_F(SoundManagerTest, MusicVolumeIsStoredWithOrWithoutAPlayer)
{
    CPMusic* savedMusic = g_pMusic;
    g_pMusic = nullptr;
    m_manager.ApplyMusicVolume(0.3f);
    EXPECT_EQ(g_musicVolume, 0.3f);

    CPMusic music;
    g_pMusic = &music;
    m_manager.ApplyMusicVolume(0.8f);
    EXPECT_EQ(g_musicVolume, 0.8f);
    EXPECT_EQ(music.GetVolume(), 0.8f);
    g_pMusic = savedMusic;
}

} // namespace
