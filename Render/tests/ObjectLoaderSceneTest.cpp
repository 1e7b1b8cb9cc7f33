#include "Render/PObjectLoader.h"

#include "core/CommandReceiver.h"
#include "core/PCommandManager.h"
#include "core/PGameObject.h"
#include "core/RayQuery.h"
#include "core/Settings.h"
#include "core/tests/FileTestSupport.h"
#include "physics/PPhysicData.h"
#include "Render/MeshFileReader.h"
#include "Render/PAnimatedObject.h"
#include "Render/PAnimation.h"
#include "Render/PAnimationCache.h"
#include "Render/PLight.h"
#include "Render/PParticleSystem.h"
#include "Render/PPartAnimation.h"
#include "Render/PRenderObject.h"
#include "Render/PRenderQueue.h"
#include "Render/PSprite.h"
#include "Render/RenderLog.h"
#include "Render/tests/MeshFixtures.h"
#include "Render/tests/RecordingBuffers.h"
#include "Render/tests/ResourceTest.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const D3DCOLOR kLoaderColour = 0xFF102030;
const int kTypeOffset = 7;

// The loader with the renderer's resources, an animation cache and a
// scratch "Data\Meshes" folder whose files each test writes.
class ObjectLoaderTest : public ResourceTest {
protected:
    ObjectLoaderTest() : m_previousCache(g_pAnimationCache), m_previousWeather(g_weather), m_previousDivisor(g_weight_div)
    {
        CreateDirectoryA("Data\\Meshes", nullptr);
        CreateDirectoryA("Data\\Animations", nullptr);
        g_pAnimationCache = &cache;
        g_weight_div = 1;
        loader.SetVertexColour(kLoaderColour);
    }
    ~ObjectLoaderTest() override
    {
        g_pAnimationCache = m_previousCache;
        g_weather = m_previousWeather;
        g_weight_div = m_previousDivisor;
    }

    void WriteMesh(const std::string& name, const FixtureWriter& out)
    {
        WriteFile("Data\\Meshes\\" + name, out.GetBytes());
    }
    void WriteDescription(const std::string& name, const DescriptionWriter& description)
    {
        WriteFile("Data\\Meshes\\" + name, description.GetText());
    }
    // A static mesh file of one triangle part with triangle children.
    void WriteTriangleMesh(const std::string& name, const std::string& top, const std::vector<std::string>& children)
    {
        MeshPartData part = TrianglePart(top);
        for (const std::string& child : children) part.children.push_back(TrianglePart(child));
        FixtureWriter out;
        WriteStaticMeshFile(out, {part}, false);
        WriteMesh(name, out);
    }
    // "wrong.rdf": an empty group with one sprite named "wrong".
    void WriteFallback() { WriteDescription("wrong.rdf", DescriptionWriter("empty").Key("sprite", "wrong,0,0,0,1")); }

    static CPRenderObject* Mesh(const RefPtr<CPGameObject>& object)
    {
        return object && object->GetKind() == CPGameObject::kKindMesh
                   ? static_cast<CPRenderObject*>(object->GetComponent()) : nullptr;
    }
    static CPAnimatedObject* Animated(const RefPtr<CPGameObject>& object)
    {
        return object && object->GetKind() == CPGameObject::kKindAnimated
                   ? static_cast<CPAnimatedObject*>(object->GetComponent()) : nullptr;
    }
    static std::vector<std::string> ChildNames(const CPGameObject& object)
    {
        std::vector<std::string> names;
        for (const RefPtr<CPGameObject>& child : object.GetChildren()) names.push_back(child->GetName());
        return names;
    }
    static CPMaterial* MaterialOf(const RefPtr<CPGameObject>& object)
    {
        RefPtr<CPMaterial> material;
        if (CPRenderObject* mesh = Mesh(object)) mesh->GetMaterial(material);
        return material.Get();
    }

    CPAnimationCache cache;
    CPObjectLoader loader;

private:
    CPAnimationCache* m_previousCache;
    int m_previousWeather;
    int m_previousDivisor;
};

void ExpectVector(const D3DXVECTOR3& actual, float x, float y, float z)
{
    EXPECT_NEAR(actual.x, x, 1e-5f);
    EXPECT_NEAR(actual.y, y, 1e-5f);
    EXPECT_NEAR(actual.z, z, 1e-5f);
}

// Two parts, the first with a child and a box, and a transform table.
FixtureWriter HouseMesh()
{
    MeshPartData wall = TrianglePart("Wall");
    wall.boxes = {MeshBoxData{D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(4, 5, 6)}};
    wall.children = {TrianglePart("Door")};
    const std::vector<TransformData> transforms = {{"Wall", {1, 0, 0, 9, 0, 1, 0, 8, 0, 0, 1, 7}}};
    FixtureWriter out;
    WriteStaticMeshFile(out, {wall, TrianglePart("Roof")}, false, &transforms);
    return out;
}

TEST_F(ObjectLoaderTest, StaticMeshBuildsAGroupOfPartsWithGeometryBoxesKeysAndSharedBuffers)
{
    WriteMesh("House.msh", HouseMesh());
    WriteFile("Data\\Effects\\stone.fx", "effect technique main");
    WriteDescription("house.rdf", DescriptionWriter("House.msh")
                                      .Key("EffectFile", "Lost.fx")
                                      .Section("Wall")
                                      .Key("EffectFile", "Stone.FX")
                                      .Key("Type", "3")
                                      .Section("roof")
                                      .Key("visible", "0")
                                      .Key("param", "Tile Red"));

    RefPtr<CPGameObject> house = loader.LoadObject("house.rdf", kTypeOffset);
    ASSERT_TRUE(house);
    EXPECT_EQ(house->GetName(), "house.rdf");
    EXPECT_EQ(house->GetKind(), CPGameObject::kKindGroup);
    ASSERT_EQ(ChildNames(*house), (std::vector<std::string>{"wall", "roof"}));
    RefPtr<CPGameObject> wall = house->GetChildren()[0];
    EXPECT_EQ(ChildNames(*wall), std::vector<std::string>{"door"});

    CPRenderObject* mesh = Mesh(wall);
    ASSERT_NE(mesh, nullptr);
    ASSERT_EQ(mesh->GetLocalVertices().size(), 3u);
    ExpectVector(mesh->GetLocalVertices()[1].position, 4, 2, 3);
    EXPECT_EQ(mesh->GetLocalVertices()[1].diffuse, kLoaderColour);
    EXPECT_EQ(mesh->GetLocalVertices()[1].specular, 0x9ABCDEF0u);
    EXPECT_EQ(mesh->GetWorldVertices().size(), 3u);
    EXPECT_EQ(mesh->GetIndices(), (std::vector<uint16_t>{0, 1, 2}));
    ASSERT_EQ(wall->GetParts().size(), 1u);
    ExpectVector(wall->GetParts()[0].GetCentre(), 1, 2, 3);
    ExpectVector(wall->GetParts()[0].GetHalfExtents(), 4, 5, 6);

    EXPECT_EQ(MaterialOf(wall)->GetType(), 3 + kTypeOffset);
    EXPECT_EQ(MaterialOf(wall)->GetEffect()->GetName(), "stone.fx");
    EXPECT_EQ(MaterialOf(wall->GetChildren()[0])->GetType(), kTypeOffset);
    RefPtr<CPGameObject> roof = house->GetChildren()[1];
    EXPECT_FALSE(roof->IsVisible());
    EXPECT_EQ(roof->GetParameter(), "tile red");

    EXPECT_TRUE(mesh->IsStatic());
    EXPECT_EQ(mesh->GetMeshName(), "house.mshwall");
    ASSERT_NE(mesh->GetStaticBuffers(), nullptr);
    EXPECT_EQ(mesh->GetStaticBuffers()->vertexCount, 3);
    EXPECT_EQ(loader.GetCurrentMeshName(), "house.msh");
    EXPECT_TRUE(loader.GetErrors().empty());
}

