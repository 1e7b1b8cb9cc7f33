#include "core/tests/GameObjectTestSupport.h"

#include "Render/PLight.h"
#include "Render/PSprite.h"

#include <cstring>

namespace {

using namespace gameobject_test;

// The copy is a local object like the sources; whatever the copy makes of
// its own (components, children, animations, physics data) lives on, as
// the engine's owners destroy such objects explicitly.
class GameObjectCopyTest : public GameObjectTest {
protected:
    CPMaterial* MakeMaterial(int type)
    {
        return Own<CPMaterial>(type, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>());
    }

    CPGameObject copy{"parent"};
};

TEST_F(GameObjectCopyTest, MeshCopyHasItsOwnRenderObjectAndSharesTheMaterials)
{
    CPMaterial* material = MakeMaterial(1);
    CPMaterial* shadow = MakeMaterial(2);
    CPMaterial* fire = MakeMaterial(3);
    CPRenderObject* mesh = Own<CPRenderObject>(&parent);
    mesh->SetMaterial(material);
    mesh->GetLocalVertices().resize(3);
    mesh->GetIndices() = {0, 1, 2};
    parent.SetComponent(CPGameObject::kKindMesh, mesh);
    parent.SetShadowMaterial(shadow);
    parent.SetFireMaterial(fire);
    parent.SetPosition(1, 2, 3);

    copy.CopyFrom(&parent);
    CPRenderObject* copied = dynamic_cast<CPRenderObject*>(copy.GetComponent());
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, mesh);
    EXPECT_EQ(copy.GetKind(), CPGameObject::kKindMesh);
    EXPECT_EQ(copied->GetOwner(), &copy);
    EXPECT_EQ(copied->GetVertexCount(), 3);
    EXPECT_EQ(copied->GetIndices(), mesh->GetIndices());
    EXPECT_EQ(mesh->GetOwner(), &parent);
    RefPtr<CPMaterial> shared;
    copied->GetMaterial(shared);
    EXPECT_EQ(shared.Get(), material);
    ExpectVector(WorldPosition(copy), 1, 2, 3);

    // The fire material reaches the copy's own mesh, not the source's.
    copy.ApplyAlternateMaterial();
    copied->GetMaterial(shared);
    EXPECT_EQ(shared.Get(), fire);
    mesh->GetMaterial(shared);
    EXPECT_EQ(shared.Get(), material);
}

TEST_F(GameObjectCopyTest, AnimatedCopySharesTheAnimationsAndClonesTheVertexEffects)
{
    CPAnimation* walk = Own<CPAnimation>("walk&man.p3d");
    AnimatedObject* animated = Own<AnimatedObject>();
    animated->SetOwner(&parent);
    animated->AddAnimation("walk", walk);
    animated->AddVertexEffect(std::make_unique<CPFadeEffect>(1.0f));
    AnimationRequest request;
    request.name = "walk";
    request.speed = 2.0f;
    request.passLimit = 3;
    request.reportFrame = 4;
    request.notify = &receiver;
    parent.SetComponent(CPGameObject::kKindAnimated, animated);
    parent.PlayAnimation(request, true);

    copy.CopyFrom(&parent);
    ASSERT_EQ(animated->clones.size(), 1u);
    AnimatedObject* copied = animated->clones[0].get();
    EXPECT_EQ(copy.GetComponent(), copied);
    EXPECT_EQ(copied->GetOwner(), &copy);
    EXPECT_EQ(copied->GetCurrentName(), "walk");
    EXPECT_EQ(copied->GetCurrentAnimation(), walk);
    EXPECT_EQ(copied->GetNotify(), &receiver);
    EXPECT_FLOAT_EQ(copied->GetSpeed(), 2.0f);
    EXPECT_EQ(copied->GetPassLimit(), 3);
    EXPECT_EQ(copied->GetReportFrame(), 4);
    EXPECT_TRUE(copied->AreVertexEffectsOn());
    ASSERT_EQ(copied->GetVertexEffects().size(), 1u);
    EXPECT_NE(copied->GetVertexEffects()[0].get(), animated->GetVertexEffects()[0].get());

    // The copy plays from the shared animations on its own.
    request.speed = 4.0f;
    copy.PlayAnimation(request, true);
    EXPECT_FLOAT_EQ(copied->GetSpeed(), 4.0f);
    EXPECT_FLOAT_EQ(animated->GetSpeed(), 2.0f);
}

