#include "Render/PObjectLoader.h"

#include "core/CommandReceiver.h"
#include "core/OwnedObjects.h"
#include "core/PCommandManager.h"
#include "core/PDataFile.h"
#include "core/PGameObject.h"
#include "core/Settings.h"
#include "core/StringUtils.h"
#include "physics/PPhysicData.h"
#include "Render/MeshFileReader.h"
#include "Render/PAnimatedObject.h"
#include "Render/PAnimation.h"
#include "Render/PAnimationCache.h"
#include "Render/PLight.h"
#include "Render/PMaterial.h"
#include "Render/PParticleSystem.h"
#include "Render/PPartAnimation.h"
#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "Render/PSprite.h"
#include "Render/RenderLog.h"

#include <d3dx9.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unordered_set>
#include <vector>

CPObjectLoader* g_pObjectLoader = nullptr;

namespace {

const D3DCOLOR kOpaqueWhite = 0xFFFFFFFF;
const char kAnimationFolder[] = "Data\\Animations\\";

// A key is its passage time and the first three columns of its matrix.
const int kKeyElementCount = 12;
const size_t kKeySize = (1 + kKeyElementCount) * sizeof(float);

// The file holds, for each of the output axes x, y and z in turn, the
// coefficients of the input x, y and z and then the translation: the first
// three columns of a row-vector matrix, column by column.
D3DXMATRIX ReadKeyMatrix(CPDataFile& file)
{
    D3DXMATRIX matrix;
    D3DXMatrixIdentity(&matrix);
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 4; ++row) {
            matrix.m[row][column] = file.ReadFloat();
        }
    }
    return matrix;
}

// Reads one track's keys; false, with nothing read, when the key count is
// negative or more keys than the bytes left could hold.
bool ReadTrackKeys(CPDataFile& file, std::vector<D3DXMATRIX>& matrices, std::vector<float>& times)
{
    const int32_t keyCount = file.ReadInt();
    if (file.HasReadError() || keyCount < 0) return false;
    if (static_cast<size_t>(keyCount) > file.GetBytesLeft() / kKeySize) return false;
    matrices.reserve(keyCount);
    times.reserve(keyCount);
    for (int32_t key = 0; key < keyCount; ++key) {
        times.push_back(file.ReadFloat());
        matrices.push_back(ReadKeyMatrix(file));
    }
    return true;
}

} // namespace

CPObjectLoader::CPObjectLoader() : m_vertexColour(kOpaqueWhite), m_shadowTexturesActive(false), m_loadDepth(0) {}

void CPObjectLoader::LoadAnimationFile(const std::string& fileName, PartAnimationMap& tracks)
{
    if (!CheckNameInsideFolder(NamePlace("animation"), fileName)) return;
    CPDataFile file(kAnimationFolder + fileName, false);
    if (FAILED(file.Load())) return;
    const int32_t trackCount = file.ReadInt();
    for (int32_t track = 0; track < trackCount; ++track) {
        std::string name;
        file.ReadString(name);
        std::vector<D3DXMATRIX> matrices;
        std::vector<float> times;
        if (file.HasReadError() || !ReadTrackKeys(file, matrices, times)) return;
        CPPartAnimation* animation = KeepMade(new CPPartAnimation());
        animation->SetKeys(matrices, times);
        tracks[StringToLower(name)] = animation;
    }
}

D3DCOLOR GetLoaderVertexColour()
{
    return g_pObjectLoader ? g_pObjectLoader->GetVertexColour() : kOpaqueWhite;
}