// One p3d part "Crate" with one vertex, a placement, a physics block and
// a box turned 60 degrees about x, a cylinder and an unknown shape.
MeshPartData CratePart()
{
    MeshPartData crate;
    crate.name = "Crate";
    crate.vertices = {MorphVertex(1, 2, 3)};
    crate.placement = {5, 6, 7, 0.0f, 0.6f, 0.0f, 0.8f};
    crate.bodySizes = {2, 3, 4};
    crate.mass = 10.0f;
    crate.shapes = {ShapeData{0, 2, 4, 6, {1, -2, 0}, {0.5f, 0, 0, 0.8660254f}, 0, 1.0f},
                    ShapeData{1, 0, 5, 0, {1, 1, 1}, {0.6f, 0, 0, 0.8f}, 3, 2.0f},
                    ShapeData{7, 1, 1, 1, {0, 0, 0}, {0, 0, 0, 1}, 1, 1.0f}};
    return crate;
}

TEST_F(ObjectLoaderTest, SingleP3dPartIsTheRootWithPlacementBoxAndPhysicsShapes)
{
    FixtureWriter out;
    WriteStaticMeshFile(out, {CratePart()}, true);
    WriteMesh("Crate.P3D", out);
    WriteDescription("crate.rdf", DescriptionWriter("Crate.P3D"));

    RefPtr<CPGameObject> crate = loader.LoadObject("crate.rdf", 0);
    ASSERT_TRUE(crate);
    EXPECT_EQ(crate->GetName(), "crate");
    ExpectVector(*crate->GetPositionRef(), 5, 6, 7);
    EXPECT_FLOAT_EQ(crate->GetRotationRef()->y, -0.6f);
    ExpectVector(crate->GetBoundingBox().GetCentre(), 1, 2, 3);
    ExpectVector(crate->GetBoundingBox().GetHalfExtents(), 0, 0, 0);

    CPPhysicData* physics = crate->GetPhysicData();
    ASSERT_NE(physics, nullptr);
    EXPECT_EQ(physics->GetBodyParams().sizeA, 2.0f);
    EXPECT_EQ(physics->GetBodyParams().sizeB, 3.0f);
    EXPECT_EQ(physics->GetBodyParams().sizeC, 4.0f);
    EXPECT_EQ(physics->GetMass(), 10.0f);
    ASSERT_EQ(physics->GetShapes().size(), 2u);
    const PhysicShape& box = physics->GetShapes()[0];
    EXPECT_EQ(box.type, 0);
    EXPECT_EQ(box.positionZ, 2.0f);
    EXPECT_EQ(box.orientationX, 0.5f) << "the physics box keeps the stored rotation";
    EXPECT_EQ(box.size1, 2.0f);
    EXPECT_EQ(box.size2, 4.0f);
    EXPECT_EQ(box.size3, 6.0f);
    const PhysicShape& cylinder = physics->GetShapes()[1];
    EXPECT_EQ(cylinder.type, 1);
    EXPECT_EQ(cylinder.orientationX, -0.6f);
    EXPECT_EQ(cylinder.size2, 5.0f);
    EXPECT_EQ(cylinder.size4, 3.0f);

    ASSERT_EQ(crate->GetParts().size(), 1u);
    ExpectVector(crate->GetParts()[0].GetHalfExtents(), 1, 3, 2);
    // The part box turns the other way, -60 degrees about x, then moves to
    // (1, -2, 0 + 4 / 2).
    D3DXMATRIX turn, lift, expected;
    D3DXMatrixRotationX(&turn, -D3DX_PI / 3.0f);
    D3DXMatrixTranslation(&lift, 1.0f, -2.0f, 2.0f);
    D3DXMatrixMultiply(&expected, &turn, &lift);
    const D3DXMATRIX& placed = crate->GetParts()[0].GetOwnMatrix();
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_NEAR(placed.m[row][column], expected.m[row][column], 1e-5f) << row << ", " << column;
        }
    }
}

// A walking body with an arm, and a running one whose file also holds a
// leg that the body does not have.
MeshPartData BodyPart(int frames)
{
    MeshPartData body;
    body.name = "Body";
    body.frames.assign(frames, FrameData{{MorphVertex(0, 0, 0), MorphVertex(2, 4, 6)}, {0, 1, 0}});
    MeshPartData arm;
    arm.name = "Arm";
    arm.frames.assign(frames + 1, FrameData{{MorphVertex(1, 1, 1)}, {0}});
    body.children = {arm};
    return body;
}

TEST_F(ObjectLoaderTest, AnimationListBuildsFromTheFirstFileAndAddsLaterFramesByPartName)
{
    // The body has no mass: its box shape gives a part box and no physics.
    MeshPartData walkBody = BodyPart(2);
    walkBody.shapes = {ShapeData{0, 2, 4, 6, {0, 0, 0}, {0, 0, 0, 1}, 0, 1.0f}};
    FixtureWriter walk;
    WriteAnimationMeshFile(walk, walkBody, false);
    WriteMesh("walk.msh", walk);
    MeshPartData run = BodyPart(3);
    MeshPartData leg = run.children[0];
    leg.name = "Leg";
    leg.frames.assign(5, FrameData{{MorphVertex(9, 9, 9)}, {0}});
    run.children.insert(run.children.begin(), leg);
    FixtureWriter runFile;
    WriteAnimationMeshFile(runFile, run, true);
    WriteMesh("run.msh", runFile);
    WriteDescription("man.rdf", DescriptionWriter("anim;walk,walk.msh;lost,none.msh;run,run.msh;jump,walk.msh")
                                    .Key("sprite", "spark,0,0,0,1,nowhere")
                                    .Key("sprite", "glow,0,0,0,2,arm"));

    RefPtr<CPGameObject> man = loader.LoadObject("man.rdf", 0);
    ASSERT_TRUE(man);
    EXPECT_EQ(man->GetSourceDescriptionName(), "man.rdf");
    CPAnimatedObject* body = Animated(man);
    ASSERT_NE(body, nullptr);
    ASSERT_NE(body->GetAnimation("walk"), nullptr);
    EXPECT_EQ(body->GetAnimation("walk")->GetFrameCount(), 2);
    EXPECT_EQ(body->GetAnimation("walk"), body->GetAnimation("jump"));
    EXPECT_EQ(body->GetAnimation("lost"), nullptr);
    ASSERT_NE(body->GetAnimation("run"), nullptr);
    EXPECT_EQ(body->GetAnimation("run")->GetFrameCount(), 3);
    ExpectVector(man->GetBoundingBox().GetHalfExtents(), 1, 2, 3);
    EXPECT_EQ(man->GetPhysicData(), nullptr);
    ASSERT_EQ(man->GetParts().size(), 1u);
    ExpectVector(man->GetParts()[0].GetHalfExtents(), 1, 3, 2);

    RefPtr<CPGameObject> arm = man->GetChildByName("arm");
    ASSERT_TRUE(arm);
    ASSERT_NE(Animated(arm)->GetAnimation("run"), nullptr);
    EXPECT_EQ(Animated(arm)->GetAnimation("run")->GetFrameCount(), 4);
    EXPECT_EQ(loader.GetCurrentMeshFile(), "walk.msh");

    EXPECT_FALSE(man->FindChild("spark"));
    ASSERT_TRUE(arm->GetChildByName("glow"));
    EXPECT_EQ(arm->GetChildByName("glow")->GetKind(), CPGameObject::kKindSprite);
    EXPECT_FALSE(arm->GetChildByName("glow")->GetSharedGeometry());
}

