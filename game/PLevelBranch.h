#pragma once

#include "core/PGameObject.h"
#include "core/PObject.h"

// The level's spatial tree over its static objects.
class CPLevelBranch : public IPObject {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPLevelBranch"; }

    void SetObjects(const CPGameObject::ObjectList& objects) { m_objects = objects; }
    void Build() {}
    const CPGameObject::ObjectList& GetObjects() const { return m_objects; }

private:
    CPGameObject::ObjectList m_objects;
};