namespace {

const char kMeshFolder[] = "Data\\Meshes\\";
const char kTextureFolder[] = "Data\\Textures\\";
const char kEffectFolder[] = "Data\\Effects\\";
const char kFallbackDescription[] = "wrong.rdf";
const char kEmptyMesh[] = "empty";
const char kAnimationList[] = "anim";
const char kNullLevel[] = "null";

// Nesting deeper than this is taken for a damaged file.
const int kMaxPartDepth = 64;

const size_t kVertexSize = 48;
const size_t kBoxRecordSize = 96;
const size_t kPlacementSize = 28;
const size_t kPhysicsBlockWords = 13;
const size_t kShapeRecordWords = 13;
const size_t kShapeRecordSize = kShapeRecordWords * sizeof(float);
const size_t kTransformFloats = 12;
// The least each record can take: its fixed fields and zero counts.
const size_t kCountSize = sizeof(int32_t);
const size_t kMinMeshRecord = kCountSize + MeshFileReader::kNameFieldSize + 4 * kCountSize;
const size_t kMinP3dRecord = kCountSize + MeshFileReader::kNameFieldSize + kPlacementSize +
                             kPhysicsBlockWords * 4 + 4 * kCountSize;
const size_t kMinFollowOn = kPlacementSize + 2 * kShapeRecordSize + 2 * kCountSize + 2 * kCountSize;
const size_t kMinGroupRecord = MeshFileReader::kNameFieldSize + kMinFollowOn;
const size_t kMinNamedFollowOn = MeshFileReader::kNameFieldSize + kMinFollowOn;
const size_t kMinTransformEntry = kCountSize + kTransformFloats * sizeof(float);

const int kShadowMaterialType = 16;
const int kFireMaterialType = 20;
const char kHoleyEffect[] = "holey.fx";
const char kHoleyShadowEffect[] = "holey_shadow.fx";
const char kFireSuffix[] = "_fire.tga";

// The p3d extents of a part's vertices start from these, as the files were
// made against them.
const float kVertexMinimumStart = 5000000.0f;
const float kVertexMaximumStartXZ = -500000.0f;
const float kVertexMaximumStartY = -5000000.0f;
const float kParticleSystemHalfExtent = 0.5f;

// Sprite entries come in the mesh and empty branches' ten-field form and
// the anim branch's six-field form.
const int kSpriteMeshForm = 0;
const int kSpriteEmptyForm = 1;
const int kSpriteAnimForm = 2;

bool FileOpens(const std::string& path)
{
    CPDataFile file(path, false);
    return SUCCEEDED(file.Load());
}

// Words 1 to 3 of a physics block are integers, word 12 the mass.
struct PhysicsBlock {
    int32_t sizes[3];
    float mass;
};

PhysicsBlock ReadPhysicsBlock(MeshFileReader& stream)
{
    PhysicsBlock block;
    stream.ReadInt("physics block");
    for (int32_t& size : block.sizes) size = stream.ReadInt("physics block");
    stream.Skip(8 * sizeof(int32_t), "physics block");
    block.mass = stream.ReadFloat("physics block");
    return block;
}

void GivePhysicData(CPGameObject& part, CPPhysicData* physicData, const PhysicsBlock& block)
{
    part.SetPhysicData(physicData);
    physicData->SetBodyParams(static_cast<float>(block.sizes[0]), static_cast<float>(block.sizes[1]),
                              static_cast<float>(block.sizes[2]), block.mass);
}

// A shape record: type, sizes A to C, position, quaternion, size D, mass.
struct ShapeRecord {
    int32_t type;
    float sizeA, sizeB, sizeC;
    float position[3];
    float orientation[4];
    float sizeD;
    float mass;
};

ShapeRecord ReadShapeRecord(MeshFileReader& stream, const char* field)
{
    ShapeRecord shape;
    shape.type = stream.ReadInt(field);
    shape.sizeA = stream.ReadFloat(field);
    shape.sizeB = stream.ReadFloat(field);
    shape.sizeC = stream.ReadFloat(field);
    stream.ReadFloats(shape.position, 3, field);
    stream.ReadFloats(shape.orientation, 4, field);
    shape.sizeD = stream.ReadFloat(field);
    shape.mass = stream.ReadFloat(field);
    return shape;
}

// The box of a box shape: its A, C and B sizes as x, y and z extents, turned
// by the conjugate of the stored rotation and lifted by half its height.
CPBoundingBox ShapeBox(const ShapeRecord& shape)
{
    CPBoundingBox box(D3DXVECTOR3(0.0f, 0.0f, 0.0f),
                      D3DXVECTOR3(shape.sizeA / 2.0f, shape.sizeC / 2.0f, shape.sizeB / 2.0f));
    const D3DXQUATERNION turn(-shape.orientation[0], -shape.orientation[1], -shape.orientation[2],
                              shape.orientation[3]);
    D3DXMATRIX rotation, translation, matrix;
    D3DXMatrixRotationQuaternion(&rotation, &turn);
    D3DXMatrixTranslation(&translation, shape.position[0], shape.position[1],
                          shape.position[2] + shape.sizeB / 2.0f);
    D3DXMatrixMultiply(&matrix, &rotation, &translation);
    box.SetOwnMatrix(matrix);
    return box;
}

CPBoundingBox CentredBox(float halfExtent)
{
    return CPBoundingBox(D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(halfExtent, halfExtent, halfExtent));
}

// The section of the name, or an empty one when the description has none;
// reading the description leaves it as it was.
const KeySection& SectionOf(const SectionMap& sections, const std::string& name)
{
    static const KeySection kNoKeys;
    auto found = sections.find(name);
    return found == sections.end() ? kNoKeys : found->second;
}

// The key's text in the section, or the empty text when it has none.
const std::string& KeyText(const KeySection& section, const std::string& key)
{
    static const std::string kNoText;
    auto found = section.find(key);
    return found == section.end() ? kNoText : found->second;
}

void CheckDepth(MeshFileReader& stream, int depth)
{
    if (depth > kMaxPartDepth) stream.Fail("child count", "nests parts too deep");
}

// The number the text starts with plus the offset, summed in 64 bits; false
// when the number or the sum lies outside an int.
bool SumFitsAnInt(const std::string& text, int offset, int& sum)
{
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < INT_MIN || value > INT_MAX) return false;
    const long long total = value + offset;
    if (total < INT_MIN || total > INT_MAX) return false;
    sum = static_cast<int>(total);
    return true;
}

bool IsSnow(const std::string& name)
{
    return name == "snow" || name == "snow2" || name == "snow3";
}

// The parent an entry names: the root by its own name, else the descendant
// of that name, else none.
CPGameObject* NamedParent(CPGameObject& root, const std::string& name)
{
    if (name == root.GetName()) return &root;
    return root.FindChild(name).Get();
}

} // namespace

RefPtr<CPGameObject> CPObjectLoader::LoadObject(const std::string& name, int typeOffset)
{
    ++m_loadDepth;
    RefPtr<CPGameObject> object = LoadDescribedObject(name, typeOffset);
    if (--m_loadDepth == 0) HandOver(object.Get());
    return object;
}

// A long run of damaged loads keeps only its latest faults.
void CPObjectLoader::RecordError(const std::string& error)
{
    const size_t kErrorsKept = 100;
    m_errors.push_back(error);
    if (m_errors.size() > kErrorsKept) m_errors.erase(m_errors.begin());
}

CPGameObject* CPObjectLoader::MakeGameObject(const std::string& name)
{
    CPGameObject* object = new CPGameObject(name);
    if (m_loadDepth > 0) m_madeObjects.push_back(object);
    return object;
}

