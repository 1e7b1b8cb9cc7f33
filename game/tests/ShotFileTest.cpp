#include "game/ShotFile.h"

#include "core/PDataFile.h"
#include "core/ProblemLog.h"
#include "game/EffectShot.h"
#include "game/GameLog.h"
#include "game/PShotSpawner.h"
#include "game/ProjectileShot.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

namespace {

std::string ReadWhole(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class ShotFile : public testing::Test {
protected:
    ShotFile() { GetGameLog().Clear(); }
    ~ShotFile() override
    {
        DeleteFileA(kShotFile);
        GetGameLog().Clear();
    }
};

TEST_F(ShotFile, ReadsATemplateForEveryGoodLineInOrder)
{
    const std::string text =
        "// kind class parameters\r\n"
        "trasser11 projectile none 120 300 8.5 sparks \"gun shot.wav,2d\"\r\n"
        "\r\n"
        "  rocket_exp2\teffect blast 1.25 boom.wav  \n"
        "sparks  effect iskra   0.5 none";
    std::vector<std::unique_ptr<CPShot>> shots = ReadShotTemplates(text);
    ASSERT_EQ(shots.size(), 3u);
    EXPECT_TRUE(GetGameLog().GetLines().empty());

    ProjectileShot* tracer = dynamic_cast<ProjectileShot*>(shots[0].get());
    ASSERT_TRUE(tracer);
    EXPECT_EQ(tracer->GetKindName(), "trasser11");
    EXPECT_EQ(tracer->GetSpeed(), 120.0f);
    EXPECT_EQ(tracer->GetRange(), 300.0f);
    EXPECT_EQ(tracer->GetDamage(), 8.5f);
    EXPECT_EQ(tracer->GetImpactKind(), "sparks");
    EXPECT_EQ(tracer->GetSoundName(), "gun shot.wav");
    EXPECT_TRUE(tracer->IsSound2D());
    EffectShot* blast = dynamic_cast<EffectShot*>(shots[1].get());
    ASSERT_TRUE(blast);
    EXPECT_EQ(blast->GetKindName(), "rocket_exp2");
    EXPECT_EQ(blast->GetParticleName(), "blast");
    EXPECT_EQ(blast->GetLife(), 1.25f);
    EXPECT_EQ(blast->GetSoundName(), "boom.wav");
    EXPECT_FALSE(blast->IsSound2D());
    EffectShot* sparks = dynamic_cast<EffectShot*>(shots[2].get());
    ASSERT_TRUE(sparks);
    EXPECT_EQ(sparks->GetKindName(), "sparks");
    EXPECT_EQ(sparks->GetParticleName(), "iskra");
    EXPECT_EQ(sparks->GetLife(), 0.5f);
}

TEST_F(ShotFile, SkipsAndLogsEachBadLineAndKeepsTheRest)
{
    const std::string text =
        "lonely\n"
        "blast bomb iskra 1 none\n"
        "blast effect iskra 1\n"
        "blast effect iskra soon none\n"
        "blast effect iskra 1 none extra\n"
        "bullet projectile none 10 100 nan hit none\n"
        "bullet projectile none 10 100 40 hit none\n";
    std::vector<std::unique_ptr<CPShot>> shots = ReadShotTemplates(text);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0]->GetKindName(), "bullet");
    const std::vector<std::string>& lines = GetGameLog().GetLines();
    ASSERT_EQ(lines.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NE(lines[i].find("Data\\Shots.txt line " + std::to_string(i + 1) + ":"), std::string::npos)
            << lines[i];
    }
}

TEST_F(ShotFile, LeavesOutTemplatesWhoseModelOrSoundLiesOutsideTheGamesFolders)
{
    const std::string text =
        "bullet projectile ..\\..\\..\\somewhere\\name.rdf 10 100 40 hit none\n"
        "bullet projectile \\abs.rdf 10 100 40 hit none\n"
        "bullet projectile none 10 100 40 hit C:boom.wav\n"
        "blast effect iskra 1 sounds/../../boom.wav,2d\n"
        "bullet projectile shots\\bullet.rdf 10 100 40 hit weapons\\bang.wav,2d\n"
        "blast effect iskra 1 nul,2d\n"
        "bullet projectile none 10 100 40 hit sounds\\Com5,3d\n";
    std::vector<std::unique_ptr<CPShot>> shots = ReadShotTemplates(text);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0]->GetSoundName(), "weapons\\bang.wav") << "sub-folders stay allowed";
    const std::vector<std::string> expected = {
        "Data\\Shots.txt line 1: \"..\\..\\..\\somewhere\\name.rdf\" names a file outside the game's folders; "
        "template left out",
        "Data\\Shots.txt line 2: \"\\abs.rdf\" names a file outside the game's folders; template left out",
        "Data\\Shots.txt line 3: \"C:boom.wav\" names a file outside the game's folders; template left out",
        "Data\\Shots.txt line 4: \"sounds/../../boom.wav,2d\" names a file outside the game's folders; "
        "template left out",
        "Data\\Shots.txt line 6: \"nul,2d\" names a file outside the game's folders; template left out",
        "Data\\Shots.txt line 7: \"sounds\\Com5,3d\" names a file outside the game's folders; template left out",
    };
    EXPECT_EQ(GetGameLog().GetLines(), expected);
}

TEST_F(ShotFile, TheWriterQuotesFieldsWithBlanksAndTheStartUpFillsTheSpawner)
{
    CreateDirectoryA("Data", nullptr);
    ASSERT_EQ(WriteShotFile(kShotFile, {{"trasser11", "projectile", {"none", "120", "300", "8", "sparks", "a b.wav,2d"}},
                                        {"sparks", "effect", {"iskra", "0.5", "none"}}}),
              S_OK);
    EXPECT_EQ(ReadWhole(kShotFile),
              "trasser11 projectile none 120 300 8 sparks \"a b.wav,2d\"\r\n"
              "sparks effect iskra 0.5 none\r\n");
    CPShotSpawner spawner;
    EXPECT_EQ(LoadShotTemplates(spawner), 2);
    ASSERT_TRUE(spawner.FindPool("trasser11"));
    ASSERT_TRUE(spawner.FindPool("sparks"));
    EXPECT_EQ(spawner.FindPool("sparks")->size(), 1u);
    spawner.Spawn("trasser11", D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), -1.0f, nullptr, 0);
    EXPECT_EQ(spawner.GetActiveShots().size(), 1u);

    DeleteFileA(kShotFile);
    CPShotSpawner empty;
    EXPECT_EQ(LoadShotTemplates(empty), 0);
    EXPECT_TRUE(GetGameLog().GetLines().empty()) << "a missing file is no fault";
}

} // namespace