TEST_F(ObjectLoaderTest, ObjectWideKeysAddSpritesLightsLevelsParticleSystemsAndLineKeys)
{
    WriteTriangleMesh("lamp.msh", "Base", {"Pole"});
    WriteFallback();
    WriteDescription("far.rdf", DescriptionWriter("empty"));
    g_weather = 1;
    WriteDescription("lamp.rdf", DescriptionWriter("lamp.msh")
                                     .Key("sprite", "glow,1,2,3,0.5,pole,0,0,1,0.7")
                                     .Key("sprite", "halo,0,0,0,2,nowhere")
                                     .Key("light", "bulb,base,x,1,2,3,0.5,0.25,1,0.1,40")
                                     .Key("light", "lost,nowhere")
                                     .Key("psystem", "snow2,pole,0,1,0,7,fire,smoke")
                                     .Key("linekeypoint", "1,2,3")
                                     .Key("linecolor", "ff00ff00")
                                     .Key("lod", "null,1")
                                     .Key("lod", "far.rdf,2")
                                     .Key("lod", "lamp.rdf,3")
                                     .Key("lod", "missing.rdf,4"));

    RefPtr<CPGameObject> lamp = loader.LoadObject("lamp.rdf", 0);
    ASSERT_TRUE(lamp);
    RefPtr<CPGameObject> pole = lamp->GetChildByName("pole");
    RefPtr<CPGameObject> glow = pole->GetChildByName("glow");
    ASSERT_TRUE(glow);
    CPSprite* sprite = static_cast<CPSprite*>(glow->GetComponent());
    EXPECT_EQ(sprite->GetOwner(), glow.Get());
    EXPECT_EQ(sprite->GetSize(), 0.5f);
    ExpectVector(sprite->GetFacing(), 0, 0, 1);
    EXPECT_FLOAT_EQ(sprite->GetAngleLimit(), 0.7f);
    EXPECT_FALSE(glow->GetShadowFlag());
    EXPECT_TRUE(lamp->GetChildByName("halo"));

    RefPtr<CPGameObject> bulb = lamp->GetChildByName("bulb");
    ASSERT_TRUE(bulb);
    CPLight* light = static_cast<CPLight*>(bulb->GetComponent());
    EXPECT_EQ(light->GetOwner(), bulb.Get());
    const D3DLIGHT9& record = *light->GetLight();
    EXPECT_EQ(record.Type, D3DLIGHT_POINT);
    EXPECT_FLOAT_EQ(record.Ambient.g, 0.25f);
    EXPECT_FLOAT_EQ(record.Attenuation1, 0.1f);
    EXPECT_EQ(record.Range, 40.0f);
    ExpectVector(bulb->GetBoundingBox().GetHalfExtents(), 40, 40, 40);
    ExpectVector(*bulb->GetPositionRef(), 1, 2, 3);
    EXPECT_FALSE(lamp->FindChild("lost"));

    RefPtr<CPGameObject> snow = pole->GetChildByName("snow2");
    ASSERT_TRUE(snow);
    CPParticleSystem* system = static_cast<CPParticleSystem*>(snow->GetComponent());
    EXPECT_EQ(system->GetDamage(), 7.0f);
    EXPECT_EQ(system->GetEmitterNames(), (std::vector<std::string>{"fire", "smoke"}));

    ASSERT_EQ(lamp->GetLineKeyPoints().size(), 1u);
    ExpectVector(lamp->GetLineKeyPoints()[0], 1, 2, 3);
    EXPECT_EQ(lamp->GetLineColour(), 0xFF00FF00u);

    const auto& levels = lamp->GetLevelsOfDetail();
    ASSERT_EQ(levels.size(), 5u);
    EXPECT_EQ(levels[0].object.Get(), lamp.Get());
    EXPECT_FALSE(levels[1].object);
    EXPECT_EQ(levels[1].level, 1);
    ASSERT_TRUE(levels[2].object);
    EXPECT_EQ(levels[2].object->GetName(), "empty");
    EXPECT_FALSE(levels[3].object);
    ASSERT_TRUE(levels[4].object);
    EXPECT_TRUE(levels[4].object->GetChildByName("wrong"));

    g_weather = 0;
    RefPtr<CPGameObject> dry = loader.LoadObject("lamp.rdf", 0);
    ASSERT_TRUE(dry);
    EXPECT_FALSE(dry->FindChild("snow2"));
}

TEST_F(ObjectLoaderTest, EmptyGroupTakesSpritesWhoseParentIsMissing)
{
    WriteDescription("marks.rdf", DescriptionWriter("empty").Key("sprite", "dot,1,0,0,3,nowhere"));
    RefPtr<CPGameObject> marks = loader.LoadObject("marks.rdf", 0);
    ASSERT_TRUE(marks);
    EXPECT_EQ(marks->GetKind(), CPGameObject::kKindGroup);
    RefPtr<CPGameObject> dot = marks->GetChildByName("dot");
    ASSERT_TRUE(dot);
    ExpectVector(dot->GetBoundingBox().GetHalfExtents(), 3, 3, 3);
    EXPECT_TRUE(dot->GetSharedGeometry());
}