TEST_F(GameObjectCopyTest, LightCopyTakesTheSourceRecordAndThenFollowsTheCopy)
{
    CPLight* light = Own<CPLight>();
    light->SetOwner(&parent);
    light->GetLight()->Type = D3DLIGHT_POINT;
    light->GetLight()->Range = 25.0f;
    light->GetLight()->Direction = D3DXVECTOR3(0, 0, -1);
    parent.SetComponent(CPGameObject::kKindLight, light);
    parent.SetPosition(10, 0, 2);
    parent.UpdateTransform();

    copy.CopyFrom(&parent);
    CPLight* copied = dynamic_cast<CPLight*>(copy.GetComponent());
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, light);
    EXPECT_EQ(copied->GetOwner(), &copy);
    EXPECT_EQ(std::memcmp(copied->GetLight(), light->GetLight(), sizeof(D3DLIGHT9)), 0);

    copy.SetPosition(-4, 5, 6);
    copy.UpdateTransform();
    ExpectVector(D3DXVECTOR3(copied->GetLight()->Position), -4, 5, 6);
    ExpectVector(D3DXVECTOR3(light->GetLight()->Position), 10, 0, 2);
    EXPECT_FLOAT_EQ(copied->GetLight()->Range, 25.0f);
}

TEST_F(GameObjectCopyTest, ParticleCopyHasItsOwnSystemAndLeavesTheSourceAlone)
{
    ParticleSystem* particles = Own<ParticleSystem>();
    particles->SetOwner(&parent);
    parent.SetComponent(CPGameObject::kKindParticleSystem, particles);

    copy.CopyFrom(&parent);
    ASSERT_EQ(particles->clones.size(), 1u);
    ParticleSystem* copied = particles->clones[0].get();
    EXPECT_EQ(copy.GetComponent(), copied);
    EXPECT_EQ(copied->GetOwner(), &copy);
    EXPECT_EQ(particles->GetOwner(), &parent);
    EXPECT_EQ(parent.GetComponent(), particles);

    // Starting the copy runs its own system only.
    copy.Start(200);
    EXPECT_EQ(ListedTasks(), std::vector<IPProcess*>{copied});
    EXPECT_FALSE(particles->IsRunning());
}

TEST_F(GameObjectCopyTest, SpriteCopyHasItsOwnSpriteWithClonedEffectsAndTheSharedMaterial)
{
    CPMaterial* material = MakeMaterial(4);
    CPSprite* sprite = Own<CPSprite>(2.5f);
    sprite->SetOwner(&parent);
    sprite->SetMaterial(material);
    sprite->SetRoll(0.75f);
    sprite->SetFacing(D3DXVECTOR3(0, 1, 0), 0.5f);
    sprite->AddVertexEffect(std::make_unique<CPFadeEffect>(1.0f));
    parent.SetComponent(CPGameObject::kKindSprite, sprite);

    copy.CopyFrom(&parent);
    CPSprite* copied = dynamic_cast<CPSprite*>(copy.GetComponent());
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, sprite);
    EXPECT_EQ(copied->GetOwner(), &copy);
    EXPECT_EQ(sprite->GetOwner(), &parent);
    EXPECT_FLOAT_EQ(copied->GetSize(), 2.5f);
    EXPECT_FLOAT_EQ(copied->GetRoll(), 0.75f);
    EXPECT_EQ(copied->GetFacing(), D3DXVECTOR3(0, 1, 0));
    EXPECT_FLOAT_EQ(copied->GetAngleLimit(), 0.5f);
    RefPtr<CPMaterial> shared;
    copied->GetMaterial(shared);
    EXPECT_EQ(shared.Get(), material);
    EXPECT_TRUE(copied->HasVertexEffects());
    ASSERT_EQ(copied->GetVertexEffects().size(), 1u);
    EXPECT_NE(copied->GetVertexEffects()[0].get(), sprite->GetVertexEffects()[0].get());
    EXPECT_NE(dynamic_cast<CPFadeEffect*>(copied->GetVertexEffects()[0].get()), nullptr);
}

TEST_F(GameObjectCopyTest, KindWithoutItsComponentGivesACopyWithThatKindAndNoComponent)
{
    // A new object is a mesh without its mesh; kinds above 4 have none; and
    // a component that is not of the kind's class counts as missing.
    AnimatedObject* wrongClass = Own<AnimatedObject>();
    const struct {
        int kind;
        IPObject* component;
    } cases[] = {
        {CPGameObject::kKindMesh, nullptr},     {CPGameObject::kKindAnimated, nullptr},
        {CPGameObject::kKindLight, nullptr},    {CPGameObject::kKindSprite, nullptr},
        {CPGameObject::kKindParticleSystem, nullptr}, {CPGameObject::kKindGroup, nullptr},
        {7, nullptr},                           {CPGameObject::kKindMesh, wrongClass},
        {CPGameObject::kKindLight, wrongClass},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.kind);
        CPGameObject source("empty");
        source.SetComponent(row.kind, row.component);
        CPGameObject target("empty");
        target.CopyFrom(&source);
        EXPECT_EQ(target.GetKind(), row.kind);
        EXPECT_EQ(target.GetComponent(), nullptr);
        target.Start(1);
        target.Stop();
    }
    EXPECT_TRUE(wrongClass->clones.empty());
}

