// Times particle systems emitting into a batch against a plain loop that
// writes the same particles with the same random draws and sines: 10,000
// systems of 10 emitters each on turned and placed objects, each emitting
// once a frame, so every frame writes 100,000 particles.

#include "core/FrameClock.h"
#include "core/PGameObject.h"
#include "Render/PParticleManager.h"
#include "Render/PParticleSystem.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const int kSystems = 10000;
const int kEmitters = 10;
// Frames of the two alternate, so both see the same load on the machine;
// the fastest frame of each is compared.
const int kFrames = 30;
const size_t kParticlesPerFrame = static_cast<size_t>(kSystems) * kEmitters;
// A frame a little longer than the interval emits once; the surplus would
// need thousands of frames to add up to a second emission.
const float kFrameTime = 0.5f;
const float kInterval = 0.4999f;
const unsigned kSeed = 2024;
const double kAllowedRatio = 3.0;
const float kTolerance = 1e-3f;

// What the batch keeps of a particle.
struct StoredParticle {
    D3DXVECTOR3 position;
    D3DXVECTOR3 velocity;
    D3DXVECTOR3 acceleration;
    float size;
    float secondScalar;
    float thirdScalar;
    uint8_t firstFlag;
    uint8_t secondFlag;
    float startAngle;
};

// Copies every particle of a chain into storage made once beforehand.
class StoringBatch : public IPParticleBatch {
public:
    explicit StoringBatch(std::vector<StoredParticle>& storage) : m_storage(storage), m_count(0) {}
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "StoringBatch"; }
    void AddParticle(const Particle& particle) override
    {
        for (const ParticleSpawnRecord* link = &particle.record; link; link = link->next.get()) {
            StoredParticle& stored = m_storage[m_count++];
            stored.position = link->position;
            stored.velocity = link->velocity;
            stored.acceleration = link->acceleration;
            stored.size = link->size;
            stored.secondScalar = link->secondScalar;
            stored.thirdScalar = link->thirdScalar;
            stored.firstFlag = link->firstFlag;
            stored.secondFlag = link->secondFlag;
            stored.startAngle = particle.startAngle;
        }
    }
    void Clear() override { m_count = 0; }

private:
    std::vector<StoredParticle>& m_storage;
    size_t m_count;
};

std::vector<EmitterDefinition> MakeEmitters()
{
    std::vector<EmitterDefinition> emitters;
    for (int e = 0; e < kEmitters; ++e) {
        EmitterDefinition emitter;
        emitter.firstScalar = 1.0f + e;
        emitter.secondScalar = 0.5f * e;
        emitter.direction = D3DXVECTOR3(std::cos(0.6f * e), std::sin(0.6f * e), 0.3f * (e - 4));
        D3DXVec3Normalize(&emitter.direction, &emitter.direction);
        emitter.speed = 2.0f + e;
        emitter.acceleration = D3DXVECTOR3(0.0f, 0.0f, -9.8f);
        emitter.thirdScalar = 0.25f * e;
        emitter.flag = static_cast<uint8_t>(e);
        emitter.particleName = "smoke";
        emitter.coneAngle = 20 + 8 * e;
        emitter.spread = D3DXVECTOR3(0.5f, 0.25f * e, 1.0f);
        emitters.push_back(emitter);
    }
    return emitters;
}

// Owners turned about a tilted axis and spread over a field.
std::vector<std::unique_ptr<CPGameObject>> MakeOwners()
{
    std::vector<std::unique_ptr<CPGameObject>> owners;
    for (int s = 0; s < kSystems; ++s) {
        owners.push_back(std::make_unique<CPGameObject>("owner"));
        D3DXQUATERNION turn;
        const D3DXVECTOR3 axis(0.3f, -0.5f, 1.0f);
        D3DXQuaternionRotationAxis(&turn, &axis, 0.001f * s);
        owners.back()->SetRotation(turn.x, turn.y, turn.z, turn.w);
        owners.back()->SetPosition(static_cast<float>(s % 100), static_cast<float>(s / 100), 1.0f);
        owners.back()->UpdateTransform();
    }
    return owners;
}

float RandomUnit()
{
    return static_cast<float>(std::rand()) / 32767.0f;
}

// The same particles written straight into the storage: the turn of each
// emitter's cone onto its direction and into the owner's world is worked
// out beforehand, as a hand-written loop would.
class PlainLoop {
public:
    PlainLoop(const std::vector<EmitterDefinition>& emitters,
              const std::vector<std::unique_ptr<CPGameObject>>& owners)
        : m_emitters(emitters)
    {
        for (const std::unique_ptr<CPGameObject>& owner : owners) {
            const D3DXMATRIX& world = owner->GetWorldMatrix();
            m_places.push_back(D3DXVECTOR3(world._41, world._42, world._43));
            for (const EmitterDefinition& emitter : emitters) {
                D3DXMATRIX turn;
                const D3DXVECTOR3 axis(-emitter.direction.y, emitter.direction.x, 0.0f);
                D3DXMatrixRotationAxis(&turn, &axis, std::acos(emitter.direction.z));
                m_turns.push_back(turn * world);
            }
        }
    }

