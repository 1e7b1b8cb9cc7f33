#pragma once

#include "Render/PDeviceListener.h"

#include <d3d9.h>

class CPRender;

// The renderer's motion blur: while it is on, the last frame is blended
// over the new one through the screen grid, and the result is kept as the
// next frame's last frame. The kept frame is a render target in the default
// pool, so the blur lets it go when the device is lost and starts over after
// the reset.
class MotionBlur : public IPDeviceListener {
public:
    static const int kGridColumns = 16;
    static const int kGridRows = 12;

    // Lays the renderer's screen grid over the whole screen.
    explicit MotionBlur(CPRender& render);
    ~MotionBlur() override;

    // Blends and keeps the frame drawn so far; drops the kept frame while
    // the blur is off.
    void Apply();

    void OnLostDevice() override;
    void OnResetDevice() override;

    bool HasLastFrame() const { return m_hasLastFrame; }
    // The alpha the last frame is blended with: the blur's blend value
    // scaled by its amount.
    static int BlendAlpha(int blurBlend, float amount);

private:
    void PlaceGrid();
    bool KeepFrame();
    void BlendLastFrame();
    void ReleaseLastFrame();

    CPRender& m_render;
    IDirect3DTexture9* m_lastFrame;
    bool m_hasLastFrame;
};
