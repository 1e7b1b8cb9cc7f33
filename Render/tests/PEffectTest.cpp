#include "Render/tests/ResourceTest.h"

namespace {

class EffectCache : public ResourceTest {
protected:
    RefPtr<CPEffect> Get(const std::string& request)
    {
        RefPtr<CPEffect> effect;
        effectCache->GetEffect(effect, request);
        return effect;
    }

    void WriteEffect(const std::string& name, const std::string& description)
    {
        WriteFile("Data\\Effects\\" + name, "effect " + description);
    }

    // The double behind an effect, found by the ID3DXEffect it was given.
    RecordingEffect* DoubleOf(ID3DXEffect* effect)
    {
        for (const RecordingEffectFactory::Creation& creation : effects.creations) {
            if (creation.effect == effect) return creation.effect;
        }
        return nullptr;
    }
};

TEST_F(EffectCache, OnlySharedEffectsAreCompiledIntoThePool)
{
    WriteEffect("water.fx", "technique main");
    RefPtr<CPEffect> plain = Get("water.fx");
    RefPtr<CPEffect> shared = Get("water.fx,shared");

    EXPECT_EQ(Get("water.fx").Get(), plain.Get());
    EXPECT_NE(shared.Get(), plain.Get());
    ASSERT_EQ(effects.creations.size(), 2u);
    EXPECT_EQ(effects.creations[0].pool, nullptr);
    ASSERT_NE(effectCache->GetPool(), nullptr);
    EXPECT_EQ(effects.creations[1].pool, effectCache->GetPool());
    EXPECT_STREQ(shared->GetTypeName(), "CPEffect - water.fx,shared");
}

TEST_F(EffectCache, TheFirstSharedEffectAnswersTheCommonHandles)
{
    WriteEffect("first.fx", "technique main param g_vLight param g_mViewInv");
    WriteEffect("second.fx", "technique main param g_vLight param g_vAmbient");
    Get("plain.fx");
    Get("first.fx");
    RefPtr<CPEffect> first = Get("first.fx,shared");
    RefPtr<CPEffect> second = Get("second.fx,shared");

    EXPECT_EQ(effectCache->GetFirstSharedEffect(), first->GetEffect());
    EXPECT_STREQ(effectCache->GetCommonHandle(kLightDirection), "g_vLight");
    EXPECT_STREQ(effectCache->GetCommonHandle(kViewInverse), "g_mViewInv");
    EXPECT_EQ(effectCache->GetCommonHandle(kAmbient), nullptr);
    for (const std::string& call : DoubleOf(second->GetEffect())->journal) {
        EXPECT_NE(call, "GetParameterByName g_vLight");
    }
}

// The common handles are looked up as soon as the first shared effect has
// compiled, before its technique is chosen: an effect the device cannot draw
// with still holds the pool's parameters.
TEST_F(EffectCache, TheFirstSharedCompileAnswersTheCommonHandlesWhateverItsTechniques)
{
    WriteEffect("future.fx", "technique -shader5 param g_vLight");
    WriteEffect("error.fx", "technique main");
    WriteEffect("sun.fx", "technique main param g_vAmbient");
    RefPtr<CPEffect> future = Get("future.fx,shared");
    Get("sun.fx,shared");

    EXPECT_EQ(future->GetName(), "error.fx");
    RecordingEffect* first = effects.creations[0].effect;
    EXPECT_EQ(effectCache->GetFirstSharedEffect(), first);
    EXPECT_STREQ(effectCache->GetCommonHandle(kLightDirection), "g_vLight");
    EXPECT_EQ(effectCache->GetCommonHandle(kAmbient), nullptr);
    ASSERT_FALSE(first->journal.empty());
    EXPECT_EQ(first->journal.front(), "GetParameterByName g_mViewInv");
    EXPECT_EQ(first->journal.back(), "FindNextValidTechnique");
}

struct HandleCase {
    const char* parameters;
    size_t textureHandles;
    bool hasTime;
};

class EffectHandles : public EffectCache, public testing::WithParamInterface<HandleCase> {};

TEST_P(EffectHandles, TextureHandlesStopAtTheFirstGap)
{
    WriteEffect("fx.fx", std::string("technique main ") + GetParam().parameters);
    RefPtr<CPEffect> effect = Get("fx.fx");
    ASSERT_EQ(effect->GetTextureHandles().size(), GetParam().textureHandles);
    for (size_t i = 0; i < GetParam().textureHandles; ++i) {
        EXPECT_EQ(effect->GetTextureHandles()[i], "tex" + std::to_string(i));
    }
    EXPECT_EQ(effect->GetTimeHandle() != nullptr, GetParam().hasTime);
}

INSTANTIATE_TEST_SUITE_P(Rows, EffectHandles,
                         testing::Values(HandleCase{"", 0, false},
                                         HandleCase{"param tex0 param tex1 param tex3", 2, false},
                                         HandleCase{"param tex1 param time", 0, true},
                                         HandleCase{"param time param tex0", 1, true}));

TEST_F(EffectCache, TheFirstTechniqueTheDeviceCanRunIsSet)
{
    WriteEffect("fancy.fx", "technique -shader3 technique -shader2 technique fixed");
    RefPtr<CPEffect> effect = Get("fancy.fx");
    const std::vector<std::string>& journal = DoubleOf(effect->GetEffect())->journal;
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(journal[0], "FindNextValidTechnique");
    EXPECT_EQ(journal[1], "SetTechnique fixed");
}

TEST_F(EffectCache, AnEffectWithNoRunnableTechniqueLoadsAsNoEffect)
{
    WriteEffect("future.fx", "technique -shader5");
    CPEffect effect;
    EXPECT_FALSE(effect.Load("future.fx"));
    EXPECT_EQ(effect.GetEffect(), nullptr);
    ASSERT_EQ(effects.creations.size(), 1u);
    EXPECT_EQ(effects.creations[0].effect->references, 0u);
}

struct FallbackCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> files; // file, double description
    const char* compiled;  // what the handed-out effect was compiled from, null: nothing
    std::vector<std::string> attempts; // text of each compile attempt, in order
};