// The game objects go first, parents before their children, while the
// drawables, physics data and tracks that their destructors let go of are
// still there.
void CPObjectLoader::HandOver(CPGameObject* root)
{
    std::unordered_set<IPObject*> held;
    if (root) CollectHeldObjects(*root, held);
    std::vector<CPGameObject*> objects;
    std::vector<IPObject*> parts;
    objects.swap(m_madeObjects);
    parts.swap(m_madeParts);
    for (CPGameObject* object : objects) {
        if (!held.count(object)) delete object;
    }
    for (IPObject* part : parts) {
        if (!held.count(part)) delete part;
    }
}

std::string CPObjectLoader::LoadingPath() const
{
    return m_loading.empty() ? std::string() : kMeshFolder + m_loading.back();
}

std::string CPObjectLoader::NamePlace(const char* key) const
{
    return m_loading.empty() ? std::string(key) : LoadingPath() + ": " + key;
}

bool CPObjectLoader::OpensInFolder(const char* folder, const char* key, const std::string& name) const
{
    return CheckNameInsideFolder(NamePlace(key), name) && FileOpens(folder + name);
}

RefPtr<CPGameObject> CPObjectLoader::LoadDescribedObject(const std::string& name, int typeOffset)
{
    if (!CheckNameInsideFolder(NamePlace(m_loading.empty() ? "object description" : "lod"), name)) {
        return LoadFallback(typeOffset);
    }
    CPDataFile file(kMeshFolder + name, false);
    if (FAILED(file.Load())) {
        RecordError(kMeshFolder + name + ": the description does not open");
        return LoadFallback(typeOffset);
    }
    ObjectDescription description;
    description.Parse(file.GetData(), file.GetDataSize());
    if (!description.shadowTextures.empty()) SwitchShadowTexturesOn(name, description.shadowTextures);
    m_loading.push_back(name);
    RefPtr<CPGameObject> object;
    try {
        object = BuildObject(name, description, typeOffset);
    } catch (const MeshFileError& error) {
        RecordError(error.what());
    }
    m_loading.pop_back();
    if (!object) return LoadFallback(typeOffset);
    if (!description.descriptionName.empty() &&
        CheckNameInsideFolder(kMeshFolder + name + ": description", description.descriptionName)) {
        object->SetDescriptionName(description.descriptionName);
        object->LoadDescription();
    }
    m_shadowTexturesActive = false;
    return object;
}

// The value names the folder of the parts' shadow textures in "Data\Textures"
// and the suffixes of their names and of their effects' names.
void CPObjectLoader::SwitchShadowTexturesOn(const std::string& name, const std::string& value)
{
    const std::vector<std::string> fields = SplitFields(value, ",");
    if (!CheckNameInsideFolder(kMeshFolder + name + ": shadowtextures", FieldAt(fields, 0))) return;
    m_shadowTextureFolder = FieldAt(fields, 0);
    m_shadowTextureSuffix = FieldAt(fields, 1);
    m_shadowEffectSuffix = FieldAt(fields, 2);
    m_shadowTexturesActive = true;
}

// The object of "wrong.rdf" in place of one that could not be built; none
// when that is the one that failed.
RefPtr<CPGameObject> CPObjectLoader::LoadFallback(int typeOffset)
{
    m_shadowTexturesActive = false;
    if (std::find(m_loading.begin(), m_loading.end(), kFallbackDescription) != m_loading.end()) return nullptr;
    m_loading.push_back(kFallbackDescription);
    RefPtr<CPGameObject> fallback;
    CPDataFile probe(kMeshFolder + std::string(kFallbackDescription), false);
    if (SUCCEEDED(probe.Load())) fallback = LoadObject(kFallbackDescription, typeOffset);
    m_loading.pop_back();
    return fallback;
}

RefPtr<CPGameObject> CPObjectLoader::BuildObject(const std::string& name, ObjectDescription& description,
                                                 int typeOffset)
{
    const std::vector<std::string> fields = SplitFields(description.meshEntry, ";");
    if (FieldAt(fields, 0) == kAnimationList) return BuildFromAnimationFiles(name, description, typeOffset);
    if (description.meshEntry == kEmptyMesh) return BuildEmptyGroup(description, typeOffset);
    return BuildFromMeshFile(name, description, typeOffset);
}

RefPtr<CPGameObject> CPObjectLoader::BuildFromMeshFile(const std::string& name, ObjectDescription& description,
                                                       int typeOffset)
{
    if (!CheckNameInsideFolder(NamePlace("mesh"), description.meshEntry)) return nullptr;
    m_currentMeshName = description.meshEntry;
    StringToLower(m_currentMeshName);
    const std::string path = kMeshFolder + description.meshEntry;
    CPDataFile file(path, false);
    if (FAILED(file.Load())) {
        RecordError(path + ": the mesh file does not open");
        return nullptr;
    }
    MeshFileReader stream(file, path);
    const bool p3d = m_currentMeshName.size() >= 3 &&
                     m_currentMeshName.compare(m_currentMeshName.size() - 3, 3, "p3d") == 0;
    stream.ReadInt("file header");
    const int32_t partCount = stream.ReadInt("part count");
    RefPtr<CPGameObject> root;
    auto readPart = [&]() {
        return p3d ? ReadP3dMesh(stream, description.sections, typeOffset)
                   : ReadMesh(stream, description.sections, typeOffset);
    };
    if (partCount == 1) {
        root = readPart();
    } else {
        root = MakeGameObject(name);
        root->SetComponent(CPGameObject::kKindGroup, nullptr);
        if (partCount > 0 &&
            static_cast<size_t>(partCount) > file.GetBytesLeft() / (p3d ? kMinP3dRecord : kMinMeshRecord)) {
            stream.Fail("part count", "is more than the file holds");
        }
        for (int32_t i = 0; i < partCount; ++i) root->AddChild(readPart());
    }
    if (!stream.AtEnd()) {
        ReadTransformTable(stream);
        root->UpdateTransform();
    }
    AddLineKeys(*root, description);
    AddSprites(*root, description, typeOffset, kSpriteMeshForm);
    AddLights(*root, description);
    AddLevelsOfDetail(*root, description, typeOffset);
    AddParticleSystems(*root, description);
    return root;
}

