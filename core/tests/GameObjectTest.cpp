#include "core/tests/GameObjectTestSupport.h"

#include "core/PackArchiveFile.h"

#include <windows.h>

#include <cstdio>
#include <limits>
#include <string>

namespace {

using namespace gameobject_test;

TEST_F(GameObjectTest, NewObjectStartsWithItsInitialValues)
{
    CPGameObject object("crate");
    EXPECT_STREQ(object.GetTypeName(), "CPGameObject - crate");
    EXPECT_EQ(object.GetKind(), CPGameObject::kKindMesh);
    EXPECT_EQ(object.GetComponent(), nullptr);
    EXPECT_EQ(object.GetFlameType(), -1);
    EXPECT_TRUE(object.IsDirty());
    EXPECT_TRUE(object.IsTransformChanged());
    EXPECT_TRUE(object.IsVisible());
    EXPECT_TRUE(object.GetCollision());
    EXPECT_TRUE(object.GetShadowFlag());
    EXPECT_TRUE(object.GetSharedGeometry());
    EXPECT_EQ(object.GetLineColour(), 0xff4e4e4eu);
    EXPECT_EQ(*object.GetRotationRef(), D3DXQUATERNION(0, 0, 0, 1));
}

TEST_F(GameObjectTest, ChildWorldIsLocalTimesParentWithRowVectors)
{
    // A quarter turn about z at (10, 0, 0): the parent's translation is not
    // turned, the child's offset is.
    const D3DXVECTOR3 up(0, 0, 1);
    D3DXQUATERNION quarter;
    D3DXQuaternionRotationAxis(&quarter, &up, D3DX_PI / 2);
    parent.SetRotation(quarter.x, quarter.y, quarter.z, quarter.w);
    parent.SetPosition(10, 0, 0);
    child.SetPosition(1, 0, 0);
    parent.UpdateTransform();

    ExpectVector(WorldPosition(parent), 10, 0, 0);
    ExpectVector(WorldPosition(child), 10, 1, 0);
    EXPECT_EQ(child.GetParent().Get(), &parent);
}

TEST_F(GameObjectTest, MovingMarksOnlyTheObjectAndTheRebuildPushesDownToEveryChild)
{
    CPGameObject& left = child;
    CPGameObject right("right");
    parent.AddChild(&right);
    left.SetPosition(-1, 0, 0);
    right.SetPosition(1, 0, 0);
    parent.UpdateTransform();
    EXPECT_FALSE(left.IsDirty());

    parent.SetPosition(0, 0, 5);
    EXPECT_TRUE(parent.IsDirty());
    EXPECT_FALSE(parent.IsTransformChanged());
    EXPECT_FALSE(left.IsDirty());
    EXPECT_FALSE(right.IsDirty());
    left.ClearTransformChanged();

    parent.UpdateTransform();
    EXPECT_FALSE(parent.IsDirty());
    EXPECT_TRUE(parent.IsTransformChanged());
    EXPECT_TRUE(left.IsTransformChanged());
    ExpectVector(WorldPosition(left), -1, 0, 5);
    ExpectVector(WorldPosition(right), 1, 0, 5);

    // A clean object does not rebuild, even when a child moved.
    left.SetPosition(-2, 0, 0);
    parent.UpdateTransform();
    ExpectVector(WorldPosition(left), -1, 0, 5);

    // The parent's next rebuild finds the child's own move as well as its
    // own; a child that did not move keeps its place under the parent.
    D3DXMATRIX doubled;
    D3DXMatrixScaling(&doubled, 2, 2, 2);
    right.SetAnimationMatrix(doubled);
    parent.SetPosition(0, 0, 6);
    parent.UpdateTransform();
    ExpectVector(WorldPosition(left), -2, 0, 6);
    ExpectVector(WorldPosition(right), 1, 0, 6);
    EXPECT_NEAR(right.GetWorldMatrix()._11, 2, 1e-6f);
    parent.SetBaseTransform(doubled);
    ExpectVector(WorldPosition(left), -4, 0, 12);
}

TEST_F(GameObjectTest, BoundsEncloseTheSubtreeAndOnlyTheBoundsTakeTheShadow)
{
    AddUnitPart(child);
    child.SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1)));
    child.SetPosition(5, 0, 2);
    SetObjectShadowFlag(&child, false);

    // Light along the x axis onto the plane x = -10.
    const D3DXMATRIX saved = g_shadowMatrix;
    const D3DXVECTOR4 light(1, 0, 0, 0);
    const D3DXPLANE wall(1, 0, 0, 10);
    D3DXMatrixShadow(&g_shadowMatrix, &light, &wall);
    parent.UpdateTransform();
    g_shadowMatrix = saved;

    ExpectVector(parent.GetPartBounds().minimum, 4, -1, 1);
    ExpectVector(parent.GetPartBounds().maximum, 6, 1, 3);
    ExpectVector(child.GetBounds().minimum, 4, -1, 1);
    // The parent's own box is a speck at the origin; merged with the child's
    // bounds and widened, the bounds reach the shadow on the wall.
    ExpectVector(parent.GetBounds().minimum, -10, -1, -0.001f);
    ExpectVector(parent.GetBounds().maximum, 6, 1, 3);
    ExpectVector(parent.GetBounds().centre, -2, 0, 1.4995f);
}

