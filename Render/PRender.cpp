#include "Render/PRender.h"

#include "core/Settings.h"

#include <algorithm>

CPRender* g_pRender = nullptr;

CPRender* GetRender()
{
    return g_pRender;
}

CPRender::CPRender() : m_device(nullptr), m_gridColumns(0), m_gridRows(0) {}

void CPRender::SetScreenGrid(int columns, int rows)
{
    m_gridColumns = std::max(columns, 0);
    m_gridRows = std::max(rows, 0);
    size_t count = static_cast<size_t>(m_gridColumns + 1) * static_cast<size_t>(m_gridRows + 1);
    m_gridVertices.assign(count, ScreenGridVertex());
    m_gridDirections.assign(count, D3DXVECTOR2(0.0f, 0.0f));
}

// A point that lies exactly on the centre has no direction; it keeps a zero
// vector instead of the NaNs that dividing by its zero length would give.
static D3DXVECTOR2 DirectionFrom(const D3DXVECTOR2& centre, const ScreenGridVertex& point)
{
    D3DXVECTOR2 offset(point.x - centre.x, point.y - centre.y);
    if (offset.x == 0.0f && offset.y == 0.0f) return offset;
    D3DXVECTOR2 direction;
    D3DXVec2Normalize(&direction, &offset);
    return direction;
}

void CPRender::UpdateBlurDirections(float offset)
{
    if (g_blur == 0) return;
    D3DXVECTOR2 centre(static_cast<float>(g_screenWidth) * 0.5f,
                       (offset + 1.0f) * static_cast<float>(g_screenHeight) * 0.5f);
    for (size_t index = 0; index < m_gridVertices.size(); ++index) {
        m_gridDirections[index] = DirectionFrom(centre, m_gridVertices[index]);
    }
}