TEST_F(ObjectLoaderTest, PartKeysMakeShadowFireAndShadowTextureMaterials)
{
    WriteTriangleMesh("yard.msh", "Fence", {"Wall", "Tree"});
    CreateDirectoryA("Data\\Textures\\shadows", nullptr);
    WriteTga("Data\\Textures\\shadows\\wall_s.dds", 4, 4);
    WriteTga("Data\\Textures\\bark_fire.tga", 4, 4);
    WriteTga("Data\\Textures\\a_fire.tga", 4, 4);
    WriteFile("Data\\Effects\\stone_s.fx", "effect technique main");
    WriteDescription("yard.rdf", DescriptionWriter("yard.msh")
                                     .Key("shadowtextures", "shadows,_s.dds,_s.fx")
                                     .Section("fence")
                                     .Key("effectfile", "holey.fx")
                                     .Key("texturefile1", "a.b.dds")
                                     .Key("shadow", "0")
                                     .Section("wall")
                                     .Key("effectfile", "stone.fx")
                                     .Key("texturefile1", "brick.dds")
                                     .Section("tree")
                                     .Key("texturefile1", "bark.dds")
                                     .Key("vertexeffect", "flick 1,2,3;nothing 1"));

    RefPtr<CPGameObject> fence = loader.LoadObject("yard.rdf", 0);
    ASSERT_TRUE(fence);
    EXPECT_FALSE(loader.AreShadowTexturesActive());
    ASSERT_NE(fence->GetShadowMaterial(), nullptr);
    EXPECT_EQ(fence->GetShadowMaterial()->GetType(), 16);
    EXPECT_EQ(fence->GetShadowMaterial()->GetEffect()->GetName(), "error.fx");
    EXPECT_FALSE(fence->GetShadowFlag());
    ASSERT_NE(fence->GetFireMaterial(), nullptr);
    EXPECT_EQ(fence->GetFireMaterial()->GetType(), 20);
    EXPECT_EQ(fence->GetFireMaterial()->GetTextureBlock()->GetTexture(0)->GetName(), "a_fire.tga");

    RefPtr<CPGameObject> wall = fence->GetChildByName("wall");
    CPMaterial* wallMaterial = MaterialOf(wall);
    EXPECT_EQ(wallMaterial->GetEffect()->GetName(), "stone_s.fx");
    ASSERT_EQ(wallMaterial->GetTextureBlock()->GetTextureCount(), 2);
    EXPECT_EQ(wallMaterial->GetTextureBlock()->GetTexture(1)->GetName(), "shadows\\wall_s.dds");
    EXPECT_EQ(wall->GetFireMaterial(), nullptr);

    RefPtr<CPGameObject> tree = fence->GetChildByName("tree");
    ASSERT_NE(tree->GetFireMaterial(), nullptr);
    EXPECT_EQ(Mesh(tree)->GetVertexEffects().size(), 1u);
    EXPECT_FALSE(Mesh(tree)->IsStatic());
    EXPECT_FALSE(tree->GetSharedGeometry());
}

TEST_F(ObjectLoaderTest, TextureFilesTwoToFourFollowTheFirstInTheirOwnOrder)
{
    for (const char* name : {"t1.tga", "t2.tga", "t3.tga", "t4.tga"}) {
        WriteTga(std::string("Data\\Textures\\") + name, 4, 4);
    }
    WriteTriangleMesh("wall.msh", "Wall", {"Gap"});
    WriteDescription("wall.rdf", DescriptionWriter("wall.msh")
                                     .Section("wall")
                                     .Key("texturefile3", "t3.tga")
                                     .Key("texturefile1", "t1.tga")
                                     .Key("texturefile4", "t4.tga")
                                     .Key("texturefile2", "t2.tga")
                                     .Section("gap")
                                     .Key("texturefile4", "t4.tga")
                                     .Key("texturefile1", "t1.tga")
                                     .Key("texturefile3", "t3.tga"));
    RefPtr<CPGameObject> wall = loader.LoadObject("wall.rdf", 0);
    ASSERT_TRUE(wall);
    const auto textureNames = [](CPMaterial* material) {
        std::vector<std::string> names;
        CPTextureBlock* block = material->GetTextureBlock();
        for (int index = 0; index < block->GetTextureCount(); ++index) names.push_back(block->GetTexture(index)->GetName());
        return names;
    };
    EXPECT_EQ(textureNames(MaterialOf(wall)), (std::vector<std::string>{"t1.tga", "t2.tga", "t3.tga", "t4.tga"}));
    EXPECT_EQ(textureNames(MaterialOf(wall->GetChildByName("gap"))),
              (std::vector<std::string>{"t1.tga", "t3.tga", "t4.tga"}));
}

TEST_F(ObjectLoaderTest, DescriptionKeyLoadsTheObjectsXmlDescription)
{
    CreateDirectoryA("Data\\Descriptions", nullptr);
    WriteFile("Data\\Descriptions\\lamp.xml", "<lamp colour=\"red\"/>");
    WriteTriangleMesh("lamp.msh", "Base", {});
    WriteDescription("lamp.rdf", DescriptionWriter("lamp.msh").Key("Description", "Lamp.XML"));
    RefPtr<CPGameObject> lamp = loader.LoadObject("lamp.rdf", 0);
    ASSERT_TRUE(lamp);
    const TiXmlElement* root = lamp->GetDescriptionDocument().RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Value(), "lamp");
    EXPECT_STREQ(root->Attribute("colour"), "red");
}

TEST_F(ObjectLoaderTest, AnimationKeyGivesTracksToThePartsOfTheirNames)
{
    WriteTriangleMesh("door.msh", "Door", {"Handle"});
    FixtureWriter tracks;
    WriteTrackFile(tracks, {{"Handle", {TranslationKey(0, 1, 0, 0)}}, {"Hinge", {TranslationKey(0, 0, 1, 0)}}});
    WriteFile("Data\\Animations\\door.anm", tracks.GetBytes());
    WriteDescription("door.rdf", DescriptionWriter("door.msh").Section("door").Key("animation", "idle,door.anm"));

    RefPtr<CPGameObject> loaded = loader.LoadObject("door.rdf", 0);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetIdleAnimation(), nullptr);
    RefPtr<CPGameObject> handle = loaded->GetChildByName("handle");
    ASSERT_NE(handle->GetIdleAnimation(), nullptr);
    EXPECT_EQ(handle->GetIdleAnimation()->GetTarget(), handle.Get());
}

class Handler : public CommandReceiver {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "Handler"; }
    void Execute() override {}
    int GetTaskValue() override { return 0; }
};

TEST_F(ObjectLoaderTest, ScriptKeyGivesThePartTheReceiverOfThatName)
{
    CPCommandManager bus;
    Handler handler;
    bus.RegisterReceiver("door_logic", &handler);
    CPCommandManager* previous = g_pCommandManager;
    g_pCommandManager = &bus;
    WriteTriangleMesh("gate.msh", "Gate", {"Latch"});
    WriteDescription("gate.rdf", DescriptionWriter("gate.msh")
                                     .Section("gate")
                                     .Key("script", "Door_Logic")
                                     .Section("latch")
                                     .Key("script", "unknown"));

    RefPtr<CPGameObject> gate = loader.LoadObject("gate.rdf", 0);
    g_pCommandManager = previous;
    ASSERT_TRUE(gate);
    EXPECT_EQ(gate->GetScriptHandler().Get(), &handler);
    EXPECT_FALSE(gate->GetChildByName("latch")->GetScriptHandler());
}

// A damaged mesh file: which format, which field is hit and how, and the
// error the load must report.
enum class BadFormat { Static, P3d, AnimFirst, AnimFollowOn, DeepStatic };
enum class Damage { Cut, PatchInt, PatchUint16, StripNameZero };

struct CorruptCase {
    const char* title;
    BadFormat format;
    const char* label;
    int occurrence;
    Damage damage;
    int32_t value;
    const char* error;
};

std::ostream& operator<<(std::ostream& out, const CorruptCase& c) { return out << c.title; }

MeshPartData DeepChain(int depth)
{
    MeshPartData part = TrianglePart("Link");
    if (depth > 0) part.children = {DeepChain(depth - 1)};
    return part;
}

FixtureWriter BadFile(BadFormat format)
{
    FixtureWriter out;
    switch (format) {
    case BadFormat::Static: return HouseMesh();
    case BadFormat::P3d: WriteStaticMeshFile(out, {CratePart()}, true); break;
    case BadFormat::AnimFirst: WriteAnimationMeshFile(out, BodyPart(2), false); break;
    case BadFormat::AnimFollowOn: WriteAnimationMeshFile(out, BodyPart(3), true); break;
    case BadFormat::DeepStatic: WriteStaticMeshFile(out, {DeepChain(66)}, false); break;
    }
    return out;
}