TEST_F(GameObjectTest, StartAddsTasksInOrderWithThePriorityAndAnnouncesTheObject)
{
    PartAnimation* parentIdle = Own<PartAnimation>();
    PartAnimation* childIdle = Own<PartAnimation>();
    parent.SetNamedAnimation("idle", parentIdle);
    child.SetNamedAnimation("idle", childIdle);
    ParticleSystem* particles = Own<ParticleSystem>();
    parent.SetComponent(CPGameObject::kKindParticleSystem, particles);
    Receiver* childHandler = Own<Receiver>();
    child.SetScriptHandler(childHandler);
    parent.SetScriptHandler(&receiver);

    parent.Start(200);
    const std::vector<IPProcess*> expected = {parentIdle, particles, childIdle, childHandler, &receiver};
    EXPECT_EQ(ListedTasks(), expected);
    for (IPProcess* task : expected) EXPECT_EQ(task->GetPriority(), 200);
    EXPECT_TRUE(parent.IsStarted());
    EXPECT_TRUE(child.IsStarted());
    EXPECT_EQ(childHandler->TakeCommands(), std::vector<std::string>{"add_object:" + Identity(child)});
    EXPECT_EQ(receiver.TakeCommands(), std::vector<std::string>{"add_object:" + Identity(parent)});

    parent.Start(100);
    EXPECT_EQ(ListedTasks().size(), expected.size());
    EXPECT_TRUE(receiver.TakeCommands().empty());
}

TEST_F(GameObjectTest, StartSkipsAHiddenOrRunningParticleSystem)
{
    ParticleSystem* hiddenParticles = Own<ParticleSystem>();
    ParticleSystem* runningParticles = Own<ParticleSystem>();
    CPGameObject hidden("hidden");
    hidden.SetComponent(CPGameObject::kKindParticleSystem, hiddenParticles);
    hidden.SetVisible(false);
    CPGameObject running("running");
    running.SetComponent(CPGameObject::kKindParticleSystem, runningParticles);
    runningParticles->Start();

    hidden.Start(200);
    running.Start(200);
    EXPECT_TRUE(ListedTasks().empty());
    EXPECT_FALSE(hiddenParticles->IsRunning());
}

