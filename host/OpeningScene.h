#pragma once

#include "core/PGameObject.h"
#include "core/PObjUpdater.h"

#include <memory>

// The scene shown until levels come from scripts: the demo box, loaded from
// its description, which an updater task turns about the vertical and hands
// to the render queue every frame. The scene owns the box's tree and
// destroys it, parts and drawables, when it goes.
class OpeningScene {
public:
    // Radians per second.
    static const float kTurnRate;
    // The box's description in "Data\Meshes".
    static const char* const kBoxDescription;

    OpeningScene();
    ~OpeningScene();
    OpeningScene(const OpeningScene&) = delete;
    OpeningScene& operator=(const OpeningScene&) = delete;

    // Turns the box on by the frame's time and queues it for drawing.
    void Step();

    // Null when the box's description could not be loaded.
    CPGameObject* GetBox() const { return m_box; }
    float GetAngle() const { return m_angle; }
    IPProcess* GetUpdater() { return &m_updater; }

private:
    CPGameObject* m_box;
    float m_angle;
    CPObjUpdater<OpeningScene> m_updater;
};