const char* BadSpec(BadFormat format)
{
    switch (format) {
    case BadFormat::P3d: return "bad.p3d";
    case BadFormat::AnimFirst: return "anim;walk,bad.msh";
    case BadFormat::AnimFollowOn: return "anim;walk,good.msh;run,bad.msh";
    default: return "bad.msh";
    }
}

class CorruptMeshTest : public ObjectLoaderTest, public ::testing::WithParamInterface<CorruptCase> {
protected:
    void WriteBadObject()
    {
        const CorruptCase& c = GetParam();
        FixtureWriter out = BadFile(c.format);
        const std::string file = c.format == BadFormat::P3d ? "bad.p3d" : "bad.msh";
        const size_t offset = out.FindField(c.label, c.occurrence);
        if (c.damage == Damage::PatchInt) out.PatchInt(offset, c.value);
        if (c.damage == Damage::PatchUint16) out.PatchUint16(offset, static_cast<uint16_t>(c.value));
        if (c.damage == Damage::StripNameZero) {
            for (size_t at = offset; at < offset + MeshFileReader::kNameFieldSize; at += 4) out.PatchInt(at, 0x41414141);
        }
        // A cut falls inside the field, two bytes into it.
        const std::string& bytes = out.GetBytes();
        WriteFile("Data\\Meshes\\" + file, c.damage == Damage::Cut ? bytes.substr(0, offset + 2) : bytes);
        FixtureWriter good;
        WriteAnimationMeshFile(good, BodyPart(2), false);
        WriteMesh("good.msh", good);
        WriteDescription("bad.rdf", DescriptionWriter(BadSpec(c.format)));
    }

};

TEST_P(CorruptMeshTest, FailsWithItsErrorAndGivesTheFallbackObject)
{
    WriteBadObject();
    WriteFallback();
    RefPtr<CPGameObject> object = loader.LoadObject("bad.rdf", 0);
    ASSERT_TRUE(object);
    EXPECT_TRUE(object->GetChildByName("wrong"));
    ASSERT_FALSE(loader.GetErrors().empty());
    EXPECT_NE(loader.GetErrors().back().find(GetParam().error), std::string::npos) << loader.GetErrors().back();
}

TEST_P(CorruptMeshTest, GivesNoObjectAndKeepsNothingWithoutTheFallback)
{
    WriteBadObject();
    // The first load fills the caches of textures, effects, materials and
    // morph animations; the second must leave no object of its own alive.
    loader.LoadObject("bad.rdf", 0);
    const int before = GetLiveObjectCount();
    EXPECT_FALSE(loader.LoadObject("bad.rdf", 0));
    EXPECT_EQ(GetLiveObjectCount(), before);
}

TEST_P(CorruptMeshTest, DeletesWhatItBuiltAndKeepsOnlyTheFallback)
{
    const int kFallbackObjects = 3; // the group, the sprite's object and its sprite
    WriteBadObject();
    WriteFallback();
    loader.LoadObject("bad.rdf", 0);
    const int before = GetLiveObjectCount();
    RefPtr<CPGameObject> object = loader.LoadObject("bad.rdf", 0);
    ASSERT_TRUE(object);
    EXPECT_EQ(GetLiveObjectCount(), before + kFallbackObjects);
}

// Float bit patterns that are no finite number.
const int32_t kNaNBits = 0x7FC00000;
const int32_t kInfinityBits = 0x7F800000;
const int32_t kNegativeInfinityBits = -0x800000; // 0xFF800000

const CorruptCase kCorruptCases[] = {
    {"VertexCut", BadFormat::Static, "vertex", 1, Damage::Cut, 0, "bad.msh: part count is more"},
    {"LastVertexCut", BadFormat::Static, "vertex", 8, Damage::Cut, 0, "vertex count is more"},
    {"LastNameCut", BadFormat::Static, "part name", 2, Damage::Cut, 0, "part name runs past"},
    {"VertexCountTooLarge", BadFormat::Static, "vertex count", 0, Damage::PatchInt, 1000, "vertex count is more"},
    {"VertexCountNegative", BadFormat::Static, "vertex count", 0, Damage::PatchInt, -1, "vertex count is negative"},
    {"IndexCountNegative", BadFormat::Static, "index count", 1, Damage::PatchInt, -2, "index count is negative"},
    {"IndexOutOfRange", BadFormat::Static, "index", 2, Damage::PatchUint16, 3, "indices name a vertex"},
    {"NameWithoutZero", BadFormat::Static, "part name", 1, Damage::StripNameZero, 0, "part name has no terminating"},
    {"BoxCut", BadFormat::Static, "box", 3, Damage::Cut, 0, "part count is more"},
    {"BoxCountTooLarge", BadFormat::Static, "box count", 0, Damage::PatchInt, 100, "box count is more"},
    {"ChildCountTooLarge", BadFormat::Static, "child count", 0, Damage::PatchInt, 100, "child count is more"},
    {"PartCountTooLarge", BadFormat::Static, "part count", 0, Damage::PatchInt, 100, "part count is more"},
    {"TransformNamePastEnd", BadFormat::Static, "transform name length", 0, Damage::PatchInt, 1000,
     "transform name runs past"},
    {"TransformNameNegative", BadFormat::Static, "transform name length", 0, Damage::PatchInt, -1,
     "transform name has a negative length"},
    {"TransformTableShort", BadFormat::Static, "transform element", 5, Damage::Cut, 0, "transform count is more"},
    {"TransformMatrixCut", BadFormat::Static, "transform element", 11, Damage::Cut, 0, "transform matrix runs past"},
    {"PhysicsBlockCut", BadFormat::P3d, "body size", 1, Damage::Cut, 0, "bad.p3d: physics block runs past"},
    {"ShapeCut", BadFormat::P3d, "shape size", 4, Damage::Cut, 0, "shape count is more"},
    {"ShapeCountTooLarge", BadFormat::P3d, "shape count", 0, Damage::PatchInt, 4, "shape count is more"},
    {"PlacementCut", BadFormat::P3d, "placement", 3, Damage::Cut, 0, "placement runs past"},
    {"FrameCountNegative", BadFormat::AnimFirst, "frame count", 0, Damage::PatchInt, -1, "morph frames"},
    {"BoundsCut", BadFormat::AnimFirst, "bounds size", 1, Damage::Cut, 0, "bounds record runs past"},
    {"GroupChildCountTooLarge", BadFormat::AnimFirst, "child count", 1, Damage::PatchInt, 2, "child count is more"},
    {"FollowOnFramesCut", BadFormat::AnimFollowOn, "vertex", 1, Damage::Cut, 0, "morph frames"},
    {"FollowOnChildNameWithoutZero", BadFormat::AnimFollowOn, "child name", 0, Damage::StripNameZero, 0,
     "child name has no terminating"},
    {"NestingTooDeep", BadFormat::DeepStatic, "part header", 0, Damage::PatchInt, 0, "nests parts too deep"},
    {"VertexPositionNaN", BadFormat::Static, "vertex", 4, Damage::PatchInt, kNaNBits,
     "bad.msh: vertices hold a position that is not a finite number"},
    {"P3dVertexPositionInfinite", BadFormat::P3d, "vertex", 0, Damage::PatchInt, kInfinityBits,
     "bad.p3d: vertices hold a position that is not a finite number"},
    {"BoxHalfExtentInfinite", BadFormat::Static, "box", 5, Damage::PatchInt, kNegativeInfinityBits,
     "bad.msh: box is not a finite number"},
    {"MassNaN", BadFormat::P3d, "mass", 0, Damage::PatchInt, kNaNBits, "bad.p3d: physics block is not a finite number"},
    {"GroupMassInfinite", BadFormat::AnimFirst, "mass", 0, Damage::PatchInt, kInfinityBits,
     "physics block is not a finite number"},
    {"ShapeSizeInfinite", BadFormat::P3d, "shape size", 2, Damage::PatchInt, kNegativeInfinityBits,
     "shape is not a finite number"},
    {"PlacementNaN", BadFormat::P3d, "placement", 6, Damage::PatchInt, kNaNBits, "placement is not a finite number"},
    {"FrameTimeInfinite", BadFormat::AnimFirst, "frame time", 0, Damage::PatchInt, kInfinityBits,
     "bad.msh: frame time is not a finite number"},
    {"FollowOnFrameTimeNaN", BadFormat::AnimFollowOn, "frame time", 1, Damage::PatchInt, kNaNBits,
     "bad.msh: frame time is not a finite number"},
};

