#include "core/PGameObject.h"

#include "core/AnimationRequest.h"
#include "core/ObjectIdentity.h"
#include "core/PCommandManager.h"
#include "core/PEnemyComponent.h"
#include "core/PTaskManager.h"
#include "core/RayQuery.h"
#include "core/XmlDataFile.h"
#include "physics/PCar.h"
#include "physics/PPhysicData.h"
#include "Render/PAnimatedObject.h"
#include "Render/PLight.h"
#include "Render/PMaterial.h"
#include "Render/PParticleManager.h"
#include "Render/PParticleSystem.h"
#include "Render/PPartAnimation.h"
#include "Render/PRenderObject.h"
#include "Render/PSprite.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>

float g_damageFactor = 1.0f;

namespace {

const size_t kNameMapSizeHint = 100;
const D3DCOLOR kDefaultLineColour = 0xff4e4e4e;
const char kIdleAnimationName[] = "idle";
const char kFlameObjectName[] = "flame";
const char kDescriptionFolder[] = "Data\\Descriptions\\";
const int kFlamePriority = 200;
const int kNoFlame = -1;

// A NaN or an infinity in a position or rotation would spread through the
// matrices into the bounds of every ancestor.
bool AllFinite(std::initializer_list<float> values)
{
    for (float value : values) {
        if (!std::isfinite(value)) return false;
    }
    return true;
}

// A running copy of the particle system, or none when the system hands back
// no copy or something that is not a particle system.
CPParticleSystem* CloneParticleSystem(CPParticleSystem& source)
{
    RefPtr<IPProcess> copy;
    source.Clone(copy);
    return dynamic_cast<CPParticleSystem*>(copy.Get());
}

} // namespace

CPGameObject::CPGameObject(std::string name)
    : m_kind(kKindMesh),
      m_visible(true),
      m_sharedGeometry(true),
      m_transformChanged(true),
      m_dirty(true),
      m_localDirty(true),
      m_shadowFlag(true),
      m_position(0.0f, 0.0f, 0.0f),
      m_rotation(0.0f, 0.0f, 0.0f, 1.0f),
      m_ownBox(D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 0.0f)),
      m_flameType(kNoFlame),
      m_started(false),
      m_hasAnimations(false),
      m_animations(kNameMapSizeHint),
      m_childrenByName(kNameMapSizeHint),
      m_parent(nullptr),
      m_name(std::move(name)),
      m_scriptHandler(nullptr),
      m_collision(true),
      m_enemy(nullptr),
      m_lineColour(kDefaultLineColour),
      m_marked(false)
{
    D3DXMatrixIdentity(&m_parentMatrix);
    D3DXMatrixIdentity(&m_animationMatrix);
    D3DXMatrixIdentity(&m_localMatrix);
    D3DXMatrixIdentity(&m_worldMatrix);
}

CPGameObject::~CPGameObject()
{
    Stop();
    for (auto& named : m_animations) {
        ReleaseAnimation(named.second.Get());
    }
    RemoveFromParent();
    for (RefPtr<CPGameObject>& child : m_children) {
        child->m_parent = nullptr;
    }
    if (CPParticleSystem* particleSystem = GetParticleSystem()) particleSystem->Stop();
    m_shadowMaterial = nullptr;
    m_car = nullptr;
    m_physicData = nullptr;
    m_component = nullptr;
}

void CPGameObject::RemoveFromParent()
{
    if (!m_parent) return;
    ObjectList& siblings = m_parent->m_children;
    for (ObjectList::iterator it = siblings.begin(); it != siblings.end(); ++it) {
        if (it->Get() == this) {
            siblings.erase(it);
            break;
        }
    }
    // The name entry may belong to a later child of the same name; only an
    // entry that is this object goes, so the map never names a dead child.
    auto named = m_parent->m_childrenByName.find(m_name);
    if (named != m_parent->m_childrenByName.end() && named->second.Get() == this) {
        m_parent->m_childrenByName.erase(named);
    }
    m_parent = nullptr;
}

int CPGameObject::GetObjectSize()
{
    return sizeof(*this);
}

const char* CPGameObject::GetTypeName()
{
    m_typeName = "CPGameObject - " + m_name;
    return m_typeName.c_str();
}

std::string CPGameObject::GetIdentityText() const
{
    return ObjectIdentityText(this);
}

void CPGameObject::SendToScriptHandler(const char* command, const std::string& params)
{
    CPCommandManager* bus = GetCommandManager();
    if (!m_scriptHandler || !bus) return;
    bus->SendCommandByObject(RefPtr<CommandReceiver>(m_scriptHandler), command, params);
}

