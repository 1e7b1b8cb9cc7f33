#include "interface/PButton.h"

#include "interface/PInterface.h"

#include "core/PCommandManager.h"

CPButton::CPButton(CPInterface* owner) : CPWindow(owner), m_state(kNormal)
{
    for (std::unique_ptr<CPWindow>& window : m_stateWindows) window.reset(new CPWindow(owner));
}

void CPButton::SetEnabled(bool value)
{
    m_state = kNormal;
    if (m_owner) m_owner->UpdateBuffers();
    enabled = value;
}

bool CPButton::HitTest(float px, float py)
{
    return m_stateWindows[kNormal]->HitTest(px, py);
}

bool CPButton::Load(CPTextReader& reader, float textureWidth, float textureHeight)
{
    m_state = kNormal;
    for (std::unique_ptr<CPWindow>& window : m_stateWindows) {
        window.reset(new CPWindow(m_owner));
        if (!window->Load(reader, textureWidth, textureHeight)) return false;
    }
    const CPWindow& normal = *m_stateWindows[kNormal];
    SetVisible(normal.visible);
    name = normal.name;
    x = normal.x;
    y = normal.y;
    return true;
}

const Vertex48* CPButton::GetVertices()
{
    return m_stateWindows[m_state]->GetVertices();
}

const uint16_t* CPButton::GetIndices()
{
    return m_stateWindows[m_state]->GetIndices();
}

void CPButton::SetVisible(bool value)
{
    m_state = kNormal;
    visible = value;
}

bool CPButton::OnMouseOver(float, float)
{
    m_state = kHover;
    if (GetCommandManager()) GetCommandManager()->SendCommandByCategory("interface", "mouse_button_over", name);
    return true;
}

bool CPButton::OnMouseOut(float, float)
{
    m_state = kNormal;
    if (GetCommandManager()) GetCommandManager()->SendCommandByCategory("interface", "mouse_button_out", name);
    return true;
}

bool CPButton::OnMouseDown(int mouseButton, float, float)
{
    if (mouseButton != kLeftButton) return false;
    m_state = kPressed;
    return true;
}

bool CPButton::OnClick(int mouseButton, float px, float py)
{
    if (mouseButton != kLeftButton) return false;
    if (!HitTest(px, py)) {
        m_state = kNormal;
        return true;
    }
    m_state = kHover;
    if (GetCommandManager() && m_owner) {
        GetCommandManager()->SendCommandByObject(m_owner->GetScriptHandler(), "button", name);
    }
    return true;
}
