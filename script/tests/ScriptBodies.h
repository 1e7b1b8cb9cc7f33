#pragma once

#include "core/PGameObject.h"
#include "physics/PPhysicData.h"

#include <utility>

// A scene object (a CPGameObject or a class derived from it) with physics
// data, whose bodies a test takes from its own simulator. The object lets
// go of its physics data before either is destroyed.
template <class Object>
struct ObjectWithPhysics {
    template <class... Arguments>
    explicit ObjectWithPhysics(Arguments&&... arguments)
        : object(std::forward<Arguments>(arguments)...), physics(&object)
    {
        object.SetPhysicData(&physics);
    }
    ~ObjectWithPhysics() { object.SetPhysicData(nullptr); }

    Object object;
    CPPhysicData physics;
};