void CPGameObject::AddTaskWithPriority(IPProcess* task, int priority)
{
    task->SetPriority(priority);
    g_pTaskManager->AddTask(RefPtr<IPProcess>(task));
}

template <class Visit>
void CPGameObject::VisitOtherLevelsOfDetail(Visit visit)
{
    for (size_t i = 1; i < m_levelsOfDetail.size(); ++i) {
        if (m_levelsOfDetail[i].object) visit(*m_levelsOfDetail[i].object);
    }
}

template <class Component>
Component* CPGameObject::GetComponentOfKind(int kind) const
{
    if (m_kind != kind) return nullptr;
    return dynamic_cast<Component*>(m_component.Get());
}

CPRenderObject* CPGameObject::GetRenderObject() const
{
    return GetComponentOfKind<CPRenderObject>(kKindMesh);
}

CPAnimatedObject* CPGameObject::GetAnimatedObject() const
{
    return GetComponentOfKind<CPAnimatedObject>(kKindAnimated);
}

CPLight* CPGameObject::GetLight() const
{
    return GetComponentOfKind<CPLight>(kKindLight);
}

CPSprite* CPGameObject::GetSprite() const
{
    return GetComponentOfKind<CPSprite>(kKindSprite);
}

CPParticleSystem* CPGameObject::GetParticleSystem() const
{
    return GetComponentOfKind<CPParticleSystem>(kKindParticleSystem);
}

void CPGameObject::CollectTree(ObjectList& objects)
{
    objects.push_back(RefPtr<CPGameObject>(this));
    for (RefPtr<CPGameObject>& child : m_children) {
        child->CollectTree(objects);
    }
}

void CPGameObject::Start(int priority)
{
    if (m_started) return;
    m_started = true;
    if (m_idleAnimation) AddTaskWithPriority(m_idleAnimation.Get(), priority);
    CPParticleSystem* particleSystem = GetParticleSystem();
    if (particleSystem && m_visible && !particleSystem->IsRunning()) {
        AddTaskWithPriority(particleSystem, priority);
    }
    for (RefPtr<CPGameObject>& child : m_children) {
        child->Start(priority);
    }
    if (m_scriptHandler) {
        AddTaskWithPriority(m_scriptHandler, priority);
        // The script keeps a handle to the object from now on.
        AddRef();
        SendToScriptHandler("add_object", GetIdentityText());
    }
}

void CPGameObject::Stop()
{
    if (!m_started) return;
    if (CPParticleSystem* particleSystem = GetParticleSystem()) particleSystem->Stop();
    m_started = false;
    if (m_idleAnimation) m_idleAnimation->Stop();
    for (RefPtr<CPGameObject>& child : m_children) {
        child->Stop();
    }
    SendToScriptHandler("delete_object", GetIdentityText());
}

void CPGameObject::CopyFrom(RefPtr<CPGameObject> source)
{
    // Copying onto itself would walk the parts, animations and children
    // while appending to them.
    if (source.Get() == this) return;
    CopyBoxesFrom(*source);
    m_kind = source->m_kind;
    m_description = source->m_description;
    CopyComponentFrom(*source);
    CopyPartsFrom(*source);
    CopyAnimationsFrom(*source);
    CopyChildrenFrom(*source);
    m_shadowMaterial = source->m_shadowMaterial;
    m_fireMaterial = source->m_fireMaterial;
    CopyPlacementFrom(*source);
    m_name = source->m_name;
    CopyFlagsFrom(*source);
    CopyPhysicDataFrom(*source);
    UpdateTransform();
}

void CPGameObject::CopyBoxesFrom(const CPGameObject& source)
{
    m_ownBox = source.m_ownBox;
    m_bounds = source.m_bounds;
}

// The copy gets a component of its own only where the source's kind names a
// component that is there; otherwise it has none, like the source.
void CPGameObject::CopyComponentFrom(const CPGameObject& source)
{
    RefPtr<IPObject> component;
    if (CPRenderObject* mesh = source.GetRenderObject()) {
        CPRenderObject* copy = new CPRenderObject(this);
        copy->CopyFrom(mesh);
        copy->SetOwner(this);
        component = copy;
    } else if (CPAnimatedObject* animated = source.GetAnimatedObject()) {
        RefPtr<CPAnimatedObject> copy;
        animated->Clone(copy);
        if (copy) copy->SetOwner(this);
        component = copy.Get();
    } else if (CPLight* light = source.GetLight()) {
        CPLight* copy = new CPLight();
        copy->SetOwner(this);
        *copy->GetLight() = *light->GetLight();
        component = copy;
    } else if (CPSprite* sprite = source.GetSprite()) {
        CPSprite* copy = new CPSprite(sprite->GetSize());
        copy->CopyFrom(*sprite);
        copy->SetOwner(this);
        component = copy;
    } else if (CPParticleSystem* particleSystem = source.GetParticleSystem()) {
        CPParticleSystem* copy = CloneParticleSystem(*particleSystem);
        if (copy) copy->SetOwner(this);
        component = copy;
    }
    m_component = component;
}

