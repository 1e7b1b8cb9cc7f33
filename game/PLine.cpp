#include "game/PLine.h"

#include "core/StringUtils.h"

#include <algorithm>
#include <cmath>

namespace {

const float kPi = 3.14159265f;

} // namespace

CPLine::CPLine()
    : flag(false), start(0, 0, 0), end(0, 0, 0), boxMin(0, 0, 0), boxMax(0, 0, 0), centre(0, 0, 0),
      heading(0.0f), a(0.0f), b(0.0f), c(0.0f), previous(nullptr), next(nullptr)
{
}

void CPLine::SetPoints(const D3DXVECTOR3& startPoint, const D3DXVECTOR3& endPoint)
{
    start = startPoint;
    end = endPoint;
    const float dx = end.x - start.x;
    const float dy = end.y - start.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    const float unitX = dx / length;
    const float unitY = dy / length;
    a = unitY;
    b = -unitX;
    c = unitX * start.y - unitY * start.x;
    const float angle = ClampedAcos(unitX);
    heading = (unitY > 0.0f ? angle : -angle) + kPi;
    boxMin = D3DXVECTOR3(std::min(start.x, end.x), std::min(start.y, end.y), std::min(start.z, end.z));
    boxMax = D3DXVECTOR3(std::max(start.x, end.x), std::max(start.y, end.y), std::max(start.z, end.z));
    centre = (boxMin + boxMax) * 0.5f;
}

float CPLine::GroundLength() const
{
    const float dx = end.x - start.x;
    const float dy = end.y - start.y;
    return std::sqrt(dx * dx + dy * dy);
}