TEST_F(GameObjectTest, StopStopsWhatStartStartedButKeepsTheHandlerAndTheTaskList)
{
    PartAnimation* idle = Own<PartAnimation>();
    child.SetNamedAnimation("idle", idle);
    ParticleSystem* particles = Own<ParticleSystem>();
    parent.SetComponent(CPGameObject::kKindParticleSystem, particles);
    parent.SetScriptHandler(&receiver);
    receiver.Start();

    parent.Stop();
    EXPECT_TRUE(receiver.TakeCommands().empty());

    parent.Start(300);
    receiver.TakeCommands();
    parent.Stop();
    EXPECT_FALSE(parent.IsStarted());
    EXPECT_FALSE(child.IsStarted());
    EXPECT_TRUE(idle->IsStopped());
    EXPECT_TRUE(particles->IsStopped());
    EXPECT_TRUE(receiver.IsRunning());
    EXPECT_EQ(ListedTasks().size(), 2u);
    EXPECT_EQ(receiver.TakeCommands(), std::vector<std::string>{"delete_object:" + Identity(parent)});

    parent.Stop();
    EXPECT_TRUE(receiver.TakeCommands().empty());
}

TEST_F(GameObjectTest, ObjectWithoutHandlerStartsItsAnimationAndChildrenSilently)
{
    PartAnimation* idle = Own<PartAnimation>();
    parent.SetNamedAnimation("idle", idle);
    receiver.Start();
    parent.Start(5);
    parent.OnAnimationEnd();
    parent.Damage(nullptr, nullptr, 1.0f, nullptr, false);
    EXPECT_TRUE(idle->IsRunning());
    EXPECT_TRUE(child.IsStarted());
    EXPECT_TRUE(receiver.TakeCommands().empty());
}

TEST_F(GameObjectTest, AnimationEndAndDamageReachTheHandlerAndTheEnemy)
{
    CPGameObject object("enemy");
    object.SetScriptHandler(&receiver);
    receiver.Start();
    Enemy enemy;
    object.SetEnemy(&enemy);
    const D3DXVECTOR3 point(1, 2, 3), direction(0, 0, 1);

    object.OnAnimationEnd();
    object.Damage(&point, &direction, 2.5f, nullptr, false);
    object.Damage(&point, &direction, 1.0f, nullptr, true);
    g_damageFactor = 3.0f;
    object.Damage(&point, &direction, 0.126f, nullptr, false);
    g_damageFactor = 1.0f;
    object.OnEnemyAnimationEnd();
    object.OnEnemyAnimationEvent();

    const std::vector<std::string> commands = {"animation_end:" + Identity(object), "damage:2.50",
                                               "damage:0.13"};
    EXPECT_EQ(receiver.TakeCommands(), commands);
    const std::vector<std::string> calls = {"damage", "damage", "damage", "end", "event"};
    EXPECT_EQ(enemy.calls, calls);
    EXPECT_FLOAT_EQ(enemy.damage, 0.378f);
}

TEST_F(GameObjectTest, OnlyTheExactNameIdleMakesTheIdleAnimation)
{
    CPGameObject object("door");
    PartAnimation* capitalised = Own<PartAnimation>();
    PartAnimation* idle = Own<PartAnimation>();
    object.SetNamedAnimation("Idle", capitalised);
    EXPECT_TRUE(object.HasAnimations());
    EXPECT_FALSE(object.GetSharedGeometry());
    EXPECT_EQ(object.GetNamedAnimation("Idle"), capitalised);
    EXPECT_EQ(object.GetIdleAnimation(), nullptr);
    EXPECT_FALSE(capitalised->IsLooping());

    object.SetNamedAnimation("idle", idle);
    EXPECT_EQ(object.GetIdleAnimation(), idle);
    EXPECT_TRUE(idle->IsLooping());
}

// A tree of unit boxes along the x axis: the root at 0 with the handler, a
// middle object at 5 and its child at 10.
class RayQueryTest : public GameObjectTest {
protected:
    void SetUp() override
    {
        GameObjectTest::SetUp();
        root.SetScriptHandler(&receiver);
        middle.AddChild(&leaf);
        for (CPGameObject* object : {&root, &middle, &leaf}) AddUnitPart(*object);
        middle.SetPosition(5, 0, 0);
        leaf.SetPosition(5, 0, 0);
        root.UpdateTransform();
    }

