#pragma once

#include "interface/PWindow.h"

#include <memory>

// A window with three looks, normal, hover and pressed, each a window line
// of its own; the current state's look is drawn, while the hit area stays
// the normal look's. Hovering, leaving and clicking it send commands.
class CPButton : public CPWindow {
public:
    static constexpr int kNormal = 0;
    static constexpr int kHover = 1;
    static constexpr int kPressed = 2;
    static constexpr int kStateCount = 3;
    static constexpr int kLeftButton = 0;

    explicit CPButton(CPInterface* owner);

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPButton"; }

    void SetEnabled(bool enabled) override;
    bool HitTest(float x, float y) override;
    // Reads the normal, hover and pressed lines in turn; false when a line
    // is missing.
    bool Load(CPTextReader& reader, float textureWidth, float textureHeight) override;
    const Vertex48* GetVertices() override;
    const uint16_t* GetIndices() override;
    void SetVisible(bool visible) override;
    bool OnMouseOver(float x, float y) override;
    bool OnMouseOut(float x, float y) override;
    bool OnMouseDown(int mouseButton, float x, float y) override;
    bool OnClick(int mouseButton, float x, float y) override;

    int GetState() const { return m_state; }
    CPWindow* GetStateWindow(int state) const { return m_stateWindows[state].get(); }

private:
    std::unique_ptr<CPWindow> m_stateWindows[kStateCount];
    int m_state;
};