// The table names objects of the tree with their placements in the modelling
// tool; nothing in the object changes by it, but it must be whole.
void CPObjectLoader::ReadTransformTable(MeshFileReader& stream)
{
    const int32_t count = stream.ReadCount("transform count", kMinTransformEntry, true);
    for (int32_t i = 0; i < count; ++i) {
        stream.ReadString("transform name");
        float elements[kTransformFloats];
        stream.ReadFloats(elements, static_cast<int>(kTransformFloats), "transform matrix");
    }
}

RefPtr<CPGameObject> CPObjectLoader::BuildFromAnimationFiles(const std::string& name,
                                                             ObjectDescription& description, int typeOffset)
{
    const std::vector<std::string> entries = SplitFields(description.meshEntry, ";");
    RefPtr<CPGameObject> root;
    for (size_t i = 1; i < entries.size(); ++i) {
        const std::vector<std::string> entry = SplitFields(entries[i], ",");
        const std::string& animationName = FieldAt(entry, 0);
        m_currentMeshFile = FieldAt(entry, 1);
        if (!CheckNameInsideFolder(NamePlace("mesh"), m_currentMeshFile)) continue;
        const std::string path = kMeshFolder + m_currentMeshFile;
        CPDataFile file(path, false);
        if (FAILED(file.Load())) continue;
        MeshFileReader stream(file, path);
        stream.ReadInt("file header");
        stream.ReadInt("file header");
        if (!root) {
            root = ReadMeshGroup(stream, description.sections, typeOffset, animationName);
            root->SetSourceDescriptionName(name);
        } else {
            stream.ReadName("top part name");
            ReadMeshAnimations(root, stream, description.sections, typeOffset, animationName);
        }
        root->UpdateTransform();
    }
    if (!root) {
        RecordError(kMeshFolder + name + ": none of the animation files opens");
        return nullptr;
    }
    AddLevelsOfDetail(*root, description, typeOffset);
    AddSprites(*root, description, typeOffset, kSpriteAnimForm);
    return root;
}

RefPtr<CPGameObject> CPObjectLoader::BuildEmptyGroup(ObjectDescription& description, int typeOffset)
{
    RefPtr<CPGameObject> root = MakeGameObject(kEmptyMesh);
    root->SetComponent(CPGameObject::kKindGroup, nullptr);
    AddSprites(*root, description, typeOffset, kSpriteEmptyForm);
    return root;
}

void CPObjectLoader::AddLevelsOfDetail(CPGameObject& root, const ObjectDescription& description, int typeOffset)
{
    root.AddLevelOfDetail(&root, 0);
    for (const std::string& value : description.levelsOfDetail) {
        const std::vector<std::string> fields = SplitFields(value, ",");
        const std::string& name = FieldAt(fields, 0);
        RefPtr<CPGameObject> level;
        if (name != kNullLevel) level = LoadLevelOfDetail(name, typeOffset);
        root.AddLevelOfDetail(level, FieldInt(fields, 1));
    }
}

RefPtr<CPGameObject> CPObjectLoader::LoadLevelOfDetail(const std::string& name, int typeOffset)
{
    if (std::find(m_loading.begin(), m_loading.end(), name) != m_loading.end()) {
        RecordError(kMeshFolder + name + ": a level of detail names a description being loaded");
        return nullptr;
    }
    return LoadObject(name, typeOffset);
}

void CPObjectLoader::AddLineKeys(CPGameObject& root, const ObjectDescription& description)
{
    for (const std::string& value : description.lineKeyPoints) {
        const std::vector<std::string> fields = SplitFields(value, ",");
        root.GetLineKeyPoints().push_back(
            D3DXVECTOR3(FieldFloat(fields, 0), FieldFloat(fields, 1), FieldFloat(fields, 2)));
    }
    if (!description.lineColour.empty()) {
        unsigned int colour = 0;
        sscanf(description.lineColour.c_str(), "%x", &colour);
        root.SetLineColour(colour);
    }
}

