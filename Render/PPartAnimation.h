#pragma once

#include "core/PProcess.h"

// A keyframed track of matrices that belongs to one part of a scene object.
// It runs as a task; when its track runs out it tells its game object and
// then starts over (looping) or stops.
class CPPartAnimation : public IPProcess {
public:
    CPPartAnimation() : m_looping(false) {}

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPPartAnimation"; }
    int GetTaskValue() override { return 1; }

    // Set by the game object for its idle animation.
    void SetLooping(bool looping) { m_looping = looping; }
    bool IsLooping() const { return m_looping; }

private:
    bool m_looping;
};
