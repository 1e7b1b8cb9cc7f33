#include "DynamicSky/CloudGroupFile.h"
#include "DynamicSky/CloudSetFile.h"
#include "DynamicSky/PCloudGroup.h"
#include "DynamicSky/PCloudSet.h"
#include "DynamicSky/PDynamicSky.h"
#include "DynamicSky/SkySequenceFile.h"
#include "DynamicSky/tests/SkyTestSupport.h"

namespace {

const float kTolerance = 1e-4f;

class CloudTest : public SkyTest {
protected:
    void WriteSet(const std::string& name, const CloudSetDescription& set)
    {
        ASSERT_EQ(WriteCloudSetFile(SkyFilePath(name), set), S_OK);
        WriteFile(SkyFilePath(name), ReadFile(SkyFilePath(name)));
    }
    void WriteGroup(const std::string& name, const CloudGroupDescription& group)
    {
        ASSERT_EQ(WriteCloudGroupFile(SkyFilePath(name), group), S_OK);
        WriteFile(SkyFilePath(name), ReadFile(SkyFilePath(name)));
    }
    void WritePhases(const std::vector<SkySequenceEntry>& phases)
    {
        ASSERT_EQ(WriteSkySequenceFile(SkyFilePath("phases.txt"), phases), S_OK);
        WriteFile(SkyFilePath("phases.txt"), ReadFile(SkyFilePath("phases.txt")));
    }
};

CloudSetDescription::Cloud MakeCloud(const D3DXVECTOR3& centre, int anchor, float size1,
                                     float size2)
{
    return CloudSetDescription::Cloud{centre, 7, -8, 0.25f, anchor, size1, size2};
}

TEST_F(CloudTest, ASetIsScaledAndTurnedAboutTheVertical)
{
    CloudSetDescription file;
    file.anchors = {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 0, 5)};
    file.clouds = {MakeCloud(D3DXVECTOR3(1, 0, 3), 0, 1.0f, 2.0f),
                   MakeCloud(D3DXVECTOR3(0, 0, 5), 1, 0.0f, 0.0f)};
    file.valueA = 1.0f;
    file.valueB = 2.0f;
    WriteSet("set.txt", file);

    CPCloudSet set;
    set.Load("set.txt", 2.0f, 1.5707964f);
    ASSERT_EQ(set.clouds.size(), 2u);
    const CPCloudSet::Cloud& cloud = set.clouds[0];
    EXPECT_NEAR(cloud.centre.x, 0.0f, kTolerance);
    EXPECT_NEAR(cloud.centre.y, 2.0f, kTolerance);
    EXPECT_NEAR(cloud.centre.z, 6.0f, kTolerance);
    EXPECT_NEAR(cloud.direction.z, 1.0f, kTolerance) << "from the anchor at (0, 2, 0)";
    EXPECT_EQ(cloud.size1, 2.0f);
    EXPECT_EQ(cloud.size2, 4.0f);
    EXPECT_EQ(cloud.first, 7);
    EXPECT_EQ(cloud.second, -8);
    EXPECT_EQ(cloud.value, 0.25f);
    EXPECT_EQ(set.clouds[1].direction, D3DXVECTOR3(0, 0, 0)) << "a cloud on its anchor";
    EXPECT_EQ(set.valueA, 1.0f);
    EXPECT_EQ(set.valueB, 2.0f);
}

TEST_F(CloudTest, BoundsTakeTheLargestReachOfAnyCloud)
{
    CloudSetDescription file;
    file.anchors = {D3DXVECTOR3(0, 0, 0)};
    file.clouds = {MakeCloud(D3DXVECTOR3(0, 0, 10), 0, 3.0f, 4.0f)};
    WriteSet("set.txt", file);
    CPCloudSet set;
    set.Load("set.txt", 1.0f, 0.0f);
    EXPECT_FLOAT_EQ(set.halfHeight, 7.5f);
    EXPECT_FLOAT_EQ(set.reach, 15.0f);

    CPCloudSet empty;
    empty.Load("missing.txt", 1.0f, 0.0f);
    EXPECT_TRUE(empty.clouds.empty());
    EXPECT_EQ(empty.reach, 0.0f);
    EXPECT_EQ(empty.valueA, 20.0f);
    EXPECT_EQ(empty.shading[5], 128.0f);
}

