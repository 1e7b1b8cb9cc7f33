#include "host/OpeningScene.h"

#include "Render/PObjectLoader.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "core/FrameClock.h"

#include <d3dx9math.h>

#include <vector>

const float OpeningScene::kTurnRate = 0.8f;
const char* const OpeningScene::kBoxDescription = "box.rdf";

namespace {

const int kNoTypeOffset = 0;
const D3DXVECTOR3 kVertical(0.0f, 0.0f, 1.0f);

// Children go first; a part's destructor takes it off its parent and lets
// go of its drawable, which the part alone held.
void DestroyTree(CPGameObject* object)
{
    std::vector<CPGameObject*> children;
    for (const RefPtr<CPGameObject>& child : object->GetChildren()) children.push_back(child.Get());
    for (CPGameObject* child : children) DestroyTree(child);
    IPObject* component = object->GetComponent();
    delete object;
    delete component;
}

} // namespace

OpeningScene::OpeningScene() : m_box(nullptr), m_angle(0.0f), m_updater(this, &OpeningScene::Step)
{
    CPObjectLoader* loader = g_pObjectLoader;
    if (!loader) return;
    RefPtr<CPGameObject> box = loader->LoadObject(kBoxDescription, kNoTypeOffset);
    m_box = box.Get();
}

OpeningScene::~OpeningScene()
{
    if (m_box) DestroyTree(m_box);
}

void OpeningScene::Step()
{
    if (!m_box) return;
    m_angle += kTurnRate * FrameDeltaTime;
    D3DXQUATERNION turn;
    D3DXQuaternionRotationAxis(&turn, &kVertical, m_angle);
    m_box->SetRotation(turn.x, turn.y, turn.z, turn.w);
    m_box->UpdateTransform();
    CPRender* render = GetRender();
    RefPtr<CPRenderQueue> queue = render ? render->GetRenderQueue() : RefPtr<CPRenderQueue>();
    if (queue) queue->AddObject(m_box);
}