void CPObjectLoader::AddSprites(CPGameObject& root, ObjectDescription& description, int typeOffset, int form)
{
    for (const std::string& value : description.sprites) {
        const std::vector<std::string> fields = SplitFields(value, ",");
        const std::string& name = FieldAt(fields, 0);
        const float size = FieldFloat(fields, 4);
        RefPtr<CPGameObject> object = MakeGameObject(name);
        CPSprite* sprite = KeepMade(new CPSprite(size));
        sprite->SetOwner(object.Get());
        object->SetComponent(CPGameObject::kKindSprite, sprite);
        if (form != kSpriteMeshForm) object->SetBoundingBox(CentredBox(size));
        object->SetPosition(FieldFloat(fields, 1), FieldFloat(fields, 2), FieldFloat(fields, 3));
        if (form != kSpriteAnimForm && !FieldAt(fields, 9).empty()) {
            sprite->SetFacing(D3DXVECTOR3(FieldFloat(fields, 6), FieldFloat(fields, 7), FieldFloat(fields, 8)),
                              FieldFloat(fields, 9));
        }
        ApplyObjectKeys(object, SectionOf(description.sections, name), typeOffset);
        object->SetShadowFlag(false);
        if (form != kSpriteEmptyForm) SetObjectTreeFlag(object.Get(), false);

        const std::string& parentName = FieldAt(fields, 5);
        CPGameObject* parent = nullptr;
        if (form == kSpriteAnimForm) {
            parent = parentName.empty() ? &root : NamedParent(root, parentName);
        } else {
            parent = parentName.empty() ? nullptr : root.FindChild(parentName).Get();
            if (!parent) parent = &root;
        }
        if (parent) parent->AddChild(object);
    }
}

void CPObjectLoader::AddLights(CPGameObject& root, const ObjectDescription& description)
{
    for (const std::string& value : description.lights) {
        const std::vector<std::string> fields = SplitFields(value, ",");
        RefPtr<CPGameObject> object = MakeGameObject(FieldAt(fields, 0));
        CPLight* light = KeepMade(new CPLight());
        light->SetOwner(object.Get());
        object->SetComponent(CPGameObject::kKindLight, light);
        D3DLIGHT9& record = *light->GetLight();
        record.Type = D3DLIGHT_POINT;
        for (D3DCOLORVALUE* colour : {&record.Diffuse, &record.Specular, &record.Ambient}) {
            colour->r = FieldFloat(fields, 6);
            colour->g = FieldFloat(fields, 7);
            colour->b = FieldFloat(fields, 8);
        }
        const float range = FieldFloat(fields, 10);
        record.Range = range;
        record.Attenuation0 = 0.0f;
        record.Attenuation1 = FieldFloat(fields, 9);
        record.Attenuation2 = 0.0f;
        object->SetShadowFlag(false);
        object->SetBoundingBox(CentredBox(range));
        object->SetPosition(FieldFloat(fields, 3), FieldFloat(fields, 4), FieldFloat(fields, 5));
        if (CPGameObject* parent = NamedParent(root, FieldAt(fields, 1))) parent->AddChild(object);
    }
}

void CPObjectLoader::AddParticleSystems(CPGameObject& root, const ObjectDescription& description)
{
    const size_t kFirstEmitterField = 6;
    for (const std::string& value : description.particleSystems) {
        const std::vector<std::string> fields = SplitFields(value, ",");
        const std::string& name = FieldAt(fields, 0);
        if (g_weather == 0 && IsSnow(name)) continue;
        RefPtr<CPGameObject> object = MakeGameObject(name);
        std::vector<std::string> emitters;
        for (size_t i = kFirstEmitterField; i < fields.size(); ++i) emitters.push_back(fields[i]);
        CPParticleSystem* system = KeepMade(new CPParticleSystem(object.Get(), emitters));
        system->SetDamage(FieldFloat(fields, 5));
        object->SetComponent(CPGameObject::kKindParticleSystem, system);
        object->SetShadowFlag(false);
        object->SetBoundingBox(CentredBox(kParticleSystemHalfExtent));
        object->SetPosition(FieldFloat(fields, 2), FieldFloat(fields, 3), FieldFloat(fields, 4));
        if (CPGameObject* parent = NamedParent(root, FieldAt(fields, 1))) parent->AddChild(object);
    }
}

RefPtr<CPGameObject> CPObjectLoader::ReadMesh(MeshFileReader& stream, SectionMap& sections, int typeOffset)
{
    return ReadMeshPart(stream, sections, typeOffset, 0);
}

RefPtr<CPGameObject> CPObjectLoader::ReadP3dMesh(MeshFileReader& stream, SectionMap& sections, int typeOffset)
{
    return ReadP3dPart(stream, sections, typeOffset, 0);
}

RefPtr<CPGameObject> CPObjectLoader::ReadMeshGroup(MeshFileReader& stream, SectionMap& sections, int typeOffset,
                                                   const std::string& animationName)
{
    return ReadGroupPart(stream, sections, typeOffset, animationName, 0);
}

void CPObjectLoader::ReadVertices(MeshFileReader& stream, std::vector<Vertex48>& vertices)
{
    const int32_t count = stream.ReadCount("vertex count", kVertexSize, false);
    stream.ReadArray(vertices, count, "vertices");
    for (Vertex48& vertex : vertices) {
        const D3DXVECTOR3& at = vertex.position;
        if (!std::isfinite(at.x) || !std::isfinite(at.y) || !std::isfinite(at.z)) {
            stream.Fail("vertices", "hold a position that is not a finite number");
        }
        vertex.diffuse = m_vertexColour;
    }
}