INSTANTIATE_TEST_SUITE_P(Table, CorruptMeshTest, ::testing::ValuesIn(kCorruptCases),
                         [](const ::testing::TestParamInfo<CorruptCase>& info) { return info.param.title; });

// Lights, particle systems and anim-form sprites whose parent the tree
// lacks, and tracks that no part keeps, go with the load that made them.
TEST_F(ObjectLoaderTest, WhatFindsNoOwnerIsDeletedWithTheLoad)
{
    WriteTriangleMesh("lamp.msh", "Base", {});
    FixtureWriter first, second;
    WriteTrackFile(first, {{"Base", {TranslationKey(1, 0, 0, 0)}},
                           {"Hinge", {TranslationKey(1, 0, 0, 0)}},
                           {"HINGE", {TranslationKey(1, 0, 0, 0)}}});
    WriteTrackFile(second, {{"Base", {TranslationKey(2, 0, 0, 0)}}});
    WriteFile("Data\\Animations\\first.anm", first.GetBytes());
    WriteFile("Data\\Animations\\second.anm", second.GetBytes());
    g_weather = 1;
    WriteDescription("lamp.rdf", DescriptionWriter("lamp.msh")
                                     .Key("light", "lost,nowhere,x,1,2,3,1,1,1,0.1,20")
                                     .Key("psystem", "smoke,nowhere,0,0,0,1,puff")
                                     .Section("base")
                                     .Key("animation", "swing,first.anm;swing,second.anm"));
    FixtureWriter walk;
    WriteAnimationMeshFile(walk, BodyPart(2), false);
    WriteMesh("walk.msh", walk);
    WriteDescription("man.rdf", DescriptionWriter("anim;walk,walk.msh").Key("sprite", "spark,0,0,0,1,nowhere"));

    const struct {
        const char* name;
        int kept;
    } rows[] = {
        {"lamp.rdf", 3}, // the part, its mesh and the second file's track
        {"man.rdf", 4},  // body and arm with their animated objects
    };
    for (const auto& row : rows) {
        loader.LoadObject(row.name, 0);
        const int before = GetLiveObjectCount();
        RefPtr<CPGameObject> object = loader.LoadObject(row.name, 0);
        ASSERT_TRUE(object) << row.name;
        EXPECT_EQ(GetLiveObjectCount(), before + row.kept) << row.name;
    }
}

// The top part stands at depth 0: a chain of 65 parts is the deepest read.
TEST_F(ObjectLoaderTest, PartsNestSixtyFiveLevelsAndNoMore)
{
    for (int depth : {64, 65}) {
        FixtureWriter out;
        WriteStaticMeshFile(out, {DeepChain(depth)}, false);
        WriteMesh("deep.msh", out);
        WriteDescription("deep.rdf", DescriptionWriter("deep.msh"));
        RefPtr<CPGameObject> chain = loader.LoadObject("deep.rdf", 0);
        if (depth == 65) {
            EXPECT_FALSE(chain);
            ASSERT_FALSE(loader.GetErrors().empty());
            EXPECT_NE(loader.GetErrors().back().find("nests parts too deep"), std::string::npos);
            continue;
        }
        ASSERT_TRUE(chain);
        CPGameObject::ObjectList parts;
        chain->CollectTree(parts);
        EXPECT_EQ(parts.size(), 65u);
        EXPECT_TRUE(loader.GetErrors().empty());
    }
}

TEST_F(ObjectLoaderTest, NegativeBoxShapeAndChildCountsReadNothing)
{
    MeshPartData post = CratePart();
    post.shapes.clear();
    FixtureWriter out;
    WriteStaticMeshFile(out, {post, TrianglePart("Rail")}, true);
    out.PatchInt(out.FindField("shape count", 0), -4);
    out.PatchInt(out.FindField("child count", 0), -1);
    WriteMesh("fence.p3d", out);
    WriteDescription("fence.rdf", DescriptionWriter("fence.p3d"));

    RefPtr<CPGameObject> fence = loader.LoadObject("fence.rdf", 0);
    ASSERT_TRUE(fence);
    EXPECT_EQ(ChildNames(*fence), (std::vector<std::string>{"crate", "rail"}));
    EXPECT_TRUE(loader.GetErrors().empty());
}

TEST_F(ObjectLoaderTest, MissingDescriptionOrMeshFileGivesTheFallbackOrNone)
{
    WriteDescription("hollow.rdf", DescriptionWriter("gone.msh"));
    WriteDescription("ghost.rdf", DescriptionWriter("anim;walk,gone.msh"));
    EXPECT_FALSE(loader.LoadObject("nothing.rdf", 0));
    EXPECT_FALSE(loader.LoadObject("hollow.rdf", 0));
    WriteFallback();
    for (const char* name : {"nothing.rdf", "hollow.rdf", "ghost.rdf"}) {
        RefPtr<CPGameObject> object = loader.LoadObject(name, 0);
        ASSERT_TRUE(object) << name;
        EXPECT_TRUE(object->GetChildByName("wrong")) << name;
    }
}

TEST_F(ObjectLoaderTest, NameFieldsHoldAtMost259BytesBeforeTheirZero)
{
    const std::string longest(259, 'n');
    FixtureWriter out;
    WriteName260(out, longest, "name");
    ASSERT_EQ(out.GetBytes().size(), 260u);
    EXPECT_EQ(out.GetBytes().back(), '\0');
    EXPECT_THROW(WriteName260(out, longest + "n", "name"), std::length_error);
    EXPECT_EQ(out.GetBytes().size(), 260u) << "a refused name writes nothing";

    FixtureWriter mesh;
    WriteStaticMeshFile(mesh, {TrianglePart(longest)}, false);
    WriteMesh("long.msh", mesh);
    WriteDescription("long.rdf", DescriptionWriter("long.msh"));
    RefPtr<CPGameObject> loaded = loader.LoadObject("long.rdf", 0);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetName(), longest);
}

// Records the path of every file that the data files open.
class OpenedPaths : public FileSystem {
public:
    FILE* Open(const char* path, const char* mode) override
    {
        paths.push_back(path);
        return FileSystem::Open(path, mode);
    }