    void RunFrame(std::vector<StoredParticle>& storage) const
    {
        size_t count = 0;
        for (size_t s = 0; s < m_places.size(); ++s) {
            const size_t first = count;
            for (size_t e = 0; e < m_emitters.size(); ++e) {
                const EmitterDefinition& emitter = m_emitters[e];
                StoredParticle& stored = storage[count++];
                const D3DXVECTOR3& spread = emitter.spread;
                stored.position.x = RandomUnit() * 2.0f * spread.x - spread.x;
                stored.position.y = RandomUnit() * 2.0f * spread.y - spread.y;
                stored.position.z = RandomUnit() * 2.0f * spread.z - spread.z;
                if (e == 0) stored.position += m_places[s];
                const float azimuth = static_cast<float>(std::rand() % 360) * kRadiansPerDegree;
                const float tilt = static_cast<float>(std::rand() % (emitter.coneAngle / 2)) * kRadiansPerDegree;
                const float sinTilt = std::sin(tilt);
                const D3DXVECTOR3 cone =
                    D3DXVECTOR3(std::cos(azimuth) * sinTilt, std::sin(azimuth) * sinTilt, std::cos(tilt)) *
                    emitter.speed;
                D3DXVec3TransformNormal(&stored.velocity, &cone, &m_turns[s * m_emitters.size() + e]);
                stored.acceleration = emitter.acceleration;
                stored.size = emitter.thirdScalar;
                stored.secondScalar = emitter.secondScalar;
                stored.thirdScalar = emitter.firstScalar;
                stored.firstFlag = emitter.flag;
                stored.secondFlag = 0;
            }
            const float startAngle = static_cast<float>(std::rand() % 360) * kRadiansPerDegree;
            for (size_t i = first; i < count; ++i) storage[i].startAngle = startAngle;
        }
    }

private:
    const std::vector<EmitterDefinition>& m_emitters;
    std::vector<D3DXVECTOR3> m_places;
    std::vector<D3DXMATRIX> m_turns;
};

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Near(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 difference = a - b;
    return D3DXVec3Length(&difference) <= kTolerance;
}

bool SameParticles(const std::vector<StoredParticle>& a, const std::vector<StoredParticle>& b)
{
    for (size_t i = 0; i < a.size(); ++i) {
        if (!Near(a[i].position, b[i].position) || !Near(a[i].velocity, b[i].velocity) ||
            a[i].startAngle != b[i].startAngle || a[i].size != b[i].size || a[i].thirdScalar != b[i].thirdScalar) {
            return false;
        }
    }
    return true;
}

} // namespace

int main()
{
    const std::vector<EmitterDefinition> emitters = MakeEmitters();
    CPParticleManager manager;
    g_pParticleManager = &manager;
    std::vector<std::string> names;
    for (int e = 0; e < kEmitters; ++e) {
        names.push_back("emitter" + std::to_string(e));
        manager.AddEmitterDefinition(names.back(), emitters[e]);
    }
    std::vector<StoredParticle> engineStorage(kParticlesPerFrame), plainStorage(kParticlesPerFrame);
    StoringBatch batch(engineStorage);
    manager.AddBatch("smoke", &batch);

    const std::vector<std::unique_ptr<CPGameObject>> owners = MakeOwners();
    std::vector<std::unique_ptr<CPParticleSystem>> systems;
    for (const std::unique_ptr<CPGameObject>& owner : owners) {
        systems.push_back(std::make_unique<CPParticleSystem>(owner.get(), names));
        systems.back()->SetInterval(kInterval);
    }
    const PlainLoop plain(emitters, owners);
    FrameDeltaTime = kFrameTime;

    std::vector<double> engineTimes, plainTimes;
    for (std::unique_ptr<CPParticleSystem>& system : systems) system->Start();
    for (int frame = 0; frame < kFrames; ++frame) {
        std::srand(kSeed + frame);
        auto start = std::chrono::steady_clock::now();
        manager.Clear();
        for (std::unique_ptr<CPParticleSystem>& system : systems) system->Execute();
        engineTimes.push_back(SecondsSince(start));

        std::srand(kSeed + frame);
        start = std::chrono::steady_clock::now();
        plain.RunFrame(plainStorage);
        plainTimes.push_back(SecondsSince(start));

        if (!SameParticles(engineStorage, plainStorage)) {
            std::printf("the engine and the plain loop wrote different particles\n");
            return 1;
        }
    }

    const double engine = *std::min_element(engineTimes.begin(), engineTimes.end());
    const double baseline = *std::min_element(plainTimes.begin(), plainTimes.end());
    std::printf("particle systems: %.1f ms a frame, plain loop: %.1f ms a frame (%zu particles)\n",
                engine * 1000.0, baseline * 1000.0, kParticlesPerFrame);
    std::printf("ratio particle systems / plain loop: %.2f (limit <= %.0f)\n", engine / baseline, kAllowedRatio);
    g_pParticleManager = nullptr;
    return 0;
}
