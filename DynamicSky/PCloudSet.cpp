#include "DynamicSky/PCloudSet.h"

#include "DynamicSky/CloudSetFile.h"
#include "DynamicSky/SkyTextFile.h"

#include <algorithm>
#include <cmath>

namespace {

const float kOpaque = 255.0f;
const float kDefaultValue = 20.0f;
const float kDefaultShading = 128.0f;
const float kHalf = 0.5f;

D3DXVECTOR3 Place(const D3DXVECTOR3& point, float scale, const D3DXMATRIX& turn)
{
    D3DXVECTOR3 scaled = point * scale;
    D3DXVECTOR3 placed;
    D3DXVec3TransformCoord(&placed, &scaled, &turn);
    return placed;
}

// The running largest and smallest reach of the clouds along one axis.
struct AxisRange {
    float largest = 0.0f;
    float smallest = 0.0f;

    void Take(float centre, float radius)
    {
        largest = std::max(largest, centre + radius);
        smallest = std::min(smallest, centre - radius);
    }
    float Extent() const { return std::max(std::fabs(largest), std::fabs(smallest)); }
};

} // namespace

CPCloudSet::CPCloudSet()
    : alpha1(0.0f),
      alpha2(kOpaque),
      fadingOut(false),
      fadingIn(false),
      valueB(kDefaultValue),
      valueA(kDefaultValue),
      words(),
      halfHeight(0.0f),
      reach(0.0f),
      position(0.0f, 0.0f, 0.0f),
      changed1(false),
      scale(1.0f),
      angle(0.0f),
      offset(0.0f, 0.0f, 0.0f),
      changed2(false)
{
    std::fill(std::begin(shading), std::end(shading), kDefaultShading);
}

CPCloudSet::~CPCloudSet() {}

void CPCloudSet::Load(const std::string& fileName, float setScale, float setAngle)
{
    scale = setScale;
    angle = setAngle;
    CloudSetDescription file;
    if (!ReadCloudSetFile(SkyFilePath(fileName), file)) return;
    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, angle);
    for (const CloudSetDescription::Cloud& read : file.clouds) {
        Cloud cloud;
        cloud.centre = Place(read.centre, scale, turn);
        cloud.first = read.first;
        cloud.second = read.second;
        cloud.value = read.value;
        D3DXVECTOR3 fromAnchor = cloud.centre - Place(file.anchors[read.anchor], scale, turn);
        D3DXVec3Normalize(&cloud.direction, &fromAnchor);
        cloud.size1 = read.size1 * scale;
        cloud.size2 = read.size2 * scale;
        clouds.push_back(cloud);
    }
    valueA = file.valueA;
    valueB = file.valueB;
    std::copy(std::begin(file.shading), std::end(file.shading), std::begin(shading));
    ComputeBounds();
}

void CPCloudSet::ComputeBounds()
{
    AxisRange x;
    AxisRange y;
    AxisRange z;
    for (const Cloud& cloud : clouds) {
        const float radius = std::sqrt(cloud.size1 * cloud.size1 + cloud.size2 * cloud.size2);
        x.Take(cloud.centre.x, radius);
        y.Take(cloud.centre.y, radius);
        z.Take(cloud.centre.z, radius);
    }
    halfHeight = kHalf * z.Extent();
    reach = std::max(z.Extent(), std::max(x.Extent(), y.Extent()));
}
