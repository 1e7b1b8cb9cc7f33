#pragma once

#include "core/PObject.h"
#include "Render/ObjectDescription.h"

#include <d3d9.h>

#include <string>
#include <unordered_map>
#include <vector>

class CPDataFile;
class CPGameObject;
class CPPartAnimation;
class MeshFileReader;
struct Vertex48;

// Part animations by track name, as an animation-track file gives them.
typedef std::unordered_map<std::string, RefPtr<CPPartAnimation>> PartAnimationMap;

// Builds scene objects from their descriptions and the files they name. The
// host creates the one loader and publishes it in g_pObjectLoader.
class CPObjectLoader {
public:
    CPObjectLoader();

    // Written into the diffuse colour of every vertex the loader reads,
    // mesh vertices and morph frames alike; opaque white until the host
    // sets it.
    D3DCOLOR GetVertexColour() const { return m_vertexColour; }
    void SetVertexColour(D3DCOLOR colour) { m_vertexColour = colour; }

    // Reads the tracks of "Data\Animations\" + the file name into the map,
    // one new part animation per track under its lower-cased name, a later
    // track replacing an earlier one of the same name. A file that does not
    // open adds nothing; a file that breaks off or holds counts that do not
    // fit its bytes adds the tracks before the fault.
    void LoadAnimationFile(const std::string& fileName, PartAnimationMap& tracks);

    // Builds the object that "Data\Meshes\" + the name describes; the type
    // offset is added to every part's material type. A description that
    // does not open, or whose mesh files are missing or damaged, gives the
    // "wrong.rdf" object instead (none when that fails too); a level of
    // detail that names a description already being loaded gives none.
    // Whatever the load made and the answered tree does not hold (the parts
    // of a failed build, entries whose parent is missing, tracks no part
    // took) is deleted before the tree is handed over.
    RefPtr<CPGameObject> LoadObject(const std::string& name, int typeOffset);

    // Gives the part its material, flags, script handler, vertex effects,
    // static geometry and part animations from its section, which it reads
    // without changing; a key the section lacks reads as empty. A type that
    // with the offset does not fit an int throws MeshFileError.
    void ApplyObjectKeys(RefPtr<CPGameObject> part, const KeySection& section, int typeOffset);

    // The part readers of the three mesh formats, each reading one part
    // record and its children. A damaged record throws MeshFileError.
    RefPtr<CPGameObject> ReadMesh(MeshFileReader& stream, SectionMap& sections, int typeOffset);
    RefPtr<CPGameObject> ReadP3dMesh(MeshFileReader& stream, SectionMap& sections, int typeOffset);
    RefPtr<CPGameObject> ReadMeshGroup(MeshFileReader& stream, SectionMap& sections, int typeOffset,
                                       const std::string& animationName);
    // Adds the frames of a later animation file to the tree built from the
    // first; a child name that matches no part is read and dropped.
    void ReadMeshAnimations(RefPtr<CPGameObject> object, MeshFileReader& stream, SectionMap& sections,
                            int typeOffset, const std::string& animationName);

    // The last 100 faults of the loads so far, one line each, naming file
    // and field, the latest last.
    const std::vector<std::string>& GetErrors() const { return m_errors; }

    const std::string& GetCurrentMeshName() const { return m_currentMeshName; }
    const std::string& GetCurrentMeshFile() const { return m_currentMeshFile; }
    bool AreShadowTexturesActive() const { return m_shadowTexturesActive; }

private:
    RefPtr<CPGameObject> LoadDescribedObject(const std::string& name, int typeOffset);
    // The path of the description being loaded; empty outside a load.
    std::string LoadingPath() const;
    // What a refused file name is reported with: that description, if any,
    // and the key that gave the name.
    std::string NamePlace(const char* key) const;
    // Whether the file of the name, given by the key, is inside the folder
    // and opens there.
    bool OpensInFolder(const char* folder, const char* key, const std::string& name) const;
    // Made during a load, the objects are the loader's until HandOver.
    CPGameObject* MakeGameObject(const std::string& name);
    template <class T>
    T* KeepMade(T* made)
    {
        if (m_loadDepth > 0) m_madeParts.push_back(made);
        return made;
    }
    void HandOver(CPGameObject* root);
    void RecordError(const std::string& error);

    RefPtr<CPGameObject> BuildObject(const std::string& name, ObjectDescription& description, int typeOffset);
    RefPtr<CPGameObject> BuildFromMeshFile(const std::string& name, ObjectDescription& description,
                                           int typeOffset);
    RefPtr<CPGameObject> BuildFromAnimationFiles(const std::string& name, ObjectDescription& description,
                                                 int typeOffset);
    RefPtr<CPGameObject> BuildEmptyGroup(ObjectDescription& description, int typeOffset);
    void SwitchShadowTexturesOn(const std::string& name, const std::string& value);
    RefPtr<CPGameObject> LoadFallback(int typeOffset);
    RefPtr<CPGameObject> LoadLevelOfDetail(const std::string& name, int typeOffset);
    void AddLevelsOfDetail(CPGameObject& root, const ObjectDescription& description, int typeOffset);
    void AddLineKeys(CPGameObject& root, const ObjectDescription& description);
    void AddSprites(CPGameObject& root, ObjectDescription& description, int typeOffset, int form);
    void AddLights(CPGameObject& root, const ObjectDescription& description);
    void AddParticleSystems(CPGameObject& root, const ObjectDescription& description);
    void ReadTransformTable(MeshFileReader& stream);

    RefPtr<CPGameObject> ReadMeshPart(MeshFileReader& stream, SectionMap& sections, int typeOffset, int depth);
    RefPtr<CPGameObject> ReadP3dPart(MeshFileReader& stream, SectionMap& sections, int typeOffset, int depth);
    RefPtr<CPGameObject> ReadGroupPart(MeshFileReader& stream, SectionMap& sections, int typeOffset,
                                       const std::string& animationName, int depth);
    void ReadFollowOn(CPGameObject* object, MeshFileReader& stream, const std::string& animationName,
                      int depth);
    void ReadShapes(MeshFileReader& stream, CPGameObject& part);
    void ReadVertices(MeshFileReader& stream, std::vector<Vertex48>& vertices);

    void ApplyShadowTextures(const std::string& partName, std::string& effect,
                             std::vector<std::string>& textures) const;
    void ApplyFireMaterial(CPGameObject& part, const std::string& firstTexture);
    void ApplyVertexEffects(CPGameObject& part, const std::string& entries);
    void RegisterStaticGeometry(CPGameObject& part);
    void ApplyPartAnimations(CPGameObject& part, const std::string& entries);

    D3DCOLOR m_vertexColour;
    std::string m_currentMeshName;
    std::string m_currentMeshFile;
    std::string m_shadowTextureFolder;
    std::string m_shadowTextureSuffix;
    std::string m_shadowEffectSuffix;
    bool m_shadowTexturesActive;
    // The descriptions being loaded, outermost first: a level of detail
    // that names one of them would load without end.
    std::vector<std::string> m_loading;
    std::vector<std::string> m_errors;
    // Nesting of LoadObject: levels of detail and the fallback load inside
    // the outermost one, which alone hands its tree over.
    int m_loadDepth;
    std::vector<CPGameObject*> m_madeObjects;
    std::vector<IPObject*> m_madeParts;
};

// The object loader that the host created and published.
extern CPObjectLoader* g_pObjectLoader;

// The loader's vertex colour, or opaque white while no loader is published.
D3DCOLOR GetLoaderVertexColour();
