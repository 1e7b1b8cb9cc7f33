#pragma once

#include "Render/PRender.h"

class CPPerspectiveCamera;
class MotionBlur;
class ParticleBatchSet;

// Draws one frame from what the engine left in the renderer. The render
// list is walked in key order: each entry rules from its key up to the next
// entry's key, its view becoming the camera and its matrix, if any, the
// world transform, and the render queue's blocks whose material type lies
// in that range draw under it in ascending type. The sky draws first, with
// the world's camera, once its frame step has run: it clears the depth
// behind itself, so the world draws over it. Before the screen camera's
// entry takes over, the world's overlays draw with the world's camera: the
// particles, then the debug lines. The fade covers the whole frame last.
// The sky's frame step sets the frame's collected lights on the device;
// without a sky the frame sets them itself. Drawing empties the per-frame
// state (the line list, the queue's blocks, the light table); presenting is
// the caller's.
class FrameDrawer {
public:
    static const int kScreenCameraKey = 195;
    static const int kMaxFadeAlpha = 255;

    // Without a motion blur or particles the frame draws none.
    explicit FrameDrawer(CPRender& render, MotionBlur* motionBlur = nullptr, ParticleBatchSet* particles = nullptr);

    void Draw();
    // Empties the per-frame state without drawing, for a frame that cannot
    // be drawn: otherwise it would pile up while the device is lost.
    void EmptyFrameState();

    // The first perspective view of the render list: the camera the world
    // is seen with. Null when the list holds none.
    static CPPerspectiveCamera* FindWorldCamera(const CPRender& render);
    // The alpha of the black quad over the frame: 255 x (1 - fade / maximum),
    // 0 without a maximum.
    static int FadeAlpha(float fade, int maxFade);

private:
    // False when there is no sky to draw, or no camera to see it with.
    bool DrawSky();
    void ApplyAmbient();
    void ApplyEntry(const RenderListEntry& entry);
    void DrawQueueBlocks(int fromType, int toType, bool screenLayer);
    void DrawWorldOverlays();
    void DrawLines();
    void DrawFade();

    CPRender& m_render;
    MotionBlur* m_motionBlur;
    ParticleBatchSet* m_particles;
    IDirect3DDevice9* m_device;
    CPPerspectiveCamera* m_worldCamera;
};
