#include "game/PLightningShot.h"

#include "Render/PMaterial.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/PRenderObject.h"
#include "core/FrameClock.h"
#include "core/RayQuery.h"
#include "game/PLevel.h"
#include "game/PShotSpawner.h"

#include <cstdlib>

namespace {

const char* const kEnemyTarget = "enemy";
const float kZeroLengthSquared = 1e-6f;
const int kQuadCorners = 4;
const uint16_t kQuadIndices[] = {0, 1, 2, 0, 2, 3};

enum Param { kTarget, kSpeed, kPower, kHalfWidth, kTexture, kEffect, kMaterialType, kImpactKind, kExtra };

std::string StringAt(const std::vector<std::string>& params, int index)
{
    return index < static_cast<int>(params.size()) ? params[index] : std::string();
}

float NumberAt(const std::vector<std::string>& params, int index)
{
    return static_cast<float>(std::atof(StringAt(params, index).c_str()));
}

} // namespace

CPLightningShot::CPLightningShot(const std::string& kindName)
    : CPShot(kindName),
      m_speed(0.0f),
      m_power(0.0f),
      m_travelled(0.0f),
      m_notEnemyTarget(true),
      m_materialType(0),
      m_start(0.0f, 0.0f, 0.0f),
      m_halfWidth(0.0f),
      m_extraValue(0.0f),
      m_side(0.0f, 0.0f, 0.0f)
{
}

void CPLightningShot::Clone(RefPtr<CPShot>& copy)
{
    copy = nullptr;
}

bool CPLightningShot::Update()
{
    RefPtr<CPGameObject> hitObject;
    return Strike(hitObject) >= 1;
}

bool CPLightningShot::SetParams(const std::vector<std::string>& params)
{
    m_notEnemyTarget = StringAt(params, kTarget) != kEnemyTarget;
    m_speed = NumberAt(params, kSpeed);
    m_power = NumberAt(params, kPower);
    m_halfWidth = NumberAt(params, kHalfWidth);
    m_textureName = StringAt(params, kTexture);
    m_effectName = StringAt(params, kEffect);
    m_materialType = std::atoi(StringAt(params, kMaterialType).c_str());
    m_impactKind = StringAt(params, kImpactKind);
    m_extraValue = NumberAt(params, kExtra);
    BuildMesh();
    return CPShot::SetParams(params);
}

void CPLightningShot::BuildMesh()
{
    std::unique_ptr<CPRenderObject> mesh(new CPRenderObject(this));
    if (g_pMaterialManager) {
        RefPtr<CPMaterial> material;
        g_pMaterialManager->CreateMaterial(material, m_materialType, m_effectName,
                                           std::vector<std::string>(1, m_textureName));
        mesh->SetMaterial(material);
    }
    mesh->GetLocalVertices().assign(kQuadCorners, Vertex48());
    mesh->GetIndices().assign(std::begin(kQuadIndices), std::end(kQuadIndices));
    InstallBody(std::move(mesh));
}

void CPLightningShot::Launch(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float value,
                             RefPtr<CPGameObject> owner, int extra)
{
    m_travelled = 0.0f;
    CPShot::Launch(position, direction, value, owner, extra);
    m_start = position;
    if (value >= 0.0f) m_power = value;
    std::vector<Vertex48>& vertices = GetBody()->GetLocalVertices();
    if (vertices.size() < kQuadCorners) vertices.resize(kQuadCorners, Vertex48());
    vertices[1].tex0.x = 1.0f;
    vertices[2].tex0.x = 1.0f;
}

int CPLightningShot::Strike(RefPtr<CPGameObject>& hitObject)
{
    const float step = FrameDeltaTime * m_speed;
    m_travelled += step;
    if (m_travelled > kMaxLength) return -1;
    if (HitsLevel(step, hitObject)) return 0;
    m_position += m_direction * step;
    PlaceQuad();
    return 1;
}

// Without a level the bolt grows untested.
bool CPLightningShot::HitsLevel(float step, RefPtr<CPGameObject>& hitObject)
{
    CPLevel* level = GetLevel();
    if (!level) return false;
    RayQuery query;
    query.origin = m_position;
    query.direction = m_direction;
    query.distance = step;
    if (!level->CrossRay(query)) return false;
    if (CPShotSpawner* spawner = GetShotSpawner()) {
        spawner->Spawn(m_impactKind, m_position, query.hitPoint, -1.0f, nullptr, 0);
    }
    hitObject = query.hitObject;
    return true;
}

// The quad spans from the start to the tip, spread across the line the
// camera sees it along; without a camera the side stays as it was.
void CPLightningShot::PlaceQuad()
{
    CPLevel* level = GetLevel();
    if (level && level->camera) {
        RefPtr<CPPerspectiveCamera> view = level->camera->GetFirstView();
        if (view) {
            const D3DXVECTOR3 along = m_position - m_start;
            const D3DXVECTOR3 toEye = view->GetEye() - m_start;
            D3DXVECTOR3 side;
            D3DXVec3Cross(&side, &along, &toEye);
            if (D3DXVec3LengthSq(&side) >= kZeroLengthSquared) D3DXVec3Normalize(&m_side, &side);
        }
    }
    const D3DXVECTOR3 spread = m_side * m_halfWidth;
    std::vector<Vertex48>& vertices = GetBody()->GetLocalVertices();
    vertices[0].position = m_start + spread;
    vertices[1].position = m_position + spread;
    vertices[2].position = m_position - spread;
    vertices[3].position = m_start - spread;
}
