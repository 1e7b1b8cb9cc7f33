#pragma once

#include "core/PProcess.h"

class CPGameObject;

// A particle effect attached to a game object (smoke, flames, sparks), run as
// a task. So far it holds only its owner and its place in the task list:
// it has no emitters yet and makes no particles; a copy of it hands back
// none.
class CPParticleSystem : public IPProcess {
public:
    CPParticleSystem() : m_owner(nullptr) {}

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPParticleSystem"; }
    int GetTaskValue() override { return 1; }

    // The game object the system belongs to; not kept alive by the system.
    void SetOwner(CPGameObject* owner) { m_owner = owner; }
    CPGameObject* GetOwner() const { return m_owner; }

private:
    CPGameObject* m_owner;
};