// New part boxes of the same size and the same place on the object (a box
// of a physics shape sits turned and moved); the rebuild puts them in the
// world.
void CPGameObject::CopyPartsFrom(const CPGameObject& source)
{
    for (const CPBoundingBox& part : source.m_parts) {
        CPBoundingBox copy(part.GetCentre(), part.GetHalfExtents());
        copy.SetOwnMatrix(part.GetOwnMatrix());
        m_parts.push_back(copy);
    }
}

void CPGameObject::CopyAnimationsFrom(const CPGameObject& source)
{
    for (const auto& named : source.m_animations) {
        RefPtr<CPPartAnimation> copy;
        if (named.second) {
            copy = new CPPartAnimation();
            copy->CopyFrom(named.second);
            copy->SetTarget(this);
        }
        SetNamedAnimation(named.first, copy);
    }
}

void CPGameObject::CopyChildrenFrom(const CPGameObject& source)
{
    for (const RefPtr<CPGameObject>& sourceChild : source.m_children) {
        CPGameObject* child = new CPGameObject(sourceChild->m_name);
        child->CopyFrom(sourceChild);
        AddChild(child);
    }
}

void CPGameObject::CopyPlacementFrom(const CPGameObject& source)
{
    m_flameType = source.m_flameType;
    m_position = source.m_position;
    m_rotation = source.m_rotation;
    m_parentMatrix = source.m_parentMatrix;
    m_animationMatrix = source.m_animationMatrix;
    m_localMatrix = source.m_localMatrix;
    m_worldMatrix = source.m_worldMatrix;
    MarkMoved();
}

void CPGameObject::CopyFlagsFrom(const CPGameObject& source)
{
    m_visible = source.m_visible;
    m_sharedGeometry = source.m_sharedGeometry;
    m_shadowFlag = source.m_shadowFlag;
    m_scriptHandler = source.m_scriptHandler;
}

void CPGameObject::CopyPhysicDataFrom(const CPGameObject& source)
{
    if (!source.m_physicData) return;
    CPPhysicData* physicData = new CPPhysicData(this);
    physicData->CopyDescriptionFrom(*source.m_physicData);
    m_physicData = physicData;
}

void CPGameObject::OnAnimationEnd()
{
    SendToScriptHandler("animation_end", GetIdentityText());
}

void CPGameObject::AddChild(RefPtr<CPGameObject> child)
{
    if (!child || IsSelfOrAncestor(child.Get())) return;
    child->RemoveFromParent();
    child->m_parent = this;
    m_children.push_back(child);
    m_childrenByName[child->m_name] = child;
}

bool CPGameObject::IsSelfOrAncestor(const CPGameObject* object) const
{
    for (const CPGameObject* ancestor = this; ancestor; ancestor = ancestor->m_parent) {
        if (ancestor == object) return true;
    }
    return false;
}

RefPtr<CPGameObject> CPGameObject::FindChild(const std::string& name)
{
    RefPtr<CPGameObject> found = GetChildByName(name);
    for (size_t i = 0; !found && i < m_children.size(); ++i) {
        found = m_children[i]->FindChild(name);
    }
    return found;
}

RefPtr<CPGameObject> CPGameObject::GetChildByName(const std::string& name)
{
    auto named = m_childrenByName.find(name);
    if (named == m_childrenByName.end()) return RefPtr<CPGameObject>();
    return named->second;
}

RefPtr<CPGameObject> CPGameObject::GetParent()
{
    return RefPtr<CPGameObject>(m_parent);
}

RefPtr<CPGameObject> CPGameObject::FindScriptedAncestor()
{
    CPGameObject* object = this;
    while (!object->m_scriptHandler && object->m_parent) {
        object = object->m_parent;
    }
    return RefPtr<CPGameObject>(object);
}

void CPGameObject::AddLevelOfDetail(RefPtr<CPGameObject> object, int level)
{
    m_levelsOfDetail.push_back(LevelOfDetail{object, level});
}

void CPGameObject::MarkMoved()
{
    MarkParentMoved();
    m_localDirty = true;
}

void CPGameObject::MarkParentMoved()
{
    m_transformChanged = false;
    m_dirty = true;
}