    RayQuery RayFrom(float x, float dx)
    {
        RayQuery query;
        query.origin = D3DXVECTOR3(x, 0, 0);
        query.direction = D3DXVECTOR3(dx, 0, 0);
        query.distance = 100;
        return query;
    }

    CPGameObject& root = parent;
    CPGameObject& middle = child;
    CPGameObject leaf{"leaf"};
};

TEST_F(RayQueryTest, FindsTheNearestPartAndItsScriptedAncestor)
{
    RayQuery query = RayFrom(20, -1);
    EXPECT_TRUE(root.IntersectRay(query));
    EXPECT_EQ(query.hitObject.Get(), &leaf);
    EXPECT_EQ(query.scriptedAncestor.Get(), &root);
    EXPECT_FLOAT_EQ(query.distance, 9);
    EXPECT_EQ(query.hitPlane, leaf.GetParts()[0].GetPlane(1));

    // The nearest hit wins whatever order the tree is searched in.
    query = RayFrom(-20, 1);
    EXPECT_TRUE(root.IntersectRay(query));
    EXPECT_EQ(query.hitObject.Get(), &root);
    EXPECT_FLOAT_EQ(query.distance, 19);
}

TEST_F(RayQueryTest, ScriptedAncestorIsTheNearestWithAHandler)
{
    middle.SetScriptHandler(Own<Receiver>());
    RayQuery query = RayFrom(20, -1);
    root.IntersectRay(query);
    EXPECT_EQ(query.scriptedAncestor.Get(), &middle);

    CPGameObject orphan("orphan");
    EXPECT_EQ(orphan.FindScriptedAncestor().Get(), &orphan);
}

TEST_F(RayQueryTest, SkipsExcludedAndNonCollidingSubtrees)
{
    RayQuery query = RayFrom(20, -1);
    query.excluded = &root;
    EXPECT_FALSE(root.IntersectRay(query));
    EXPECT_FALSE(query.hitObject);

    // Only the root is left to hit, from the far side.
    query = RayFrom(20, -1);
    query.excluded = &middle;
    EXPECT_TRUE(root.IntersectRay(query));
    EXPECT_EQ(query.hitObject.Get(), &root);
    EXPECT_FLOAT_EQ(query.distance, 19);

    middle.SetCollision(false);
    query = RayFrom(20, -1);
    EXPECT_TRUE(root.IntersectRay(query));
    EXPECT_EQ(query.hitObject.Get(), &root);
    EXPECT_FLOAT_EQ(query.distance, 19);
}

TEST_F(RayQueryTest, SegmentThatMissesTheBoundsEndsTheSearch)
{
    RayQuery query = RayFrom(20, -1);
    query.distance = 8.5f;
    EXPECT_FALSE(root.IntersectRay(query));
    EXPECT_FLOAT_EQ(query.distance, 8.5f);

    query = RayFrom(20, 1);
    EXPECT_FALSE(root.IntersectRay(query));
}

TEST_F(GameObjectTest, ChildrenAreFoundByNameThroughTheTree)
{
    CPGameObject root("root"), body("body"), wheel("wheel"), spare("wheel");
    root.AddChild(&body);
    body.AddChild(&wheel);
    EXPECT_EQ(root.FindChild("wheel").Get(), &wheel);
    EXPECT_FALSE(root.GetChildByName("wheel"));
    EXPECT_FALSE(root.FindChild("door"));

    // A later child of the same name takes the name.
    body.AddChild(&spare);
    EXPECT_EQ(body.GetChildByName("wheel").Get(), &spare);
    EXPECT_EQ(body.GetChildren().size(), 2u);

    CPGameObject::ObjectList tree;
    root.CollectTree(tree);
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(tree[0].Get(), &root);
    EXPECT_EQ(tree[3].Get(), &spare);
}