class EffectFallbacks : public EffectCache, public testing::WithParamInterface<FallbackCase> {};

TEST_P(EffectFallbacks, FollowTheReplacementChain)
{
    SCOPED_TRACE(GetParam().name);
    for (const auto& file : GetParam().files) {
        WriteFile(std::string("Data\\Effects\\") + file.first, file.second);
    }
    RefPtr<CPEffect> effect = Get("wanted.fx,shared");
    ASSERT_TRUE(effect);
    EXPECT_EQ(Get("wanted.fx,shared").Get(), effect.Get());

    std::vector<std::string> attempts;
    for (const RecordingEffectFactory::Creation& creation : effects.creations) {
        attempts.push_back(creation.text);
        if (creation.text.find("simple") != std::string::npos) {
            EXPECT_EQ(creation.pool, nullptr) << "the replacement stays out of the pool";
        }
    }
    EXPECT_EQ(attempts, GetParam().attempts);
    if (!GetParam().compiled) {
        EXPECT_EQ(effect->GetEffect(), nullptr);
        return;
    }
    RecordingEffect* compiled = DoubleOf(effect->GetEffect());
    ASSERT_NE(compiled, nullptr);
    EXPECT_EQ(effects.creations.back().text, GetParam().compiled);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EffectFallbacks,
    testing::Values(
        FallbackCase{"found", {{"wanted.fx", "effect technique a"}},
                     "effect technique a", {"effect technique a"}},
        FallbackCase{"missing, so simple",
                     {{"simple.fx", "effect technique simple"}},
                     "effect technique simple", {"effect technique simple"}},
        FallbackCase{"broken, so error",
                     {{"wanted.fx", "garbage"}, {"error.fx", "effect technique error"},
                      {"simple.fx", "effect technique simple"}},
                     "effect technique error", {"garbage", "effect technique error"}},
        FallbackCase{"broken without error, so simple",
                     {{"wanted.fx", "garbage"}, {"simple.fx", "effect technique simple"}},
                     "effect technique simple", {"garbage", "effect technique simple"}},
        FallbackCase{"nothing readable", {}, nullptr, {}},
        FallbackCase{"nothing compiles",
                     {{"wanted.fx", "garbage"}, {"error.fx", "junk"}, {"simple.fx", "rubbish"}},
                     nullptr, {"garbage", "junk"}}));

TEST_F(EffectCache, DeviceLossReachesTheCompiledEffect)
{
    WriteEffect("glass.fx", "technique main");
    RefPtr<CPEffect> effect = Get("glass.fx");
    CPEffect empty;
    for (IPDeviceListener* listener : GetDeviceListeners()) listener->OnLostDevice();
    for (IPDeviceListener* listener : GetDeviceListeners()) listener->OnResetDevice();

    const std::vector<std::string>& journal = DoubleOf(effect->GetEffect())->journal;
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(journal[journal.size() - 2], "OnLostDevice");
    EXPECT_EQ(journal.back(), "OnResetDevice");
}

// The cache keeps its own reference to the first shared effect: the common
// parameters are still set through it after its CPEffect is gone.
TEST_F(EffectCache, ADestroyedEffectLeavesItsEntriesAndTheFirstSharedEffectStays)
{
    WriteEffect("error.fx", "technique main");
    WriteEffect("sun.fx", "technique main param g_vLight");
    RefPtr<CPEffect> error = Get("error.fx");
    RefPtr<CPEffect> sun = Get("sun.fx,shared");
    RefPtr<CPEffect> replacement = Get("missing.fx");
    RecordingEffect* sunDouble = DoubleOf(sun->GetEffect());

    Destroy(replacement);
    Destroy(sun);
    EXPECT_EQ(Get("error.fx").Get(), error.Get());
    EXPECT_EQ(sunDouble->references, 1u);
    EXPECT_EQ(effectCache->GetFirstSharedEffect(), sunDouble);

    for (const char* request : {"sun.fx,shared", "missing.fx"}) {
        const size_t objectsBefore = GetGlobalObjectList().size();
        Get(request);
        EXPECT_GT(GetGlobalObjectList().size(), objectsBefore) << request << " was made anew";
    }
    EXPECT_EQ(effectCache->GetFirstSharedEffect(), sunDouble);
}

} // namespace
