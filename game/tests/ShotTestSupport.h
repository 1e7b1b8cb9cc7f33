#pragma once

#include "Sound/PSoundCache.h"
#include "Sound/tests/RecordingDirectSound.h"
#include "Sound/tests/WaveFixtures.h"
#include "Render/PParticleBatch.h"
#include "game/PShot.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace shot_test {

inline void ExpectPoint(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

// A shot that records its launches and answers Update from a script of
// answers (true once they run out); it counts the shots alive, so a test
// sees the spawner destroy what it owns. onUpdate runs inside Update.
class RecordingShot : public CPShot {
public:
    struct LaunchCall {
        D3DXVECTOR3 position;
        D3DXVECTOR3 direction;
        float value;
        CPGameObject* owner;
        int extra;
    };

    explicit RecordingShot(const std::string& kind, int serial = 0) : CPShot(kind), serial(serial) { ++Alive(); }
    ~RecordingShot() override { --Alive(); }

    static int& Alive()
    {
        static int alive = 0;
        return alive;
    }

    void Clone(RefPtr<CPShot>& copy) override { copy = new RecordingShot(GetKindName(), ++clones); }
    bool Update() override
    {
        ++updates;
        if (onUpdate) onUpdate();
        if (answers.empty()) return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Launch(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float value,
                RefPtr<CPGameObject> owner, int extra) override
    {
        launches.push_back({position, direction, value, owner.Get(), extra});
        CPShot::Launch(position, direction, value, owner, extra);
    }

    int serial;
    int clones = 0;
    int updates = 0;
    std::deque<bool> answers;
    std::vector<LaunchCall> launches;
    std::function<void()> onUpdate;
};

// A particle batch that keeps copies of what it receives.
class RecordingBatch : public IPParticleBatch {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "RecordingBatch"; }
    void AddParticle(const Particle& particle) override { records.push_back(particle.record); }
    void Clear() override { records.clear(); }
    std::vector<ParticleSpawnRecord> records;
};

// The sound cache over the recording device, published as the host
// publishes it, with "boom.wav" in "Data\Sounds".
class ShotSounds {
public:
    ShotSounds() : cache(&device), m_previous(g_pSoundCache)
    {
        CreateDirectoryA("Data", nullptr);
        CreateDirectoryA("Data\\Sounds", nullptr);
        wavefixture::WriteFile("Data\\Sounds\\boom.wav", wavefixture::Wave(1, 22050, 16, "abcdefgh"));
        g_pSoundCache = &cache;
    }
    ~ShotSounds() { g_pSoundCache = m_previous; }

    static sounddouble::RecordingBuffer& BufferOf(CNSound* sound)
    {
        return *static_cast<sounddouble::RecordingBuffer*>(sound->GetBuffer());
    }

    sounddouble::RecordingDirectSound device;
    CPSoundCache cache;

private:
    CPSoundCache* m_previous;
};

} // namespace shot_test