void CPGameObject::SetPosition(float x, float y, float z)
{
    if (!AllFinite({x, y, z})) return;
    VisitOtherLevelsOfDetail([=](CPGameObject& object) { object.SetPosition(x, y, z); });
    m_position = D3DXVECTOR3(x, y, z);
    MarkMoved();
    if (m_physicData) m_physicData->SetPosition(x, y, z);
}

void CPGameObject::SetRotation(float x, float y, float z, float w)
{
    if (!AllFinite({x, y, z, w})) return;
    VisitOtherLevelsOfDetail([=](CPGameObject& object) { object.SetRotation(x, y, z, w); });
    m_rotation = D3DXQUATERNION(x, y, z, w);
    MarkMoved();
    if (m_physicData) m_physicData->SetRotation(x, y, z, w);
}

void CPGameObject::UpdateTransform()
{
    if (!m_dirty) return;
    VisitOtherLevelsOfDetail([](CPGameObject& object) { object.UpdateTransform(); });

    if (m_localDirty) RebuildLocalMatrix();
    D3DXMatrixMultiply(&m_worldMatrix, &m_localMatrix, &m_parentMatrix);

    RebuildOwnBoxes();
    for (RefPtr<CPGameObject>& child : m_children) {
        RebuildChild(*child);
    }
    if (m_shadowFlag) m_bounds.WidenForShadow();
    m_bounds.Recompute();

    m_transformChanged = true;
    m_dirty = false;
}

void CPGameObject::RebuildLocalMatrix()
{
    D3DXMATRIX rotation, translation;
    D3DXMatrixRotationQuaternion(&rotation, &m_rotation);
    D3DXMatrixTranslation(&translation, m_position.x, m_position.y, m_position.z);
    D3DXMatrixMultiply(&m_localMatrix, &m_animationMatrix, &rotation);
    D3DXMatrixMultiply(&m_localMatrix, &m_localMatrix, &translation);
    m_localDirty = false;
}

void CPGameObject::SetBaseTransform(const D3DXMATRIX& matrix)
{
    for (int row = 0; row < 4; ++row) {
        if (!AllFinite({matrix(row, 0), matrix(row, 1), matrix(row, 2), matrix(row, 3)})) return;
    }
    m_parentMatrix = matrix;
    MarkParentMoved();
    UpdateTransform();
}

void CPGameObject::SetAnimationMatrix(const D3DXMATRIX& matrix)
{
    m_animationMatrix = matrix;
    MarkMoved();
}

void CPGameObject::RebuildOwnBoxes()
{
    for (CPBoundingBox& part : m_parts) {
        part.PlaceInWorld(m_worldMatrix);
        part.Update();
    }
    m_ownBox.PlaceInWorld(m_worldMatrix);
    m_ownBox.Update();
    m_bounds.FromBox(m_ownBox);
    m_partBounds.FromParts(m_parts);
}

void CPGameObject::RebuildChild(CPGameObject& child)
{
    child.m_parentMatrix = m_worldMatrix;
    child.MarkParentMoved();
    child.UpdateTransform();
    m_partBounds.Merge(child.m_partBounds);
    m_bounds.Merge(child.m_bounds);
}

void CPGameObject::SetBoundingBox(const CPBoundingBox& box)
{
    m_ownBox = box;
    m_bounds.FromBox(m_ownBox);
}

bool CPGameObject::IntersectRay(RayQuery& query)
{
    if (!m_collision || this == query.excluded) return false;
    if (!m_partBounds.IntersectSegment(query.origin, query.direction, query.distance)) return false;
    bool hit = IntersectParts(query);
    for (RefPtr<CPGameObject>& child : m_children) {
        if (child->IntersectRay(query)) hit = true;
    }
    return hit;
}

bool CPGameObject::IntersectParts(RayQuery& query)
{
    bool hit = false;
    for (const CPBoundingBox& part : m_parts) {
        if (part.IntersectRay(query.origin, query.direction, query.distance, query.hitPlane)) hit = true;
    }
    if (hit) {
        query.hitObject = this;
        query.scriptedAncestor = FindScriptedAncestor();
    }
    return hit;
}

void CPGameObject::SetComponent(int kind, RefPtr<IPObject> component)
{
    m_kind = kind;
    m_component = component;
}

void CPGameObject::SetPhysicData(RefPtr<CPPhysicData> physicData)
{
    m_physicData = physicData;
}

void CPGameObject::SetCar(RefPtr<CPCar> car)
{
    m_car = car;
}

RefPtr<CPCar> CPGameObject::GetCar()
{
    return m_car;
}

RefPtr<CommandReceiver> CPGameObject::GetScriptHandler()
{
    return RefPtr<CommandReceiver>(m_scriptHandler);
}