TEST_F(GameObjectTest, DestroyedChildLeavesItsParentsListAndNameMap)
{
    CPGameObject holder("holder");
    CPGameObject* first = new CPGameObject("door");
    CPGameObject* second = new CPGameObject("door");
    CPGameObject* grandchild = new CPGameObject("handle");
    holder.AddChild(first);
    holder.AddChild(second);
    second->AddChild(grandchild);

    // The name now belongs to the second door: destroying the first keeps it.
    delete first;
    EXPECT_EQ(holder.GetChildren().size(), 1u);
    EXPECT_EQ(holder.GetChildByName("door").Get(), second);

    delete second;
    EXPECT_TRUE(holder.GetChildren().empty());
    EXPECT_FALSE(holder.GetChildByName("door"));
    EXPECT_FALSE(holder.FindChild("handle"));
    EXPECT_FALSE(grandchild->GetParent());
    delete grandchild;
}

TEST_F(GameObjectTest, AChildMovesFromItsOldParentAndALoopIsRefused)
{
    CPGameObject other("other");
    CPGameObject grandchild("grandchild");
    child.AddChild(&grandchild);

    other.AddChild(&child);
    EXPECT_TRUE(parent.GetChildren().empty());
    EXPECT_FALSE(parent.GetChildByName("child"));
    EXPECT_EQ(child.GetParent().Get(), &other);
    other.AddChild(&child);
    EXPECT_EQ(other.GetChildren().size(), 1u) << "adding it again does not list it twice";

    for (CPGameObject* looping : {&child, &other}) {
        child.AddChild(looping);
        grandchild.AddChild(looping);
    }
    EXPECT_EQ(child.GetChildren().size(), 1u);
    EXPECT_TRUE(grandchild.GetChildren().empty());
    EXPECT_EQ(other.GetParent().Get(), nullptr);
    EXPECT_FALSE(other.FindChild("nothing")) << "the tree still ends";
}

TEST_F(GameObjectTest, AnAnimationLetGoOfNeverReachesItsObjectAgain)
{
    PartAnimation* first = Own<PartAnimation>();
    PartAnimation* second = Own<PartAnimation>();
    PartAnimation* walk = Own<PartAnimation>();
    {
        CPGameObject door("door");
        for (PartAnimation* animation : {first, second, walk}) animation->SetTarget(&door);
        door.SetNamedAnimation("idle", first);
        door.SetNamedAnimation("walk", walk);
        door.SetNamedAnimation("idle", second);
        EXPECT_EQ(first->GetTarget(), nullptr);
        EXPECT_EQ(second->GetTarget(), &door);
        door.SetNamedAnimation("idle", second);
        EXPECT_EQ(second->GetTarget(), &door) << "storing the same animation again keeps it";
    }
    EXPECT_EQ(second->GetTarget(), nullptr);
    EXPECT_EQ(walk->GetTarget(), nullptr);
}

TEST_F(GameObjectTest, StopAndTeardownNeedNoCommandBus)
{
    g_pCommandManager = nullptr;
    CPGameObject* object = new CPGameObject("crate");
    object->SetScriptHandler(&receiver);
    object->Start(5);
    object->Stop();
    object->Start(5);
    delete object;
    EXPECT_TRUE(receiver.TakeCommands().empty());
}

struct BadPlacement {
    const char* name;
    D3DXVECTOR3 position;
    D3DXQUATERNION rotation;
};

class GameObjectBadPlacement : public GameObjectTest, public testing::WithParamInterface<BadPlacement> {};