TEST_F(GameObjectCopyTest, TreeOfThreeLevelsBecomesATreeOfNewObjects)
{
    CPGameObject grandchild("grandchild"), sibling("sibling");
    child.AddChild(&grandchild);
    parent.AddChild(&sibling);
    child.SetPosition(0, 0, 4);
    grandchild.SetPosition(1, 0, 0);
    AddUnitPart(grandchild);
    grandchild.SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(2, 2, 2)));
    parent.SetPosition(10, 0, 0);
    parent.UpdateTransform();

    copy.CopyFrom(&parent);
    ASSERT_EQ(copy.GetChildren().size(), 2u);
    RefPtr<CPGameObject> copiedChild = copy.GetChildByName("child");
    RefPtr<CPGameObject> copiedSibling = copy.GetChildByName("sibling");
    ASSERT_TRUE(copiedChild);
    ASSERT_TRUE(copiedSibling);
    EXPECT_EQ(copy.GetChildren()[0].Get(), copiedChild.Get());
    EXPECT_EQ(copy.GetChildren()[1].Get(), copiedSibling.Get());
    EXPECT_NE(copiedChild.Get(), &child);
    EXPECT_EQ(copiedChild->GetParent().Get(), &copy);
    RefPtr<CPGameObject> copiedGrandchild = copiedChild->GetChildByName("grandchild");
    ASSERT_TRUE(copiedGrandchild);
    EXPECT_NE(copiedGrandchild.Get(), &grandchild);
    EXPECT_EQ(copiedGrandchild->GetParent().Get(), copiedChild.Get());

    // New part boxes of the same size, placed where the source's are.
    ASSERT_EQ(copiedGrandchild->GetParts().size(), 1u);
    EXPECT_NE(&copiedGrandchild->GetParts()[0], &grandchild.GetParts()[0]);
    ExpectVector(WorldPosition(*copiedGrandchild), 11, 0, 4);
    ExpectVector(copy.GetPartBounds().minimum, 10, -1, 3);
    ExpectVector(copy.GetPartBounds().maximum, 12, 1, 5);
    ExpectVector(copy.GetBounds().maximum, parent.GetBounds().maximum.x, parent.GetBounds().maximum.y,
                 parent.GetBounds().maximum.z);

    // Moving the copy leaves the source's tree where it was.
    copy.SetPosition(0, 0, 0);
    copy.UpdateTransform();
    ExpectVector(WorldPosition(*copiedGrandchild), 1, 0, 4);
    ExpectVector(WorldPosition(grandchild), 11, 0, 4);
}

TEST_F(GameObjectCopyTest, AnimationsAreNewTracksOfTheCopyAndIdleStillLoops)
{
    PartAnimation* idle = Own<PartAnimation>();
    PartAnimation* open = Own<PartAnimation>();
    D3DXMATRIX key;
    D3DXMatrixTranslation(&key, 1, 2, 3);
    idle->SetKeys({key, key, key}, {0.5f, 0.5f, 0.5f});
    parent.SetNamedAnimation("idle", idle);
    parent.SetNamedAnimation("open", open);

    copy.CopyFrom(&parent);
    CPPartAnimation* copiedIdle = copy.GetIdleAnimation();
    CPPartAnimation* copiedOpen = copy.GetNamedAnimation("open");
    ASSERT_NE(copiedIdle, nullptr);
    ASSERT_NE(copiedOpen, nullptr);
    EXPECT_NE(copiedIdle, idle);
    EXPECT_NE(copiedOpen, open);
    EXPECT_TRUE(copiedIdle->IsLooping());
    EXPECT_FALSE(copiedOpen->IsLooping());
    EXPECT_EQ(copiedIdle->GetTarget(), &copy);
    EXPECT_EQ(copiedIdle->GetKeyMatrices(), idle->GetKeyMatrices());
    EXPECT_EQ(copiedIdle->GetKeyTimes(), idle->GetKeyTimes());
    EXPECT_TRUE(copy.HasAnimations());
    EXPECT_FALSE(copy.GetSharedGeometry());

    copy.Start(50);
    EXPECT_EQ(ListedTasks(), std::vector<IPProcess*>{copiedIdle});
}

TEST_F(GameObjectCopyTest, CopySharesTheScriptHandlerWhichStartsOnlyOnce)
{
    parent.SetScriptHandler(&receiver);
    parent.Start(10);
    receiver.TakeCommands();

    copy.CopyFrom(&parent);
    EXPECT_EQ(copy.GetScriptHandler().Get(), &receiver);
    EXPECT_FALSE(copy.IsStarted());
    copy.Start(20);
    EXPECT_EQ(ListedTasks(), std::vector<IPProcess*>{&receiver});
    EXPECT_EQ(receiver.TakeCommands(), std::vector<std::string>{"add_object:" + Identity(copy)});
}

