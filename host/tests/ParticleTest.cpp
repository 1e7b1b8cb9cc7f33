#include "host/ParticleBatch.h"
#include "host/ParticleFile.h"

#include "Render/PParticleManager.h"
#include "Render/tests/RecordingDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const kFixture = "particles-fixture.txt";

NamedEmitter Smoke()
{
    NamedEmitter emitter;
    emitter.name = "chimney";
    emitter.definition.firstScalar = 2.5f;
    emitter.definition.secondScalar = 0.25f;
    emitter.definition.direction = D3DXVECTOR3(0.0f, 0.5f, 1.0f);
    emitter.definition.speed = 3.0f;
    emitter.definition.acceleration = D3DXVECTOR3(0.0f, 0.0f, -9.75f);
    emitter.definition.thirdScalar = 0.125f;
    emitter.definition.flag = 1;
    emitter.definition.particleName = "smoke";
    emitter.definition.coneAngle = 30;
    emitter.definition.spread = D3DXVECTOR3(1.0f, 2.0f, 0.5f);
    return emitter;
}

void WriteText(const std::string& text)
{
    std::ofstream(kFixture, std::ios::binary) << text;
}

class ParticleFileTest : public testing::Test {
protected:
    ~ParticleFileTest() override { std::remove(kFixture); }
};

TEST_F(ParticleFileTest, ReadsBackWhatItWrote)
{
    NamedEmitter spark = Smoke();
    spark.name = "sparks";
    spark.definition.particleName = "spark";
    spark.definition.flag = 0;
    spark.definition.coneAngle = -5;
    ASSERT_EQ(WriteParticleFile(kFixture, {Smoke(), spark}), S_OK);
    std::vector<NamedEmitter> read;
    std::string error;
    ASSERT_TRUE(ReadParticleFile(kFixture, read, error)) << error;
    ASSERT_EQ(read.size(), 2u);
    const EmitterDefinition& smoke = read[0].definition;
    EXPECT_EQ(read[0].name, "chimney");
    EXPECT_EQ(smoke.firstScalar, 2.5f);
    EXPECT_EQ(smoke.secondScalar, 0.25f);
    EXPECT_EQ(smoke.direction, D3DXVECTOR3(0.0f, 0.5f, 1.0f));
    EXPECT_EQ(smoke.speed, 3.0f);
    EXPECT_EQ(smoke.acceleration, D3DXVECTOR3(0.0f, 0.0f, -9.75f));
    EXPECT_EQ(smoke.thirdScalar, 0.125f);
    EXPECT_EQ(smoke.flag, 1);
    EXPECT_EQ(smoke.particleName, "smoke");
    EXPECT_EQ(smoke.coneAngle, 30);
    EXPECT_EQ(smoke.spread, D3DXVECTOR3(1.0f, 2.0f, 0.5f));
    EXPECT_EQ(read[1].name, "sparks");
    EXPECT_EQ(read[1].definition.coneAngle, -5);
}

TEST_F(ParticleFileTest, RefusesACorruptFileWithOneClearLine)
{
    const std::string good = "a 1 1 0 0 1 2 0 0 -1 3 0 smoke 10 0 0 0\r\n";
    const struct {
        const char* what;
        std::string text;
        const char* fault;
    } cases[] = {
        {"empty", "", "header"},
        {"no header", good, "header"},
        {"count beyond the lines", "emitters 2\r\n" + good, "count"},
        {"negative count", "emitters -1\r\n", "count"},
        {"count not a number", "emitters lots\r\n" + good, "count"},
        {"short line", "emitters 1\r\na 1 1 0 0 1 2 0 0 -1 3 0 smoke 10 0 0\r\n", "emitter 1: an emitter needs 17"},
        {"long line", "emitters 1\r\na 1 1 0 0 1 2 0 0 -1 3 0 smoke 10 0 0 0 0\r\n", "emitter 1: an emitter needs 17"},
        {"word for a number", "emitters 2\r\n" + good + "b 1 x 0 0 1 2 0 0 -1 3 0 smoke 10 0 0 0\r\n",
         "emitter 2: a value"},
        {"flag beyond a byte", "emitters 1\r\na 1 1 0 0 1 2 0 0 -1 3 256 smoke 10 0 0 0\r\n", "emitter 1: a value"},
        {"life not a finite number", "emitters 2\r\n" + good + "b 1 1 0 0 1 2 0 0 -1 nan 0 smoke 10 0 0 0\r\n",
         "emitter 2: a value"},
        {"endless life", "emitters 1\r\na 1 1 0 0 1 2 0 0 -1 inf 0 smoke 10 0 0 0\r\n", "emitter 1: a value"},
        {"huge cone", "emitters 1\r\na 1 1 0 0 1 2 0 0 -1 3 0 smoke 99999999999999999999 0 0 0\r\n",
         "emitter 1: a value"},
    };
    for (const auto& row : cases) {
        WriteText(row.text);
        std::vector<NamedEmitter> read(1);
        std::string error;
        EXPECT_FALSE(ReadParticleFile(kFixture, read, error)) << row.what;
        EXPECT_TRUE(read.empty()) << row.what;
        EXPECT_NE(error.find(kFixture), std::string::npos) << row.what << ": " << error;
        EXPECT_NE(error.find(row.fault), std::string::npos) << row.what << ": " << error;
    }
    std::remove(kFixture);
    std::vector<NamedEmitter> read;
    std::string error = "old";
    EXPECT_FALSE(ReadParticleFile(kFixture, read, error));
    EXPECT_TRUE(error.empty()) << "a missing file is not a fault to report";
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

} // namespace