// One bad value would spread through the matrices into every ancestor's
// bounds, so the whole call is refused.
TEST_P(GameObjectBadPlacement, IsRefusedAndTheBoundsStayFinite)
{
    AddUnitPart(child);
    child.SetPosition(1, 2, 3);
    parent.UpdateTransform();
    const D3DXVECTOR3 position = GetParam().position;
    const D3DXQUATERNION rotation = GetParam().rotation;

    child.SetPosition(position.x, position.y, position.z);
    child.SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
    parent.SetPosition(0, 0, 1);
    parent.UpdateTransform();

    EXPECT_EQ(*child.GetPositionRef(), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(*child.GetRotationRef(), D3DXQUATERNION(0, 0, 0, 1));
    ExpectVector(parent.GetPartBounds().minimum, 0, 1, 3);
    ExpectVector(parent.GetPartBounds().maximum, 2, 3, 5);
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInfinity = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Values, GameObjectBadPlacement,
    testing::Values(BadPlacement{"NaNPosition", D3DXVECTOR3(kNaN, 0, 0), D3DXQUATERNION(0, 0, 0, 1)},
                    BadPlacement{"InfinitePosition", D3DXVECTOR3(0, 0, -kInfinity), D3DXQUATERNION(0, 0, 0, 1)},
                    BadPlacement{"NaNRotation", D3DXVECTOR3(1, 2, 3), D3DXQUATERNION(0, 0, 0, kNaN)},
                    BadPlacement{"InfiniteRotation", D3DXVECTOR3(1, 2, 3), D3DXQUATERNION(kInfinity, 0, 0, 1)}),
    [](const testing::TestParamInfo<BadPlacement>& info) { return std::string(info.param.name); });

TEST_F(GameObjectTest, KindWithoutItsComponentIsHandledEverywhere)
{
    for (int kind : {CPGameObject::kKindMesh, CPGameObject::kKindAnimated, CPGameObject::kKindLight,
                     CPGameObject::kKindSprite, CPGameObject::kKindParticleSystem,
                     CPGameObject::kKindGroup}) {
        SCOPED_TRACE(kind);
        CPGameObject* object = new CPGameObject("empty");
        object->SetComponent(kind, nullptr);
        object->UpdateTransform();
        object->Start(1);
        object->PlayAnimation(AnimationRequest(), true);
        object->ApplyAlternateMaterial();
        object->Stop();
        object->Start(1);
        delete object;
    }
}

TEST_F(GameObjectTest, PlayAnimationStartsTheNamedAnimationOnEveryAnimatedObject)
{
    CPAnimation* walk = Own<CPAnimation>("walk&man.p3d");
    CPAnimation* run = Own<CPAnimation>("run&man.p3d");
    AnimatedObject& parentMesh = *Own<AnimatedObject>();
    AnimatedObject& childMesh = *Own<AnimatedObject>();
    parent.SetComponent(CPGameObject::kKindAnimated, &parentMesh);
    child.SetComponent(CPGameObject::kKindAnimated, &childMesh);
    parentMesh.AddAnimation("walk", walk);
    childMesh.AddAnimation("walk", walk);
    childMesh.AddAnimation("run", run);

    AnimationRequest request;
    request.name = "walk";
    request.speed = 2.0f;
    request.passLimit = 3;
    request.notify = &receiver;
    request.reportFrame = 4;
    request.timeOffset = 0.5f;
    FullTime = 10.0;
    parent.PlayAnimation(request, false);
    for (AnimatedObject* mesh : {&parentMesh, &childMesh}) {
        EXPECT_EQ(mesh->GetCurrentName(), "walk");
        EXPECT_EQ(mesh->GetCurrentAnimation(), walk);
        EXPECT_FLOAT_EQ(mesh->GetStartTime(), 10.5f);
        EXPECT_FLOAT_EQ(mesh->GetSpeed(), 2.0f);
        EXPECT_EQ(mesh->GetPassLimit(), 3);
        EXPECT_EQ(mesh->GetReportFrame(), 4);
        EXPECT_EQ(mesh->GetNotify(), &receiver);
    }

    // The current name again needs a restart; an unknown name changes nothing.
    FullTime = 20.0;
    parent.PlayAnimation(request, false);
    EXPECT_FLOAT_EQ(parentMesh.GetStartTime(), 10.5f);
    parent.PlayAnimation(request, true);
    EXPECT_FLOAT_EQ(parentMesh.GetStartTime(), 20.5f);
    request.name = "run";
    parent.PlayAnimation(request, false);
    EXPECT_EQ(parentMesh.GetCurrentName(), "walk");
    EXPECT_EQ(childMesh.GetCurrentName(), "run");
    FullTime = 0.0;
}

TEST_F(GameObjectTest, FireMaterialGoesOnEveryMeshAndAnimatedMeshOfTheTree)
{
    CPMaterial* plain = Own<CPMaterial>(1, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>());
    CPMaterial* fire = Own<CPMaterial>(20, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>());
    CPRenderObject* mesh = Own<CPRenderObject>(&parent);
    AnimatedObject* animated = Own<AnimatedObject>();
    parent.SetComponent(CPGameObject::kKindMesh, mesh);
    child.SetComponent(CPGameObject::kKindAnimated, animated);
    mesh->SetMaterial(plain);
    parent.SetFireMaterial(fire);
    child.SetFireMaterial(fire);

    parent.ApplyAlternateMaterial();
    RefPtr<CPMaterial> material;
    mesh->GetMaterial(material);
    EXPECT_EQ(material.Get(), fire);
    animated->GetMaterial(material);
    EXPECT_EQ(material.Get(), fire);
}

TEST_F(GameObjectTest, AttachFlameBurnsOnceAndPassesTheCallOn)
{
    ParticleSystem& fire = *Own<ParticleSystem>();
    CPParticleManager particles;
    particles.AddSystemDefinition(&fire);
    g_pParticleManager = &particles;

    parent.SetPosition(1, 2, 3);
    parent.SetFlameType(0);
    child.SetFlameType(7);

    parent.AttachFlame(1.0f);
    g_pParticleManager = nullptr;
    EXPECT_EQ(parent.GetFlameType(), -1);
    EXPECT_EQ(child.GetFlameType(), -1);
    ASSERT_EQ(fire.clones.size(), 1u);
    ParticleSystem* flame = fire.clones[0].get();
    EXPECT_EQ(ListedTasks(), std::vector<IPProcess*>{flame});
    EXPECT_EQ(flame->GetPriority(), 200);

    RefPtr<CPGameObject> burning = parent.GetChildByName("flame");
    ASSERT_TRUE(burning);
    EXPECT_EQ(burning->GetKind(), CPGameObject::kKindParticleSystem);
    EXPECT_EQ(burning->GetComponent(), flame);
    EXPECT_EQ(flame->GetOwner(), burning.Get());
    ExpectVector(WorldPosition(*burning), 1, 2, 3);

    parent.AttachFlame(1.0f);
    EXPECT_EQ(fire.clones.size(), 1u);
    CPGameObject* flameObject = burning.Get();
    burning = nullptr;
    delete flameObject;
    EXPECT_TRUE(parent.GetChildren().size() == 1);
}

TEST_F(GameObjectTest, MovingHandsThePlaceToLevelsOfDetailAndThePhysicsBody)
{
    CPGameObject object("car");
    CPGameObject farAway("car_far");
    object.AddLevelOfDetail(&object, 0);
    object.AddLevelOfDetail(nullptr, 50);
    object.AddLevelOfDetail(&farAway, 100);
    CPSimulator simulator(SimulatorSizeInfo(), nullptr, D3DXVECTOR3(0, 0, 0));
    CPKinematicBody& kinematic = *simulator.CreateKinematicBody();
    CPRigidBody& rigid = *simulator.CreateRigidBody();
    CPPhysicData* physics = Own<CPPhysicData>(&object);
    physics->SetKinematicBody(&kinematic);
    physics->SetRigidBody(&rigid);
    object.SetPhysicData(physics);

    object.SetPosition(1, 2, 3);
    object.SetRotation(0, 0, 1, 0);
    EXPECT_EQ(*farAway.GetPositionRef(), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(*farAway.GetRotationRef(), D3DXQUATERNION(0, 0, 1, 0));
    EXPECT_EQ(kinematic.GetPosition(), D3DXVECTOR3(1, 2, 3));
    EXPECT_TRUE(kinematic.IsMoved());
    EXPECT_EQ(rigid.GetPosition(), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(rigid.GetOrientation(), D3DXQUATERNION(0, 0, 1, 0));

    physics->SetKinematicBody(nullptr);
    object.SetPosition(4, 5, 6);
    EXPECT_EQ(rigid.GetPosition(), D3DXVECTOR3(4, 5, 6));

    object.UpdateTransform();
    EXPECT_FALSE(farAway.IsDirty());
}

TEST_F(GameObjectTest, ShadowFlagReachesChildrenAndLevelsOfDetailButTreeFlagNotChildren)
{
    CPGameObject object("tree"), child("branch"), farAway("tree_far");
    object.AddChild(&child);
    object.AddLevelOfDetail(&object, 0);
    object.AddLevelOfDetail(&farAway, 100);
    SetObjectShadowFlag(&object, false);
    EXPECT_FALSE(object.GetShadowFlag());
    EXPECT_FALSE(child.GetShadowFlag());
    EXPECT_FALSE(farAway.GetShadowFlag());
    SetObjectTreeFlag(&object, false);
    EXPECT_FALSE(farAway.GetSharedGeometry());
    EXPECT_TRUE(child.GetSharedGeometry());
}

TEST_F(GameObjectTest, TreeFlagIsTheSharedGeometryFlag)
{
    // What takes an object out of shared geometry takes it out of the level's
    // tree of merged meshes too, and the level can put it back.
    CPGameObject object("door");
    object.SetNamedAnimation("open", Own<PartAnimation>());
    EXPECT_FALSE(object.GetSharedGeometry());
    SetObjectTreeFlag(&object, true);
    EXPECT_TRUE(object.GetSharedGeometry());
}

TEST_F(GameObjectTest, DescriptionLoadsFromTheDescriptionsFolder)
{
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Data\\Descriptions", nullptr);
    FILE* file = std::fopen("Data\\Descriptions\\car.xml", "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("<car><engine power=\"120\"/></car>", file);
    std::fclose(file);

    CPGameObject object("car");
    object.SetDescriptionName("car.xml");
    ASSERT_TRUE(object.LoadDescription());
    TiXmlElement* root = object.GetDescriptionDocument().RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->FirstChildElement("engine")->Attribute("power"), "120");

    object.SetDescriptionName("missing.xml");
    EXPECT_FALSE(object.LoadDescription());
}

// A game packed into an archive keeps its car descriptions, line ends
// read as the XML reader reads them from a file: CR LF and CR alone as LF.
TEST_F(GameObjectTest, DescriptionLoadsFromAPackArchiveAsFromTheFolder)
{
    const std::string xml = "<truck plate=\"a\r\nb\" note=\"c\rd\"/>";
    PackArchiveWriter archive;
    archive.AddEntry("Data\\Descriptions\\Truck.xml", std::vector<unsigned char>(xml.begin(), xml.end()));
    ASSERT_EQ(archive.Save("descriptions.pak"), S_OK);
    GetPackArchiveList().clear();
    ASSERT_TRUE(RegisterPackArchiveFile("descriptions.pak"));

    CPGameObject object("truck");
    object.SetDescriptionName("Truck.xml");
    const bool loaded = object.LoadDescription();
    GetPackArchiveList().clear();
    ASSERT_TRUE(loaded);
    TiXmlElement* root = object.GetDescriptionDocument().RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Attribute("plate"), "a\nb");
    EXPECT_STREQ(root->Attribute("note"), "c\nd");
}

} // namespace
