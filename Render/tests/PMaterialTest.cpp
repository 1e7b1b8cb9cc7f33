#include "Render/tests/ResourceTest.h"

namespace {

class MaterialManager : public ResourceTest {
protected:
    RefPtr<CPMaterial> Create(int type, const std::string& effect,
                              const std::vector<std::string>& textures)
    {
        RefPtr<CPMaterial> material;
        GetMaterialManager()->CreateMaterial(material, type, effect, textures);
        return material;
    }
};

TEST_F(MaterialManager, SharesAMaterialPerTypeEffectAndTextureSequence)
{
    WriteFile("Data\\Effects\\car.fx", "effect technique main");
    RefPtr<CPMaterial> car = Create(3, "car.fx", {"body.tga", "env.tga"});

    EXPECT_EQ(Create(3, "car.fx", {"body.tga", "env.tga"}).Get(), car.Get());
    EXPECT_NE(Create(4, "car.fx", {"body.tga", "env.tga"}).Get(), car.Get());
    EXPECT_NE(Create(3, "car.fx,shared", {"body.tga", "env.tga"}).Get(), car.Get());
    EXPECT_NE(Create(3, "car.fx", {"env.tga", "body.tga"}).Get(), car.Get());
    EXPECT_NE(Create(3, "car.fx", {"body.tga"}).Get(), car.Get());

    EXPECT_EQ(car->GetType(), 3);
    EXPECT_EQ(car->GetEffect()->GetName(), "car.fx");
    ASSERT_EQ(car->GetTextureBlock()->GetTextureCount(), 2);
    EXPECT_EQ(car->GetTextureBlock()->GetTexture(1)->GetName(), "error.tga");
    EXPECT_STREQ(car->GetTypeName(), "CPMaterial - car.fx");
}

// An interface screen's material names no textures and an effect that may
// be missing; it is still one shared material with a replacement effect.
TEST_F(MaterialManager, MissingResourcesStillMakeOneSharedMaterial)
{
    RefPtr<CPMaterial> screen = Create(200, "interface.fx", {});
    EXPECT_EQ(Create(200, "interface.fx", {}).Get(), screen.Get());
    EXPECT_EQ(screen->GetTextureBlock()->GetTextureCount(), 0);
    EXPECT_EQ(screen->GetEffect()->GetName(), "error.fx");
    EXPECT_STREQ(screen->GetTypeName(), "CPMaterial - error.fx");
}

} // namespace