    std::vector<std::string> paths;
};

// Each row names a file outside the data folders, or a device, by one key of
// a wall's description, or loads such a description by name. The name is
// told in the render log and opens nothing; the rest of the wall is built,
// except where the refused name is what it is built from.
TEST_F(ObjectLoaderTest, NamesOutsideTheDataFoldersAreToldAndOpenNothing)
{
    WriteFallback();
    WriteTriangleMesh("wall.msh", "Wall", {"Brick"});
    struct Row {
        const char* loaded;
        const char* meshEntry;
        const char* key;
        const char* value;
        const char* told;
        bool builds;
    };
    const Row rows[] = {
        {"wall.rdf", "..\\..\\outside.msh", "effectfile", "stone.fx", "..\\..\\outside.msh", false},
        {"wall.rdf", "anim;walk,..\\outside.msh", "effectfile", "stone.fx", "..\\outside.msh", false},
        {"wall.rdf", "wall.msh", "texturefile1", "..\\..\\outside.tga", "..\\..\\outside.tga", true},
        {"wall.rdf", "wall.msh", "texturefile3", "bricks\\com3.tga", "bricks\\com3.tga", true},
        {"wall.rdf", "wall.msh", "effectfile", "data\\..\\..\\outside.fx", "data\\..\\..\\outside.fx", true},
        {"wall.rdf", "wall.msh", "effectfile", "aux.fx", "aux.fx", true},
        {"wall.rdf", "wall.msh", "animation", "open,..\\outside.anm", "..\\outside.anm", true},
        {"wall.rdf", "wall.msh", "lod", "..\\..\\outside.rdf,2", "..\\..\\outside.rdf", true},
        {"wall.rdf", "wall.msh", "description", "..\\outside.xml", "..\\outside.xml", true},
        {"wall.rdf", "wall.msh", "shadowtextures", "..\\..,_s.dds,_s.fx", "..\\..", true},
        {"..\\..\\outside.rdf", "wall.msh", "effectfile", "stone.fx", "..\\..\\outside.rdf", false},
        {"nul.rdf", "wall.msh", "effectfile", "stone.fx", "nul.rdf", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.told);
        WriteDescription("wall.rdf", DescriptionWriter(row.meshEntry)
                                         .Section("brick")
                                         .Key("effectfile", "stone.fx")
                                         .Key(row.key, row.value));
        GetRenderLog().Clear();
        OpenedPaths opened;
        RefPtr<CPGameObject> wall;
        {
            ScopedFileSystem recording(opened);
            wall = loader.LoadObject(row.loaded, 0);
        }
        ASSERT_TRUE(wall);
        EXPECT_EQ(wall->GetName(), row.builds ? "wall" : "empty");
        for (const std::string& path : opened.paths) {
            EXPECT_EQ(path.find(".."), std::string::npos) << path;
            EXPECT_EQ(path.find(row.told), std::string::npos) << path;
        }
        const std::string told = std::string("\"") + row.told + "\" names a file outside the game's folders";
        const std::vector<std::string>& lines = GetRenderLog().GetLines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [&](const std::string& line) { return line.find(told) != std::string::npos; }));
    }
}

// A part's name makes its shadow texture's name, and its first texture its
// fire texture's: each is checked as it is made.
TEST_F(ObjectLoaderTest, MadeShadowAndFireNamesOutsideTheDataFoldersOpenNothing)
{
    WriteTriangleMesh("hut.msh", "..\\..\\Hut", {});
    WriteDescription("hut.rdf", DescriptionWriter("hut.msh")
                                    .Key("shadowtextures", "shadows,_s.dds,_s.fx")
                                    .Section("..\\..\\hut")
                                    .Key("effectfile", "stone.fx")
                                    .Key("texturefile1", "lpt2\\bark.dds"));
    GetRenderLog().Clear();
    OpenedPaths opened;
    RefPtr<CPGameObject> hut;
    {
        ScopedFileSystem recording(opened);
        hut = loader.LoadObject("hut.rdf", 0);
    }
    ASSERT_TRUE(hut);
    EXPECT_EQ(hut->GetName(), "..\\..\\hut");
    for (const std::string& path : opened.paths) {
        EXPECT_EQ(path.find(".."), std::string::npos) << path;
        EXPECT_EQ(path.find("lpt2"), std::string::npos) << path;
    }
    const std::vector<std::string> told = {
        "Data\\Meshes\\hut.rdf: shadow texture \"..\\..\\hut_s.dds\" names a file outside the game's folders; not read",
        "texture \"lpt2\\bark.dds\" names a file outside the game's folders; not read",
        "Data\\Meshes\\hut.rdf: fire texture \"lpt2\\bark_fire.tga\" names a file outside the game's folders; not read",
    };
    EXPECT_EQ(GetRenderLog().GetLines(), told);
}

// A type that with the offset does not fit an int damages the description.
TEST_F(ObjectLoaderTest, MaterialTypeOutsideAnIntGivesTheFallback)
{
    WriteFallback();
    WriteTriangleMesh("tile.msh", "Tile", {});
    const struct {
        const char* type;
        int offset;
        bool fits;
    } rows[] = {
        {"2147483640", 7, true}, {"2147483641", 7, false},   {"-2147483647", -1, true},
        {"-2147483647", -2, false}, {"99999999999", 0, false}, {"-4294967296", 0, false},
    };
    for (const auto& row : rows) {
        WriteDescription("tile.rdf", DescriptionWriter("tile.msh").Section("tile").Key("type", row.type));
        RefPtr<CPGameObject> tile = loader.LoadObject("tile.rdf", row.offset);
        ASSERT_TRUE(tile) << row.type;
        if (row.fits) {
            ASSERT_EQ(tile->GetName(), "tile") << row.type;
            EXPECT_EQ(MaterialOf(tile)->GetType(), std::atoll(row.type) + row.offset);
        } else {
            EXPECT_TRUE(tile->GetChildByName("wrong")) << row.type;
            ASSERT_FALSE(loader.GetErrors().empty());
            EXPECT_NE(loader.GetErrors().back().find("tile.rdf: type of part tile does not fit an int"),
                      std::string::npos)
                << loader.GetErrors().back();
        }
    }
}

TEST_F(ObjectLoaderTest, ErrorListKeepsTheLastHundred)
{
    for (int load = 0; load <= 100; ++load) {
        loader.LoadObject("gone" + std::to_string(load) + ".rdf", 0);
        if (load == 99) {
            ASSERT_EQ(loader.GetErrors().size(), 100u);
            EXPECT_NE(loader.GetErrors().front().find("\\gone0.rdf"), std::string::npos);
        }
    }
    ASSERT_EQ(loader.GetErrors().size(), 100u);
    EXPECT_NE(loader.GetErrors().front().find("\\gone1.rdf"), std::string::npos) << loader.GetErrors().front();
    EXPECT_NE(loader.GetErrors().back().find("\\gone100.rdf"), std::string::npos) << loader.GetErrors().back();
}

