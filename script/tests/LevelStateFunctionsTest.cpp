#include "script/tests/ScriptTest.h"

#include "game/PGameData.h"
#include "game/PLevel.h"

#include <memory>
#include <string>

namespace {

class LevelStateFunctions : public ScriptTest {};

TEST_F(LevelStateFunctions, LightIsDiffuseSpecularAmbientThenDirection)
{
    std::unique_ptr<CPLevel> level(new CPLevel());
    Results("SetLight(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15)");
    const D3DLIGHT9& light = level->light;
    const float values[] = {light.Diffuse.r,  light.Diffuse.g,  light.Diffuse.b,  light.Diffuse.a,
                            light.Specular.r, light.Specular.g, light.Specular.b, light.Specular.a,
                            light.Ambient.r,  light.Ambient.g,  light.Ambient.b,  light.Ambient.a,
                            light.Direction.x, light.Direction.y, light.Direction.z};
    for (int i = 0; i < 15; ++i) EXPECT_EQ(values[i], static_cast<float>(i + 1)) << i;
    level->light.Ambient.g = 0.5f;
    EXPECT_EQ(Joined("return GetLight()"), "1|2|3|4|5|6|7|8|9|0.5|11|12|13|14|15");
    level.reset();
    Results("SetLight(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15)");
    EXPECT_EQ(Joined("return GetLight()"), "0|0|0|0|0|0|0|0|0|0|0|0|0|0|0") << "no level";
}

TEST_F(LevelStateFunctions, SizeAndModesAreTheLevelsAndDefaultWithoutOne)
{
    const std::string sizeAndModes =
        "local width, depth = GetLevelSize() return width, depth, IsSingleMode(), IsTimeMode()";
    EXPECT_EQ(Joined(sizeAndModes), "0|0|false|false");
    std::unique_ptr<CPLevel> level(new CPLevel());
    level->width = 3000.0f;
    level->depth = 1500.0f;
    level->timeMode = true;
    EXPECT_EQ(Joined(sizeAndModes), "3000|1500|false|true");
    level->singleMode = true;
    level->timeMode = false;
    EXPECT_EQ(Joined("return IsSingleMode(), IsTimeMode()"), "true|false");
}

} // namespace
