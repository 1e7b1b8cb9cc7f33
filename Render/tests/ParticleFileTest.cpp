#include "Render/ParticleFile.h"

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

} // namespace