namespace {

void ReadIndices(MeshFileReader& stream, std::vector<uint16_t>& indices, size_t vertexCount)
{
    const int32_t count = stream.ReadCount("index count", sizeof(uint16_t), false);
    stream.ReadArray(indices, count, "indices");
    for (uint16_t index : indices) {
        if (index >= vertexCount) stream.Fail("indices", "name a vertex the part does not have");
    }
}

// Passes over a morph stream: frame count and time, then per frame the
// vertices and indices.
void SkipMorphFrames(MeshFileReader& stream)
{
    const size_t kMinFrameSize = 2 * kCountSize;
    const int32_t frameCount = stream.ReadCount("frame count", kMinFrameSize, false);
    stream.ReadFloat("frame time");
    for (int32_t i = 0; i < frameCount; ++i) {
        stream.Skip(stream.ReadCount("vertex count", kVertexSize, false) * kVertexSize, "vertices");
        stream.Skip(stream.ReadCount("index count", sizeof(uint16_t), false) * sizeof(uint16_t), "indices");
    }
}

// The shared animation of the name, read anew from the stream.
RefPtr<CPAnimation> ReadMorphAnimation(MeshFileReader& stream, const std::string& name)
{
    RefPtr<CPAnimation> animation;
    if (!g_pAnimationCache) stream.Fail("morph frames", "have no animation cache to go to");
    if (!g_pAnimationCache->GetAnimation(animation, name, stream.GetFile())) {
        const CPAnimation::LoadFault& fault = animation->GetLoadFault();
        stream.Fail(fault.field, fault.reason);
    }
    return animation;
}

CPRenderObject* GiveRenderObject(CPGameObject& part, CPRenderObject* mesh)
{
    part.SetComponent(CPGameObject::kKindMesh, mesh);
    return mesh;
}

} // namespace

RefPtr<CPGameObject> CPObjectLoader::ReadMeshPart(MeshFileReader& stream, SectionMap& sections, int typeOffset,
                                                  int depth)
{
    CheckDepth(stream, depth);
    stream.ReadInt("part header");
    RefPtr<CPGameObject> part = MakeGameObject(stream.ReadName("part name"));
    CPRenderObject* mesh = GiveRenderObject(*part, KeepMade(new CPRenderObject(part.Get())));
    ReadVertices(stream, mesh->GetLocalVertices());
    mesh->GetWorldVertices() = mesh->GetLocalVertices();
    ReadIndices(stream, mesh->GetIndices(), mesh->GetLocalVertices().size());
    const int32_t boxCount = stream.ReadCount("box count", kBoxRecordSize, true);
    for (int32_t i = 0; i < boxCount; ++i) {
        float box[kBoxRecordSize / sizeof(float)];
        stream.ReadFloats(box, static_cast<int>(kBoxRecordSize / sizeof(float)), "box");
        part->GetParts().push_back(CPBoundingBox(D3DXVECTOR3(box[0], box[1], box[2]),
                                                 D3DXVECTOR3(box[4], box[5], box[6])));
    }
    const int32_t childCount = stream.ReadCount("child count", kMinMeshRecord, true);
    for (int32_t i = 0; i < childCount; ++i) {
        part->AddChild(ReadMeshPart(stream, sections, typeOffset, depth + 1));
    }
    ApplyObjectKeys(part, SectionOf(sections, part->GetName()), typeOffset);
    return part;
}

RefPtr<CPGameObject> CPObjectLoader::ReadP3dPart(MeshFileReader& stream, SectionMap& sections, int typeOffset,
                                                 int depth)
{
    CheckDepth(stream, depth);
    stream.ReadInt("part header");
    RefPtr<CPGameObject> part = MakeGameObject(stream.ReadName("part name"));
    float placement[7];
    stream.ReadFloats(placement, 7, "placement");
    const PhysicsBlock block = ReadPhysicsBlock(stream);
    GivePhysicData(*part, KeepMade(new CPPhysicData(part.Get())), block);
    part->SetPosition(placement[0], placement[1], placement[2]);
    part->SetRotation(-placement[3], -placement[4], -placement[5], placement[6]);

    CPRenderObject* mesh = GiveRenderObject(*part, KeepMade(new CPRenderObject(part.Get())));
    std::vector<Vertex48>& vertices = mesh->GetLocalVertices();
    ReadVertices(stream, vertices);
    D3DXVECTOR3 minimum(kVertexMinimumStart, kVertexMinimumStart, kVertexMinimumStart);
    D3DXVECTOR3 maximum(kVertexMaximumStartXZ, kVertexMaximumStartY, kVertexMaximumStartXZ);
    for (const Vertex48& vertex : vertices) {
        D3DXVec3Minimize(&minimum, &minimum, &vertex.position);
        D3DXVec3Maximize(&maximum, &maximum, &vertex.position);
    }
    part->SetBoundingBox(CPBoundingBox((maximum + minimum) / 2.0f, (maximum - minimum) / 2.0f));
    mesh->GetWorldVertices() = vertices;
    ReadIndices(stream, mesh->GetIndices(), vertices.size());
    ReadShapes(stream, *part);
    const int32_t childCount = stream.ReadCount("child count", kMinP3dRecord, true);
    for (int32_t i = 0; i < childCount; ++i) {
        part->AddChild(ReadP3dPart(stream, sections, typeOffset, depth + 1));
    }
    ApplyObjectKeys(part, SectionOf(sections, part->GetName()), typeOffset);
    return part;
}

// Box shapes become physics boxes and part boxes; shapes of the second type
// only physics shapes. A part without physics data keeps the part boxes.
void CPObjectLoader::ReadShapes(MeshFileReader& stream, CPGameObject& part)
{
    CPPhysicData* physicData = part.GetPhysicData();
    const int32_t count = stream.ReadCount("shape count", kShapeRecordSize, true);
    for (int32_t i = 0; i < count; ++i) {
        const ShapeRecord shape = ReadShapeRecord(stream, "shape");
        if (shape.type == CPPhysicData::kBoxShape) {
            const float position[3] = {shape.position[0], shape.position[1], shape.position[2] + shape.sizeB / 2.0f};
            if (physicData) {
                physicData->AddBox(position, shape.orientation, shape.sizeA, shape.sizeB, shape.sizeC, shape.mass);
            }
            part.GetParts().push_back(ShapeBox(shape));
        } else if (shape.type == CPPhysicData::kCylinderShape && physicData) {
            const float orientation[4] = {-shape.orientation[0], -shape.orientation[1], -shape.orientation[2],
                                          shape.orientation[3]};
            physicData->AddShapeType1(shape.position, orientation, shape.sizeD, shape.sizeB, shape.mass);
        }
    }
}

