#pragma once

#include "Render/PAnimationCache.h"
#include "Render/PObjectLoader.h"
#include "Render/PSkyMaker.h"
#include "Render/tests/ResourceTest.h"
#include "core/PCommandManager.h"
#include "core/PTaskManager.h"
#include "core/ProblemLog.h"
#include "core/Settings.h"
#include "game/AIManager.h"
#include "game/GameLog.h"
#include "game/LevelOneData.h"
#include "game/PGameData.h"
#include "game/PLevel.h"
#include "game/PPlayer.h"
#include "physics/PCar.h"
#include "physics/PCarWorld.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Names the sky files the renderer asks for and makes no sky.
class RecordingSkyMaker : public IPSkyMaker {
public:
    CPDynamicSky* MakeSky(const std::string& fileName) override
    {
        made.push_back(fileName);
        return nullptr;
    }
    void DestroySky(CPDynamicSky*) override {}

    std::vector<std::string> made;
};

// "level1" and its files written into the test's folder, and the engine's
// single objects a level load reaches, published as the host publishes them:
// the renderer on the test device, the object loader, the car world, the
// computer drivers, the game data, the task list and the command bus.
class LevelLoad : public ResourceTest {
protected:
    LevelLoad()
        : m_rolling(g_rolling), m_plane(g_plane), m_quadlevels(g_quadlevels), m_static(g_static)
    {
        g_pObjectLoader = &loader;
        g_pAnimationCache = &animations;
        g_pCarWorld = &world;
        g_pAIManager = &drivers;
        g_pGameData = &data;
        g_pTaskManager = &tasks;
        g_pCommandManager = &bus;
        render.SetSkyMaker(&skies);
        g_rolling = 0;
        g_plane = 0.5f;
        g_quadlevels = 0;
        g_static = 0;
    }
    ~LevelLoad() override
    {
        Unload();
        world.Reset();
        render.SetSkyMaker(nullptr);
        g_pObjectLoader = nullptr;
        g_pAnimationCache = nullptr;
        g_pCarWorld = nullptr;
        g_pAIManager = nullptr;
        g_pGameData = nullptr;
        g_pTaskManager = nullptr;
        g_pCommandManager = nullptr;
        g_rolling = m_rolling;
        g_plane = m_plane;
        g_quadlevels = m_quadlevels;
        g_static = m_static;
    }
    void SetUp() override
    {
        ResourceTest::SetUp();
        std::string error;
        ASSERT_TRUE(WriteLevelOne(error)) << error;
    }

    // A new level, loaded; loaded tells what Load answered.
    CPLevel& Load(const std::string& name, bool single = false, bool time = false)
    {
        Unload();
        GetGameLog().Clear();
        m_level.reset(new CPLevel);
        loaded = m_level->Load(name, single, time);
        return *m_level;
    }
    CPLevel& LoadContent(const std::string& name, const LevelFileContent& content, bool single = false,
                         bool time = false)
    {
        LevelFileWriter writer;
        writer.Level(content);
        EXPECT_TRUE(writer.Save("Data\\Levels\\" + name + ".lvl"));
        return Load(name, single, time);
    }
    void Unload() { m_level.reset(); }

    static LevelFileContent PlayerOnly()
    {
        LevelFileContent content;
        content.objects.push_back(LevelObjectRecord("player", D3DXVECTOR3(10.0f, 10.0f, 0.0f)));
        return content;
    }
    // What the last load reported.
    static const std::vector<std::string>& Log() { return GetGameLog().GetLines(); }
    static std::string Errors(const CPLevel&)
    {
        std::string text;
        for (const std::string& line : Log()) text += line + "\n";
        return text;
    }

    CPObjectLoader loader;
    CPAnimationCache animations;
    CPCarWorld world;
    AIManager drivers;
    CPGameData data;
    CPTaskManager tasks;
    CPCommandManager bus;
    RecordingSkyMaker skies;
    bool loaded = false;

private:
    int m_rolling;
    float m_plane;
    int m_quadlevels;
    int m_static;
    std::unique_ptr<CPLevel> m_level;
};
