#include "host/ParticleBatch.h"

#include "Render/PParticleManager.h"
#include "Render/ParticleFile.h"
#include "Render/tests/RecordingDevice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The batches take only the particle name of an emitter.
NamedEmitter Smoke()
{
    NamedEmitter emitter;
    emitter.name = "chimney";
    emitter.definition.particleName = "smoke";
    return emitter;
}

ParticleSpawnRecord Record(const std::string& name, float life, bool additive)
{
    ParticleSpawnRecord record;
    record.name = name;
    record.position = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    record.velocity = D3DXVECTOR3(4.0f, 0.0f, 2.0f);
    record.acceleration = D3DXVECTOR3(0.0f, 0.0f, -10.0f);
    record.size = 1.0f;
    record.secondScalar = 0.5f;
    record.thirdScalar = life;
    record.firstFlag = additive ? 1 : 0;
    return record;
}

class ParticlesOverFrames : public testing::Test {
protected:
    CPParticleManager manager;
    ParticleBatchSet batches{manager, {Smoke()}, nullptr};
};

// With steps of dt the velocity moves first: after n steps the particle has
// gone n v dt + a dt^2 n (n + 1) / 2.
TEST_F(ParticlesOverFrames, MoveByVelocityAndAccelerationGrowAndGoAtTheEndOfTheirLife)
{
    manager.SpawnParticle(Record("smoke", 1.0f, false));
    manager.SpawnParticle(Record("nobody", 1.0f, false));
    ParticleBatch* smoke = batches.Find("smoke");
    ASSERT_NE(smoke, nullptr);
    ASSERT_EQ(manager.GetActiveBatches().size(), 1u);
    const float dt = 0.1f;
    const int steps = 5;
    for (int step = 0; step < steps; ++step) batches.Update(dt);
    ASSERT_EQ(smoke->GetParticles().size(), 1u);
    const LiveParticle& particle = smoke->GetParticles()[0];
    EXPECT_NEAR(particle.position.x, 1.0f + steps * 4.0f * dt, 1e-4f);
    EXPECT_NEAR(particle.position.y, 2.0f, 1e-4f);
    EXPECT_NEAR(particle.position.z, 3.0f + steps * 2.0f * dt - 10.0f * dt * dt * steps * (steps + 1) / 2, 1e-4f);
    EXPECT_NEAR(particle.velocity.z, 2.0f - 10.0f * dt * steps, 1e-4f);
    EXPECT_NEAR(particle.size, 1.0f + 0.5f * dt * steps, 1e-4f);
    EXPECT_TRUE(smoke->IsActive());

    for (int step = 0; step < steps; ++step) batches.Update(dt);
    EXPECT_TRUE(smoke->GetParticles().empty()) << "a second in, its life is over";
    EXPECT_FALSE(smoke->IsActive());
    EXPECT_TRUE(manager.GetActiveBatches().empty());

    manager.SpawnParticle(Record("smoke", 1.0f, false));
    EXPECT_EQ(manager.GetActiveBatches().size(), 1u) << "a new particle lists the batch once again";
}

TEST_F(ParticlesOverFrames, DrawCameraFacingQuadsBlendedFirstThenAdditive)
{
    for (bool additive : {true, false, true}) manager.SpawnParticle(Record("smoke", 1.0f, additive));
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(-5.0f, -7.0f, 4.0f), target(0.0f, 0.0f, 0.0f), up(0.0f, 0.0f, 1.0f);
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    RecordingDevice device;
    batches.Draw(device.Get(), view);

    std::vector<const DeviceCall*> draws;
    std::vector<std::string> blends;
    for (const DeviceCall& call : device.Calls()) {
        if (call.text.compare(0, 15, "DrawPrimitiveUP") == 0) draws.push_back(&call);
        if (call.text == Call("SetRenderState", {D3DRS_DESTBLEND, D3DBLEND_ONE}) ||
            call.text == Call("SetRenderState", {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA})) {
            blends.push_back(call.text);
        }
    }
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0]->text, Call("DrawPrimitiveUP", {D3DPT_TRIANGLELIST, 2, sizeof(Vertex48)}));
    EXPECT_EQ(draws[1]->text, Call("DrawPrimitiveUP", {D3DPT_TRIANGLELIST, 4, sizeof(Vertex48)}));
    ASSERT_GE(blends.size(), 2u);
    EXPECT_EQ(blends[blends.size() - 2], Call("SetRenderState", {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}));
    EXPECT_EQ(blends.back(), Call("SetRenderState", {D3DRS_DESTBLEND, D3DBLEND_ONE}));

    const D3DXVECTOR3 forward(view._13, view._23, view._33);
    std::vector<Vertex48> quad(6);
    ASSERT_EQ(draws[0]->vertices.size(), quad.size() * sizeof(Vertex48));
    memcpy(quad.data(), draws[0]->vertices.data(), draws[0]->vertices.size());
    for (const Vertex48& corner : quad) {
        const D3DXVECTOR3 offset = corner.position - D3DXVECTOR3(1.0f, 2.0f, 3.0f);
        EXPECT_NEAR(D3DXVec3Dot(&offset, &forward), 0.0f, 1e-4f) << "the quad faces the camera";
        EXPECT_NEAR(D3DXVec3Length(&offset), 0.5f * std::sqrt(2.0f), 1e-4f) << "its corners half its size out";
    }
}