TEST_F(CloudTest, AGroupPlacesItsSetsAtBasePlusOffset)
{
    CloudSetDescription file;
    WriteSet("set.txt", file);
    CloudGroupDescription group;
    group.basePosition = D3DXVECTOR3(10, 20, 30);
    group.value1 = 1.5f;
    group.count = 3;
    group.sets = {{"set.txt", D3DXVECTOR3(1, 2, 3), 2.0f, 0.5f, 9.0f},
                  {"set.txt", D3DXVECTOR3(-1, 0, 0), 1.0f, 0.0f, 4.0f}};
    WriteGroup("group.txt", group);

    CPCloudGroup loaded;
    loaded.Load("group.txt");
    ASSERT_EQ(loaded.sets.size(), 2u);
    EXPECT_EQ(loaded.sets[0]->position, D3DXVECTOR3(11, 22, 33));
    EXPECT_EQ(loaded.sets[0]->offset, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(loaded.sets[0]->scale, 2.0f);
    EXPECT_EQ(loaded.sets[0]->angle, 0.5f);
    EXPECT_EQ(loaded.setValues[1].first, loaded.sets[1]);
    EXPECT_EQ(loaded.setValues[1].second, 4.0f);
    EXPECT_EQ(loaded.count, 3);
}

struct ShowCase {
    bool shown;
    bool resetAlpha;
    float alpha1;
    float alpha2;
};

class CloudGroupShow : public CloudTest, public testing::WithParamInterface<ShowCase> {};

TEST_P(CloudGroupShow, StartsEverySetFading)
{
    const ShowCase& show = GetParam();
    CPCloudGroup group;
    group.sets.push_back(new CPCloudSet());
    group.sets[0]->alpha1 = 100.0f;
    group.sets[0]->alpha2 = 50.0f;
    group.SetShown(show.shown, show.resetAlpha);
    const CPCloudSet& set = *group.sets[0];
    EXPECT_EQ(group.shown, show.shown);
    EXPECT_EQ(group.hidden, !show.shown);
    EXPECT_EQ(set.fadingIn, show.shown);
    EXPECT_EQ(set.fadingOut, !show.shown);
    EXPECT_EQ(set.alpha1, show.alpha1);
    EXPECT_EQ(set.alpha2, show.alpha2);
    EXPECT_TRUE(set.changed1 && set.changed2);
}

INSTANTIATE_TEST_SUITE_P(Cases, CloudGroupShow,
                         testing::Values(ShowCase{true, true, 255.0f, 0.0f},
                                         ShowCase{true, false, 100.0f, 50.0f},
                                         ShowCase{false, true, 0.0f, 255.0f},
                                         ShowCase{false, false, 100.0f, 50.0f}));

// A sky with the groups "a", "b" and "c" whose first phase shows "a".
class CloudSwitch : public CloudTest {
protected:
    CloudSwitch()
    {
        CloudSetDescription set;
        set.anchors = {D3DXVECTOR3(0, 0, 0)};
        set.clouds = {MakeCloud(D3DXVECTOR3(0, 0, 1), 0, 1.0f, 1.0f)};
        WriteSet("set.txt", set);
        for (const char* name : {"a", "b", "c"}) {
            CloudGroupDescription group;
            group.basePosition = D3DXVECTOR3(5, 0, 0);
            group.sets = {{"set.txt", D3DXVECTOR3(0, 1, 0), 1.0f, 0.0f, 0.0f}};
            WriteGroup(name, group);
        }
        SkySequenceEntry phase;
        phase.fadeTime = 2.0f;
        phase.meanLength = 100.0f;
        phase.cloudGroup = "a";
        WritePhases({phase});
        SkyscapeDescription description = ExampleSky(8, 2, 1, 0);
        description.cloudGroups = {"a", "b", "c"};
        WriteSky("sky.txt", description);
        sky.Load("sky.txt");
    }

    CPCloudGroup* Group(const char* name) { return sky.GetCloudGroups().at(name); }

    CPDynamicSky sky;
};

TEST_F(CloudSwitch, FadesTheShownGroupOutAndTheWantedOneIn)
{
    ASSERT_EQ(sky.GetFadeList(), (std::vector<CPCloudGroup*>{Group("a")}));
    Group("b")->sets[0]->position = D3DXVECTOR3(0, 0, 0);
    Group("b")->secondWord = 7;
    sky.SwitchCloudGroup("b");
    EXPECT_EQ(sky.GetFadeList(), (std::vector<CPCloudGroup*>{Group("a"), Group("b")}));
    EXPECT_TRUE(Group("a")->hidden);
    EXPECT_TRUE(Group("a")->sets[0]->fadingOut);
    EXPECT_EQ(Group("a")->sets[0]->alpha2, 255.0f) << "hiding keeps the alphas";
    EXPECT_TRUE(Group("b")->shown);
    EXPECT_EQ(Group("b")->sets[0]->alpha1, 255.0f);
    EXPECT_EQ(Group("b")->sets[0]->position, D3DXVECTOR3(5, 1, 0));
    EXPECT_EQ(Group("b")->secondWord, 0u);
    EXPECT_EQ(sky.GetFadeClock(), 0.0f);
    EXPECT_TRUE(sky.IsFadingIn());

    sky.SwitchCloudGroup("c");
    EXPECT_EQ(sky.GetFadeList(), (std::vector<CPCloudGroup*>{Group("b"), Group("c")}));
}

TEST_F(CloudSwitch, SwitchingToTheShownGroupEmptiesAListOfTwo)
{
    sky.SwitchCloudGroup("b");
    sky.SwitchCloudGroup("b");
    EXPECT_TRUE(sky.GetFadeList().empty());
    EXPECT_TRUE(Group("b")->shown);
    sky.SwitchCloudGroup("c");
    EXPECT_EQ(sky.GetFadeList(), (std::vector<CPCloudGroup*>{Group("c")}))
        << "with no shown group the wanted one is simply shown";
    EXPECT_TRUE(Group("c")->shown);
}

TEST_F(CloudSwitch, AnUnknownGroupKeepsTheShownOneAndAddsNoEntry)
{
    sky.SwitchCloudGroup("nowhere");
    EXPECT_EQ(sky.GetFadeList(), (std::vector<CPCloudGroup*>{Group("a")}));
    EXPECT_EQ(sky.GetCloudGroups().size(), 3u);
    EXPECT_FALSE(Group("a")->hidden);

    sky.SwitchCloudGroup("b");
    sky.SwitchCloudGroup("nowhere");
    EXPECT_EQ(sky.GetFadeList(), (std::vector<CPCloudGroup*>{Group("a"), Group("b")}))
        << "a completed switch keeps its list";
    sky.SwitchCloudGroup("c");
    EXPECT_EQ(sky.GetFadeList(), (std::vector<CPCloudGroup*>{Group("b"), Group("c")}));
}

TEST_F(CloudTest, ATwiceNamedGroupKeepsTheLaterOne)
{
    CloudGroupDescription group;
    group.sets = {{"set.txt", D3DXVECTOR3(0, 0, 0), 1.0f, 0.0f, 0.0f}};
    WriteSet("set.txt", CloudSetDescription());
    WriteGroup("g", group);
    SkyscapeDescription description = ExampleSky(8, 2, 1, 0);
    description.cloudGroups = {"g", "g"};
    WriteSky("sky.txt", description);
    CPDynamicSky sky;
    sky.Load("sky.txt");
    EXPECT_EQ(sky.GetCloudGroups().size(), 1u);
}

} // namespace
