#pragma once

#include "core/AnimationRequest.h"
#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/PEnemyComponent.h"
#include "core/PGameObject.h"
#include "core/PTaskManager.h"
#include "core/RayQuery.h"
#include "core/ShadowMatrix.h"
#include "physics/PPhysicData.h"
#include "physics/PSimulator.h"
#include "Render/PAnimatedObject.h"
#include "Render/PMaterial.h"
#include "Render/PParticleManager.h"
#include "Render/PParticleSystem.h"
#include "Render/PPartAnimation.h"
#include "Render/PRenderObject.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace gameobject_test {

// Test doubles: the components' per-frame work is not what these tests are about.
class Receiver : public CommandReceiver {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "Receiver"; }
    void Execute() override {}
    int GetTaskValue() override { return 0; }

    // Every queued command as "name:params" (params joined by ","), oldest first.
    std::vector<std::string> TakeCommands()
    {
        std::vector<std::string> commands;
        while (SetNextCommand()) {
            std::string text = *GetCurrentCommand() + ":";
            const std::vector<std::string>& params = *GetCurrentParams();
            for (size_t i = 0; i < params.size(); ++i) text += (i ? "," : "") + params[i];
            commands.push_back(text);
        }
        return commands;
    }
};

class PartAnimation : public CPPartAnimation {
public:
    void Execute() override {}
};

class ParticleSystem : public CPParticleSystem {
public:
    void Execute() override {}
    void Clone(RefPtr<IPProcess>& copy) override
    {
        clones.push_back(std::make_unique<ParticleSystem>());
        copy = clones.back().get();
    }
    std::vector<std::unique_ptr<ParticleSystem>> clones;
};

class AnimatedObject : public CPAnimatedObject {
public:
    int GetVertexCount() override { return 0; }
    int GetIndexCount() override { return 0; }
    void WriteGeometry(Vertex48*, uint16_t*, uint16_t, bool) override {}
    void Clone(RefPtr<CPAnimatedObject>& copy) override
    {
        clones.push_back(std::make_unique<AnimatedObject>());
        clones.back()->CopyFrom(this);
        copy = clones.back().get();
    }
    std::vector<std::unique_ptr<AnimatedObject>> clones;
};

class Enemy : public IPEnemyComponent {
public:
    void OnAnimationEnd() override { calls.push_back("end"); }
    void OnAnimationEvent() override { calls.push_back("event"); }
    void OnDamage(const D3DXVECTOR3* at, const D3DXVECTOR3* towards, float amount, IPObject*, bool quiet) override
    {
        calls.push_back("damage");
        if (at) point = *at;
        if (towards) direction = *towards;
        damage = amount;
        wasQuiet = quiet;
    }
    std::vector<std::string> calls;
    D3DXVECTOR3 point{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 direction{0.0f, 0.0f, 0.0f};
    float damage = 0.0f;
    bool wasQuiet = false;
};

inline std::string Identity(const CPGameObject& object)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", static_cast<int>(reinterpret_cast<intptr_t>(&object)));
    return text;
}

inline void ExpectVector(const D3DXVECTOR3& actual, float x, float y, float z)
{
    EXPECT_NEAR(actual.x, x, 1e-4f);
    EXPECT_NEAR(actual.y, y, 1e-4f);
    EXPECT_NEAR(actual.z, z, 1e-4f);
}

inline D3DXVECTOR3 WorldPosition(const CPGameObject& object)
{
    const D3DXMATRIX& world = object.GetWorldMatrix();
    return D3DXVECTOR3(world._41, world._42, world._43);
}

inline void AddUnitPart(CPGameObject& object)
{
    object.GetParts().push_back(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1)));
}

// Objects that a test makes and that outlive its game objects and the task
// list that may hold them. Later objects may hold references to earlier
// ones, so the last made goes first.
class OwnedObjects {
public:
    ~OwnedObjects()
    {
        while (!m_objects.empty()) m_objects.pop_back();
    }

    template <class T, class... Args>
    T* Make(Args&&... args)
    {
        m_objects.push_back(std::make_unique<T>(std::forward<Args>(args)...));
        return static_cast<T*>(m_objects.back().get());
    }

private:
    std::vector<std::unique_ptr<IPObject>> m_objects;
};

// A parent with one child, and the engine's single objects that game
// objects reach through globals.
class GameObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_pTaskManager = &m_tasks;
        g_pCommandManager = &m_bus;
        parent.AddChild(&child);
    }
    void TearDown() override
    {
        g_pTaskManager = nullptr;
        g_pCommandManager = nullptr;
    }

    std::vector<IPProcess*> ListedTasks()
    {
        std::vector<IPProcess*> tasks;
        for (const RefPtr<IPProcess>& task : m_tasks.GetTasks()) tasks.push_back(task.Get());
        return tasks;
    }

    // Components and receivers, made before whatever holds them.
    template <class T, class... Args>
    T* Own(Args&&... args)
    {
        return m_owned.Make<T>(std::forward<Args>(args)...);
    }

    OwnedObjects m_owned;
    Receiver& receiver = *Own<Receiver>();
    CPTaskManager m_tasks;
    CPCommandManager m_bus;
    CPGameObject parent{"parent"};
    CPGameObject child{"child"};
};

} // namespace gameobject_test