RefPtr<CPGameObject> CPObjectLoader::ReadGroupPart(MeshFileReader& stream, SectionMap& sections, int typeOffset,
                                                   const std::string& animationName, int depth)
{
    CheckDepth(stream, depth);
    RefPtr<CPGameObject> part = MakeGameObject(stream.ReadName("part name"));
    stream.Skip(kPlacementSize, "placement");
    const PhysicsBlock block = ReadPhysicsBlock(stream);
    const ShapeRecord bounds = ReadShapeRecord(stream, "bounds record");
    if (block.mass > 0.0f) GivePhysicData(*part, KeepMade(new CPPhysicData(part.Get())), block);

    CPAnimatedObject* animated = KeepMade(new CPAnimatedObject());
    animated->SetOwner(part.Get());
    part->SetComponent(CPGameObject::kKindAnimated, animated);
    RefPtr<CPAnimation> animation = ReadMorphAnimation(stream, part->GetName() + "&" + m_currentMeshFile);
    animated->AddAnimation(animationName, animation);
    part->SetBoundingBox(bounds.mass > 0.0f ? ShapeBox(bounds) : animation->GetBoundingBox());

    ReadShapes(stream, *part);
    const int32_t childCount = stream.ReadCount("child count", kMinGroupRecord, true);
    for (int32_t i = 0; i < childCount; ++i) {
        part->AddChild(ReadGroupPart(stream, sections, typeOffset, animationName, depth + 1));
    }
    ApplyObjectKeys(part, SectionOf(sections, part->GetName()), typeOffset);
    return part;
}

void CPObjectLoader::ReadMeshAnimations(RefPtr<CPGameObject> object, MeshFileReader& stream, SectionMap&,
                                        int, const std::string& animationName)
{
    if (!object) return;
    ReadFollowOn(object.Get(), stream, animationName, 0);
}

// Reads one follow-on record; a null object reads it without keeping it, so
// that what follows stays in step.
void CPObjectLoader::ReadFollowOn(CPGameObject* object, MeshFileReader& stream, const std::string& animationName,
                                  int depth)
{
    CheckDepth(stream, depth);
    stream.Skip(kPlacementSize + kPhysicsBlockWords * sizeof(float) + kShapeRecordSize, "placement");
    if (object) {
        RefPtr<CPAnimation> animation = ReadMorphAnimation(stream, object->GetName() + "&" + m_currentMeshFile);
        if (object->GetKind() == CPGameObject::kKindAnimated) {
            static_cast<CPAnimatedObject*>(object->GetComponent())->AddAnimation(animationName, animation);
        }
    } else {
        SkipMorphFrames(stream);
    }
    const int32_t shapeCount = stream.ReadCount("shape count", kShapeRecordSize, true);
    stream.Skip(shapeCount * kShapeRecordSize, "shapes");
    const int32_t childCount = stream.ReadCount("child count", kMinNamedFollowOn, true);
    for (int32_t i = 0; i < childCount; ++i) {
        const std::string name = stream.ReadName("child name");
        CPGameObject* child = object ? object->GetChildByName(name).Get() : nullptr;
        ReadFollowOn(child, stream, animationName, depth + 1);
    }
}

void CPObjectLoader::ApplyObjectKeys(RefPtr<CPGameObject> part, const KeySection& section, int typeOffset)
{
    std::string effect = KeyText(section, "effectfile");
    std::vector<std::string> textures{KeyText(section, "texturefile1")};
    for (const char* key : {"texturefile2", "texturefile3", "texturefile4"}) {
        KeySection::const_iterator found = section.find(key);
        if (found != section.end()) textures.push_back(found->second);
    }
    if (m_shadowTexturesActive) ApplyShadowTextures(part->GetName(), effect, textures);

    RefPtr<CPMaterial> material;
    CPMaterialManager* materials = GetMaterialManager();
    int type = 0;
    if (!SumFitsAnInt(KeyText(section, "type"), typeOffset, type)) {
        throw MeshFileError(LoadingPath() + ": type of part " + part->GetName() + " does not fit an int");
    }
    if (materials) materials->CreateMaterial(material, type, effect, textures);
    if (part->GetShadowFlag()) {
        RefPtr<CPMaterial> shadow;
        if (effect == kHoleyEffect) {
            if (materials) materials->CreateMaterial(shadow, kShadowMaterialType, kHoleyShadowEffect, textures);
        } else if (CPRender* render = GetRender()) {
            shadow = render->GetShadowMaterial();
        }
        part->SetShadowMaterial(shadow);
    }
    IPObject* drawable = part->GetComponent();
    if (drawable && part->GetKind() == CPGameObject::kKindMesh) {
        static_cast<CPRenderObject*>(drawable)->SetMaterial(material);
    } else if (drawable && part->GetKind() == CPGameObject::kKindAnimated) {
        static_cast<CPAnimatedObject*>(drawable)->SetMaterial(material);
    } else if (drawable && part->GetKind() == CPGameObject::kKindSprite) {
        static_cast<CPSprite*>(drawable)->SetMaterial(material);
    }

    KeySection::const_iterator found;
    if ((found = section.find("visible")) != section.end()) part->SetVisible(atoi(found->second.c_str()) != 0);
    if ((found = section.find("shadow")) != section.end()) part->SetShadowFlag(atoi(found->second.c_str()) != 0);
    if ((found = section.find("param")) != section.end()) part->SetParameter(found->second);
    if ((found = section.find("collision")) != section.end()) {
        part->SetCollision(atoi(found->second.c_str()) != 0);
    }
    if ((found = section.find("flametype")) != section.end()) part->SetFlameType(atoi(found->second.c_str()));
    ApplyFireMaterial(*part, KeyText(section, "texturefile1"));
    if ((found = section.find("script")) != section.end()) {
        RefPtr<CommandReceiver> handler;
        if (g_pCommandManager) handler = g_pCommandManager->FindReceiver(found->second);
        part->SetScriptHandler(handler.Get());
    }
    if ((found = section.find("vertexeffect")) != section.end()) {
        ApplyVertexEffects(*part, found->second);
    } else {
        RegisterStaticGeometry(*part);
    }
    if ((found = section.find("animation")) != section.end()) ApplyPartAnimations(*part, found->second);
}