// Hears where the particles tied to it are and stops those past x = 2.
class Wall : public IPObject, public IPParticleHit {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "Wall"; }
    bool OnParticleHit(const D3DXVECTOR3& position) override
    {
        heard.push_back(position);
        return position.x > 2.0f;
    }

    std::vector<D3DXVECTOR3> heard;
};

class Bystander : public IPObject {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "Bystander"; }
};

// Moving 0.4 along x a step from x = 1, the tied particle is past the wall
// in the third step; the others, one tied to an object that cannot be hit,
// live on.
TEST_F(ParticlesOverFrames, TellTheObjectTheyAreTiedToWhereTheyAreAndEndWhenItSaysSo)
{
    RefPtr<Wall> wall(new Wall);
    RefPtr<Bystander> bystander(new Bystander);
    {
        ParticleSpawnRecord tied = Record("smoke", 10.0f, false);
        tied.acceleration = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        tied.object = wall.Get();
        ParticleSpawnRecord held = tied;
        held.object = bystander.Get();
        manager.SpawnParticle(tied);
        manager.SpawnParticle(held);
        manager.SpawnParticle(Record("smoke", 10.0f, false));
    }
    ParticleBatch* smoke = batches.Find("smoke");

    for (int step = 0; step < 3; ++step) batches.Update(0.1f);
    ASSERT_EQ(wall->heard.size(), 3u);
    for (int step = 0; step < 3; ++step) EXPECT_NEAR(wall->heard[step].x, 1.4f + 0.4f * step, 1e-4f);
    EXPECT_NEAR(wall->heard[2].z, 3.6f, 1e-4f) << "heard where it went, not where it started";
    EXPECT_EQ(smoke->GetParticles().size(), 2u);

    batches.Update(0.1f);
    EXPECT_EQ(wall->heard.size(), 3u);
    EXPECT_EQ(smoke->GetParticles().size(), 2u);
}

// Turned by 30 degrees, the first corner (the texture's top left) lies
// half a size times (-cos - sin) along the camera's right and (cos - sin)
// along its up from the centre: -0.683 and 0.183 for a size of 1.
TEST(ParticleQuad, IsTurnedByTheStartAngleAboutTheViewDirection)
{
    ParticleBatch batch("smoke", nullptr);
    Particle particle;
    particle.record = Record("smoke", 1.0f, false);
    particle.startAngle = D3DX_PI / 6.0f;
    batch.AddParticle(particle);
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(-5.0f, -7.0f, 4.0f), target(1.0f, 2.0f, 3.0f), up(0.0f, 0.0f, 1.0f);
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    RecordingDevice device;
    batch.Draw(device.Get(), view);

    const DeviceCall* draw = nullptr;
    for (const DeviceCall& call : device.Calls()) {
        if (call.text.compare(0, 15, "DrawPrimitiveUP") == 0) draw = &call;
    }
    ASSERT_NE(draw, nullptr);
    Vertex48 topLeft;
    memcpy(&topLeft, draw->vertices.data(), sizeof(topLeft));
    const D3DXVECTOR3 offset = topLeft.position - D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    const D3DXVECTOR3 right(view._11, view._21, view._31), upward(view._12, view._22, view._32);
    EXPECT_NEAR(D3DXVec3Dot(&offset, &right), -0.5f * (std::sqrt(3.0f) / 2.0f + 0.5f), 1e-4f);
    EXPECT_NEAR(D3DXVec3Dot(&offset, &upward), 0.5f * (std::sqrt(3.0f) / 2.0f - 0.5f), 1e-4f);
    EXPECT_EQ(topLeft.tex0, D3DXVECTOR2(0.0f, 0.0f));
}

} // namespace