TEST_F(ObjectLoaderTest, LevelOfDetailCycleEnds)
{
    WriteTriangleMesh("c.msh", "C", {});
    WriteDescription("c.rdf", DescriptionWriter("c.msh").Key("lod", "d.rdf,1"));
    WriteTriangleMesh("d.msh", "D", {});
    WriteDescription("d.rdf", DescriptionWriter("d.msh").Key("lod", "c.rdf,1"));

    RefPtr<CPGameObject> c = loader.LoadObject("c.rdf", 0);
    ASSERT_TRUE(c);
    ASSERT_EQ(c->GetLevelsOfDetail().size(), 2u);
    RefPtr<CPGameObject> level = c->GetLevelsOfDetail()[1].object;
    ASSERT_TRUE(level);
    EXPECT_EQ(level->GetName(), "d");
    ASSERT_EQ(level->GetLevelsOfDetail().size(), 2u);
    EXPECT_FALSE(level->GetLevelsOfDetail()[1].object);
}

// The loader makes every object its own first level of detail: filling
// the shared buffer writes the object once and its other level once.
TEST_F(ObjectLoaderTest, FillingTheSharedBufferWritesALoadedObjectAndItsOtherLevelOnce)
{
    WriteTriangleMesh("near.msh", "Near", {"Lamp"});
    WriteDescription("near.rdf", DescriptionWriter("near.msh").Key("lod", "far.rdf,1"));
    WriteTriangleMesh("far.msh", "Far", {});
    WriteDescription("far.rdf", DescriptionWriter("far.msh"));
    RefPtr<CPGameObject> object = loader.LoadObject("near.rdf", 0);
    ASSERT_TRUE(object);
    ASSERT_EQ(object->GetLevelsOfDetail().size(), 2u);

    const int kCapacity = 64;
    RecordingRing ring(1, kCapacity, kCapacity);
    CPIVertexBuffer buffer(ring.VertexBuffers(), ring.IndexBuffers(), kCapacity, kCapacity, false);
    CPRenderQueue queue(&buffer);
    ASSERT_TRUE(buffer.Lock(0, 0, true, -1));
    queue.FillVertexBuffer(object);
    buffer.Unlock(true);
    EXPECT_EQ(buffer.GetBaseCounter(), 3 * 3) << "near, lamp and far, one triangle each";
}

// A post whose box shape sits off its centre, turned a quarter round z.
MeshPartData PostPart()
{
    MeshPartData post = TrianglePart("Post");
    post.placement = {0, 0, 0, 0, 0, 0, 1};
    post.mass = 1.0f;
    post.shapes = {ShapeData{0, 2, 2, 4, {6, 0, 0}, {0, 0, 0.70710678f, 0.70710678f}, 0, 1.0f}};
    return post;
}

TEST_F(ObjectLoaderTest, CopyOfALoadedTreeOwnsItsComponentsSharesResourcesAndHitsTheSamePart)
{
    FixtureWriter post;
    WriteStaticMeshFile(post, {PostPart()}, true);
    WriteMesh("post.p3d", post);
    WriteMesh("House.msh", HouseMesh());
    FixtureWriter walk;
    WriteAnimationMeshFile(walk, BodyPart(2), false);
    WriteMesh("walk.msh", walk);
    FixtureWriter tracks;
    WriteTrackFile(tracks, {{"Post", {TranslationKey(0, 0, 0, 0)}}});
    WriteFile("Data\\Animations\\sway.anm", tracks.GetBytes());
    g_weather = 1;
    WriteDescription("post.rdf", DescriptionWriter("post.p3d")
                                     .Key("sprite", "glow,0,0,3,1,post")
                                     .Key("light", "bulb,post,x,0,0,3,1,1,1,0.1,20")
                                     .Key("psystem", "smoke,post,0,0,3,2,puff")
                                     .Section("post")
                                     .Key("animation", "idle,sway.anm"));
    WriteDescription("house.rdf", DescriptionWriter("House.msh"));
    WriteDescription("man.rdf", DescriptionWriter("anim;walk,walk.msh"));

    RefPtr<CPGameObject> source = loader.LoadObject("post.rdf", 0);
    ASSERT_TRUE(source);
    source->AddChild(loader.LoadObject("house.rdf", 0));
    source->AddChild(loader.LoadObject("man.rdf", 0));
    RefPtr<CPGameObject> copy = new CPGameObject(source->GetName());
    copy->CopyFrom(source);

    std::vector<std::string> kinds;
    CPGameObject::ObjectList sourceTree, copyTree;
    source->CollectTree(sourceTree);
    copy->CollectTree(copyTree);
    ASSERT_EQ(copyTree.size(), sourceTree.size());
    for (size_t i = 0; i < sourceTree.size(); ++i) {
        const RefPtr<CPGameObject>& from = sourceTree[i];
        const RefPtr<CPGameObject>& to = copyTree[i];
        EXPECT_NE(from.Get(), to.Get());
        EXPECT_EQ(to->GetName(), from->GetName());
        EXPECT_EQ(to->GetKind(), from->GetKind()) << from->GetName();
        if (from->GetComponent()) {
            EXPECT_NE(to->GetComponent(), from->GetComponent()) << from->GetName();
        }
        kinds.push_back(std::to_string(from->GetKind()));
    }
    for (int kind = CPGameObject::kKindMesh; kind <= CPGameObject::kKindGroup; ++kind) {
        EXPECT_NE(std::find(kinds.begin(), kinds.end(), std::to_string(kind)), kinds.end()) << kind;
    }

    EXPECT_EQ(MaterialOf(copy), MaterialOf(source));
    ASSERT_NE(copy->GetIdleAnimation(), nullptr);
    EXPECT_NE(copy->GetIdleAnimation(), source->GetIdleAnimation());
    EXPECT_NE(copy->GetPhysicData(), source->GetPhysicData());
    RefPtr<CPGameObject> sourceWall = source->FindChild("wall"), copyWall = copy->FindChild("wall");
    EXPECT_EQ(Mesh(copyWall)->GetStaticBuffers(), Mesh(sourceWall)->GetStaticBuffers());
    EXPECT_EQ(Animated(copy->FindChild("body"))->GetAnimation("walk"),
              Animated(source->FindChild("body"))->GetAnimation("walk"));
    CPSprite* sourceSprite = static_cast<CPSprite*>(source->FindChild("glow")->GetComponent());
    CPSprite* copySprite = static_cast<CPSprite*>(copy->FindChild("glow")->GetComponent());
    EXPECT_EQ(copySprite->GetOwner(), copy->FindChild("glow").Get());
    RefPtr<CPMaterial> sourceSpriteMaterial, copySpriteMaterial;
    sourceSprite->GetMaterial(sourceSpriteMaterial);
    copySprite->GetMaterial(copySpriteMaterial);
    EXPECT_EQ(copySpriteMaterial.Get(), sourceSpriteMaterial.Get());

    for (const RefPtr<CPGameObject>& moved : {source, copy}) {
        moved->SetPosition(10.0f, 0.0f, 0.0f);
        moved->UpdateTransform();
    }
    // The turned box stands at (16, 0, 1) once moved, 4 wide along x and 2
    // along y: unturned or unmoved, the ray would pass it by.
    for (const RefPtr<CPGameObject>& tree : {source, copy}) {
        RayQuery query;
        query.origin = D3DXVECTOR3(17.5f, -10.0f, 1.0f);
        query.direction = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
        query.distance = 100.0f;
        ASSERT_TRUE(tree->IntersectRay(query));
        EXPECT_EQ(query.hitObject.Get(), tree.Get());
        EXPECT_NEAR(query.distance, 9.0f, 1e-3f);
    }
}

} // namespace