TEST_F(GameObjectCopyTest, PlacementFlagsAndDescriptionAreCopiedButNotTheLoaderData)
{
    parent.SetPosition(1, 2, 3);
    parent.SetRotation(0, 0, 1, 0);
    parent.SetFlameType(4);
    parent.SetVisible(false);
    SetObjectShadowFlag(&parent, false);
    parent.SetParameter("heavy");
    parent.SetDescriptionName("crate.xml");
    parent.GetLineKeyPoints().push_back(D3DXVECTOR3(1, 1, 1));
    parent.GetDescriptionDocument().Parse("<crate weight=\"5\"/>");
    parent.UpdateTransform();
    CPGameObject target("other");
    target.SetParameter("light");

    target.CopyFrom(&parent);
    EXPECT_EQ(target.GetName(), "parent");
    EXPECT_STREQ(target.GetTypeName(), "CPGameObject - parent");
    EXPECT_EQ(*target.GetPositionRef(), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(*target.GetRotationRef(), D3DXQUATERNION(0, 0, 1, 0));
    EXPECT_EQ(target.GetWorldMatrix(), parent.GetWorldMatrix());
    EXPECT_EQ(target.GetFlameType(), 4);
    EXPECT_FALSE(target.IsVisible());
    EXPECT_FALSE(target.GetShadowFlag());
    EXPECT_FALSE(target.IsDirty());
    EXPECT_TRUE(target.IsTransformChanged());
    EXPECT_EQ(target.GetParameter(), "light");
    EXPECT_TRUE(target.GetLineKeyPoints().empty());

    // The description is a copy of the whole tree, not shared.
    parent.GetDescriptionDocument().RootElement()->SetAttribute("weight", "9");
    TiXmlElement* root = target.GetDescriptionDocument().RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Attribute("weight"), "5");
}

TEST_F(GameObjectCopyTest, PhysicsDataIsNewWithTheBodyParametersAndShapes)
{
    CPSimulator simulator(SimulatorSizeInfo(), nullptr, D3DXVECTOR3(0, 0, 0));
    CPRigidBody& body = *simulator.CreateRigidBody();
    CPPhysicData* physics = Own<CPPhysicData>(&parent);
    physics->SetRigidBody(&body);
    physics->SetParticle(true);
    physics->SetBodyParams(1, 2, 3, 4);
    const float position[3] = {1, 2, 3};
    const float orientation[4] = {0, 0, 0, 1};
    physics->AddBox(position, orientation, 4, 5, 6, 7);
    physics->AddShapeType1(position, orientation, 8, 9, 10);
    physics->GetShapes()[1].geometry = body.AddGeometry();
    parent.SetPhysicData(physics);

    copy.CopyFrom(&parent);
    CPPhysicData* copied = copy.GetPhysicData();
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, physics);
    EXPECT_EQ(copied->GetOwner(), &copy);
    EXPECT_EQ(copied->GetBodyParams().sizeB, 2.0f);
    EXPECT_EQ(copied->GetMass(), physics->GetMass());
    EXPECT_TRUE(copied->GetBodyParams().isParticle);
    ASSERT_EQ(copied->GetShapes().size(), 2u);
    EXPECT_EQ(copied->GetShapes()[1].size4, 8.0f);
    EXPECT_EQ(copied->GetShapes()[1].mass, physics->GetShapes()[1].mass);
    // The copy's shapes wait for geometries of their own.
    EXPECT_EQ(copied->GetShapes()[1].geometry, nullptr);
    EXPECT_EQ(copied->GetRigidBody(), nullptr);

    // The copy has no body yet: moving it leaves the source's body alone.
    copy.SetPosition(7, 7, 7);
    EXPECT_EQ(body.GetPosition(), D3DXVECTOR3(0, 0, 0));

    CPGameObject target("child");
    target.CopyFrom(&child);
    EXPECT_EQ(target.GetPhysicData(), nullptr);
}

TEST_F(GameObjectCopyTest, CopyingAnObjectOntoItselfChangesNothing)
{
    AddUnitPart(parent);
    parent.SetNamedAnimation("idle", Own<PartAnimation>());
    CPPartAnimation* idle = parent.GetIdleAnimation();

    parent.CopyFrom(&parent);
    EXPECT_EQ(parent.GetParts().size(), 1u);
    EXPECT_EQ(parent.GetIdleAnimation(), idle);
    ASSERT_EQ(parent.GetChildren().size(), 1u);
    EXPECT_EQ(parent.GetChildren()[0].Get(), &child);
}

} // namespace
