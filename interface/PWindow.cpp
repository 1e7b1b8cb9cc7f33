#include "interface/PWindow.h"

#include "interface/InterfaceFields.h"
#include "interface/InterfaceLog.h"
#include "interface/PInterface.h"

#include "core/PCommandManager.h"
#include "core/PTextReader.h"
#include "core/Settings.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const float kDesignWidth = 1024.0f;
const float kDesignHeight = 768.0f;
const float kHalfDesignWidth = 512.0f;
const float kHalfDesignHeight = 384.0f;
const float kStretchX = 0.0009765625f;
const float kStretchY = 0.0013020834f;
// Window lines give the top-left pixel's centre; the quad's corner lies
// half a pixel before it.
const float kPixelCentre = 0.5f;
const size_t kNumberCount = 8;
const size_t kVisibilityToken = 8;
const size_t kLayoutToken = 9;
const D3DCOLOR kOpaqueWhite = 0xFFFFFFFF;

// A texture size that is not positive gives texture coordinates of 0.
float TextureUnits(float pixels, float textureSize)
{
    return textureSize > 0.0f ? pixels / textureSize : 0.0f;
}

} // namespace

void ApplyAnchor(const std::string& anchor, float& x, float& y)
{
    const float width = static_cast<float>(g_screenWidth);
    const float height = static_cast<float>(g_screenHeight);
    const float centreX = x - kHalfDesignWidth + width / 2.0f;
    const float rightX = x - kDesignWidth + width;
    const float middleY = y - kHalfDesignHeight + height / 2.0f;
    const float bottomY = y - kDesignHeight + height;
    if (anchor == "center") {
        x = centreX;
        y = middleY;
    } else if (anchor == "ld") {
        y = bottomY;
    } else if (anchor == "ru") {
        x = rightX;
    } else if (anchor == "rd") {
        x = rightX;
        y = bottomY;
    } else if (anchor == "cu") {
        x = centreX;
    } else if (anchor == "cd") {
        x = centreX;
        y = bottomY;
    }
}

CPWindow::CPWindow(CPInterface* owner)
    : visible(true),
      enabled(true),
      x(0.0f),
      y(0.0f),
      colour(kOpaqueWhite),
      stretchedWidth(0.0f),
      stretchedHeight(0.0f),
      m_owner(owner),
      m_vertices(),
      m_indices()
{
}

void CPWindow::SetEnabled(bool value)
{
    enabled = value;
}

bool CPWindow::HitTest(float px, float py)
{
    return x + m_vertices[0].position.x <= px && px <= x + m_vertices[1].position.x &&
           y + m_vertices[0].position.y <= py && py <= y + m_vertices[2].position.y;
}

void CPWindow::SetSize(float width, float height)
{
    m_vertices[1].position.x = width;
    m_vertices[2].position.x = width;
    m_vertices[2].position.y = height;
    m_vertices[3].position.y = height;
}

void CPWindow::Set(const std::string& windowName, float textureWidth, float textureHeight, float left, float top,
                   float w, float h, float tx, float ty, float tw, float th)
{
    name = windowName;
    x = left - kPixelCentre;
    y = top - kPixelCentre;
    SetVisible(true);
    BuildQuad(w, h, TextureUnits(tx, textureWidth), TextureUnits(ty, textureHeight), TextureUnits(tw, textureWidth),
              TextureUnits(th, textureHeight));
}

bool CPWindow::Load(CPTextReader& reader, float textureWidth, float textureHeight)
{
    std::string line;
    if (!reader.ReadLine(line)) {
        LogInterfaceProblem("a window's definition line is missing at the end of the file");
        return false;
    }
    const std::vector<std::string> parts = SplitTokens(line, " ");
    const std::vector<std::string> values = parts.size() > 1 ? SplitTokens(parts[1], ",") : std::vector<std::string>();
    if (values.size() < kNumberCount) {
        LogInterfaceProblem("window line \"%s\" has %d of its 8 numbers; the rest read as 0", line.c_str(),
                            static_cast<int>(values.size()));
    }
    float numbers[kNumberCount] = {};
    for (size_t i = 0; i < kNumberCount && i < values.size(); ++i) {
        numbers[i] = static_cast<float>(std::atof(values[i].c_str()));
    }
    name = parts.empty() ? std::string() : parts[0];
    x = numbers[0] - kPixelCentre;
    y = numbers[1] - kPixelCentre;
    float width = numbers[2];
    float height = numbers[3];
    if (values.size() > kVisibilityToken) {
        SetVisible(values[kVisibilityToken] != "false");
        if (values.size() > kLayoutToken) {
            const std::string& layout = values[kLayoutToken];
            if (layout == "stretch") {
                width = static_cast<float>(g_screenWidth) * width * kStretchX;
                height = static_cast<float>(g_screenHeight) * height * kStretchY;
                stretchedWidth = width;
                stretchedHeight = height;
            } else {
                ApplyAnchor(layout, x, y);
            }
        }
    }
    BuildQuad(width, height, TextureUnits(numbers[4], textureWidth), TextureUnits(numbers[5], textureHeight),
              TextureUnits(numbers[6], textureWidth), TextureUnits(numbers[7], textureHeight));
    return true;
}

void CPWindow::BuildQuad(float width, float height, float uMin, float vMin, float uSize, float vSize)
{
    const float corners[kVertexCount][4] = {
        {0.0f, 0.0f, uMin, vMin},
        {width, 0.0f, uMin + uSize, vMin},
        {width, height, uMin + uSize, vMin + vSize},
        {0.0f, height, uMin, vMin + vSize},
    };
    for (int i = 0; i < kVertexCount; ++i) {
        Vertex48 vertex = {};
        vertex.position = D3DXVECTOR3(corners[i][0], corners[i][1], 0.0f);
        vertex.diffuse = kOpaqueWhite;
        vertex.tex0 = D3DXVECTOR2(corners[i][2], corners[i][3]);
        m_vertices[i] = vertex;
    }
    for (int i = 0; i < kIndexCount; ++i) m_indices[i] = kQuadIndices[i];
}

const Vertex48* CPWindow::GetVertices()
{
    return m_vertices;
}

const uint16_t* CPWindow::GetIndices()
{
    return m_indices;
}

void CPWindow::SetVisible(bool value)
{
    visible = value;
}

void CPWindow::ApplyColour(uint32_t argb)
{
    colour = argb;
    for (Vertex48& vertex : m_vertices) vertex.diffuse = argb;
}

bool CPWindow::OnMouseOver(float, float)
{
    if (GetCommandManager()) GetCommandManager()->SendCommandByCategory("interface", "mouse_window_over", name);
    return false;
}

bool CPWindow::OnMouseOut(float, float)
{
    if (GetCommandManager()) GetCommandManager()->SendCommandByCategory("interface", "mouse_window_out", name);
    return false;
}

bool CPWindow::OnMouseDown(int, float, float)
{
    return false;
}

bool CPWindow::OnClick(int, float px, float py)
{
    if (!HitTest(px, py) || !GetCommandManager() || !m_owner) return false;
    char point[64];
    std::snprintf(point, sizeof(point), ",%.2f,%.2f", px, py);
    GetCommandManager()->SendCommandByObject(m_owner->GetScriptHandler(), "window", name + point);
    return false;
}