void CPGameObject::SetNamedAnimation(const std::string& name, RefPtr<CPPartAnimation> animation)
{
    m_hasAnimations = true;
    m_sharedGeometry = false;
    RefPtr<CPPartAnimation>& stored = m_animations[name];
    if (stored.Get() != animation.Get()) ReleaseAnimation(stored.Get());
    stored = animation;
    if (name == kIdleAnimationName) {
        m_idleAnimation = animation;
        if (animation) animation->SetLooping(true);
    }
}

// An animation this object no longer holds may still run as a task and
// reach its end later; it must not call into the object then.
void CPGameObject::ReleaseAnimation(CPPartAnimation* animation)
{
    if (animation && animation->GetTarget() == this) animation->SetTarget(nullptr);
}

CPPartAnimation* CPGameObject::GetNamedAnimation(const std::string& name) const
{
    auto named = m_animations.find(name);
    return named == m_animations.end() ? nullptr : named->second.Get();
}

void CPGameObject::PlayAnimation(const AnimationRequest& request, bool restart)
{
    if (CPAnimatedObject* animated = GetAnimatedObject()) animated->PlayAnimation(request, restart);
    for (RefPtr<CPGameObject>& child : m_children) {
        child->PlayAnimation(request, restart);
    }
}

void CPGameObject::Damage(const D3DXVECTOR3* point, const D3DXVECTOR3* direction, float amount,
                          IPObject* source, bool quiet)
{
    if (!quiet) {
        char text[64];
        std::snprintf(text, sizeof(text), "%.2f", amount);
        SendToScriptHandler("damage", text);
    }
    if (m_enemy) m_enemy->OnDamage(point, direction, amount * g_damageFactor, source, quiet);
}

void CPGameObject::AttachFlame(float flag)
{
    if (m_flameType >= 0) {
        StartFlame();
        m_flameType = kNoFlame;
    }
    for (RefPtr<CPGameObject>& child : m_children) {
        child->AttachFlame(flag);
    }
}

void CPGameObject::StartFlame()
{
    CPParticleSystem* definition =
        g_pParticleManager ? g_pParticleManager->GetSystemDefinition(m_flameType) : nullptr;
    if (!definition) return;
    CPParticleSystem* flame = CloneParticleSystem(*definition);
    if (!flame) return;
    AddTaskWithPriority(flame, kFlamePriority);

    // The burning object is a new child that carries the running flame;
    // moving the object onto its own position rebuilds the tree with it.
    CPGameObject* burning = new CPGameObject(kFlameObjectName);
    burning->SetComponent(kKindParticleSystem, RefPtr<IPObject>(flame));
    flame->SetOwner(burning);
    AddChild(RefPtr<CPGameObject>(burning));
    SetPosition(m_position.x, m_position.y, m_position.z);
    UpdateTransform();
}

void CPGameObject::ApplyAlternateMaterial()
{
    if (m_fireMaterial) {
        if (CPRenderObject* mesh = GetRenderObject()) mesh->SetMaterial(m_fireMaterial);
        if (CPAnimatedObject* animated = GetAnimatedObject()) animated->SetMaterial(m_fireMaterial);
    }
    for (RefPtr<CPGameObject>& child : m_children) {
        child->ApplyAlternateMaterial();
    }
}

void CPGameObject::SetShadowMaterial(RefPtr<CPMaterial> material)
{
    m_shadowMaterial = material;
}

void CPGameObject::SetFireMaterial(RefPtr<CPMaterial> material)
{
    m_fireMaterial = material;
}

void CPGameObject::OnEnemyAnimationEnd()
{
    if (m_enemy) m_enemy->OnAnimationEnd();
}

void CPGameObject::OnEnemyAnimationEvent()
{
    if (m_enemy) m_enemy->OnAnimationEvent();
}

bool CPGameObject::LoadDescription()
{
    return LoadXmlDataFile(m_description, kDescriptionFolder + m_descriptionName);
}

void SetObjectShadowFlag(CPGameObject* object, bool flag)
{
    object->m_shadowFlag = flag;
    for (RefPtr<CPGameObject>& child : object->m_children) {
        SetObjectShadowFlag(child.Get(), flag);
    }
    object->VisitOtherLevelsOfDetail([=](CPGameObject& other) { SetObjectShadowFlag(&other, flag); });
}

void SetObjectTreeFlag(CPGameObject* object, bool flag)
{
    object->m_sharedGeometry = flag;
    object->VisitOtherLevelsOfDetail([=](CPGameObject& other) { SetObjectTreeFlag(&other, flag); });
}