// The part's own shadow texture and the effect's shadow variant replace the
// plain ones only when both files are there.
void CPObjectLoader::ApplyShadowTextures(const std::string& partName, std::string& effect,
                                         std::vector<std::string>& textures) const
{
    const size_t kExtensionLength = 3;
    if (effect.size() < kExtensionLength) return;
    // The folder was checked when the description switched shadow textures on.
    const std::string ownTexture = partName + m_shadowTextureSuffix;
    if (!CheckNameInsideFolder(NamePlace("shadow texture"), ownTexture)) return;
    const std::string texture = m_shadowTextureFolder + "\\" + ownTexture;
    if (!FileOpens(kTextureFolder + texture)) return;
    const std::string shadowEffect = effect.substr(0, effect.size() - kExtensionLength) + m_shadowEffectSuffix;
    if (!OpensInFolder(kEffectFolder, "shadow effect", shadowEffect)) return;
    textures.push_back(texture);
    effect = shadowEffect;
}

void CPObjectLoader::ApplyFireMaterial(CPGameObject& part, const std::string& firstTexture)
{
    const std::string fireTexture = firstTexture.substr(0, firstTexture.find('.')) + kFireSuffix;
    CPMaterialManager* materials = GetMaterialManager();
    if (!materials || !OpensInFolder(kTextureFolder, "fire texture", fireTexture)) return;
    RefPtr<CPMaterial> fire;
    materials->CreateMaterial(fire, kFireMaterialType, kHoleyEffect, {fireTexture});
    part.SetFireMaterial(fire);
}

// Each entry is a kind, a blank and its comma-separated values.
void CPObjectLoader::ApplyVertexEffects(CPGameObject& part, const std::string& entries)
{
    for (const std::string& entry : SplitFields(entries, ";")) {
        const size_t blank = entry.find(' ');
        const std::string kind = entry.substr(0, blank);
        const std::string values = blank == std::string::npos ? std::string() : entry.substr(blank + 1);
        std::unique_ptr<IPVertexEffect> effect = CreateVertexEffect(kind, SplitFields(values, ","));
        IPObject* drawable = part.GetComponent();
        if (!effect || !drawable) continue;
        if (part.GetKind() == CPGameObject::kKindMesh) {
            static_cast<CPRenderObject*>(drawable)->AddVertexEffect(std::move(effect));
            part.ClearSharedGeometry();
        } else if (part.GetKind() == CPGameObject::kKindAnimated) {
            static_cast<CPAnimatedObject*>(drawable)->AddVertexEffect(std::move(effect));
            part.ClearSharedGeometry();
        } else if (part.GetKind() == CPGameObject::kKindSprite) {
            static_cast<CPSprite*>(drawable)->AddVertexEffect(std::move(effect));
        }
    }
}

// A plain mesh part is drawn from buffers shared under its file and part
// name, made once on the device.
void CPObjectLoader::RegisterStaticGeometry(CPGameObject& part)
{
    CPRender* render = GetRender();
    if (part.GetKind() != CPGameObject::kKindMesh || !part.GetComponent() || !render) return;
    CPRenderObject* mesh = static_cast<CPRenderObject*>(part.GetComponent());
    if (mesh->IsStatic()) return;
    mesh->SetMeshName(m_currentMeshName + part.GetName());
    mesh->SetStaticBuffers(render->GetStaticMeshBuffers(mesh->GetMeshName(), mesh->GetLocalVertices().data(),
                                                        mesh->GetIndices().data(), mesh->GetVertexCount(),
                                                        mesh->GetIndexCount()));
    mesh->SetStatic(true);
}

// Each entry names an animation and a track file; every object of the part's
// tree that has a track of its name in the file gets it under that name.
void CPObjectLoader::ApplyPartAnimations(CPGameObject& part, const std::string& entries)
{
    const size_t kTrackHashHint = 100;
    CPGameObject::ObjectList objects;
    part.CollectTree(objects);
    for (const std::string& entry : SplitFields(entries, ";")) {
        const std::vector<std::string> fields = SplitFields(entry, ",");
        PartAnimationMap tracks(kTrackHashHint);
        LoadAnimationFile(FieldAt(fields, 1), tracks);
        for (const RefPtr<CPGameObject>& object : objects) {
            PartAnimationMap::iterator track = tracks.find(object->GetName());
            if (track == tracks.end()) continue;
            track->second->SetTarget(object.Get());
            object->SetNamedAnimation(FieldAt(fields, 0), track->second);
        }
    }
}
