#pragma once

#include "Render/MeshFileWriter.h"
#include "Render/PObjectLoader.h"
#include "Render/PRenderObject.h"
#include "Render/tests/ResourceTest.h"
#include "core/PGameObject.h"

#include <windows.h>

#include <string>
#include <vector>

namespace level_test {

// A closed box mesh around the centre: 8 corners, 12 triangles, with the
// box itself as the part's bounding part.
inline MeshPartData BoxPart(const std::string& name, const D3DXVECTOR3& centre, const D3DXVECTOR3& half)
{
    MeshPartData part;
    part.name = name;
    for (int corner = 0; corner < 8; ++corner) {
        Vertex48 vertex = {};
        vertex.position = D3DXVECTOR3(centre.x + ((corner & 1) ? half.x : -half.x),
                                      centre.y + ((corner & 2) ? half.y : -half.y),
                                      centre.z + ((corner & 4) ? half.z : -half.z));
        part.vertices.push_back(vertex);
    }
    // Two triangles per face: -x, +x, -y, +y, -z, +z.
    part.indices = {0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3, 0, 4, 5, 0, 5, 1,
                    2, 3, 7, 2, 7, 6, 0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5};
    part.boxes = {MeshBoxData{centre, half}};
    return part;
}

// The renderer's resources and the object loader over a scratch
// "Data\Meshes" folder, with box objects whose material type each test
// chooses.
class LevelObjectTest : public ResourceTest {
protected:
    // The box of every object: three different half extents, its centre a
    // little above the object's origin.
    static D3DXVECTOR3 BoxCentre() { return D3DXVECTOR3(0.0f, 0.0f, 0.5f); }
    static D3DXVECTOR3 BoxHalf() { return D3DXVECTOR3(1.0f, 2.0f, 3.0f); }

    LevelObjectTest() : m_previousLoader(g_pObjectLoader)
    {
        CreateDirectoryA("Data\\Meshes", nullptr);
        g_pObjectLoader = &loader;
    }
    ~LevelObjectTest() override { g_pObjectLoader = m_previousLoader; }

    // "<name>.rdf": one box part "box" of the material type, and further
    // description keys when given (key, value in turn).
    void WriteBoxObject(const std::string& name, int type, const std::vector<std::string>& keys = {})
    {
        FixtureWriter mesh;
        WriteStaticMeshFile(mesh, {BoxPart("box", BoxCentre(), BoxHalf())}, false);
        WriteFile("Data\\Meshes\\" + name + ".msh", mesh.GetBytes());
        DescriptionWriter description(name + ".msh");
        for (size_t i = 0; i + 1 < keys.size(); i += 2) description.Key(keys[i], keys[i + 1]);
        description.Section("box").Key("Type", std::to_string(type));
        WriteFile("Data\\Meshes\\" + name + ".rdf", description.GetText());
    }

    // The object of "<description>.rdf" under the name, standing at the
    // position with its transform up to date.
    RefPtr<CPGameObject> Place(const std::string& description, const std::string& name,
                               const D3DXVECTOR3& position)
    {
        RefPtr<CPGameObject> object = loader.LoadObject(description + ".rdf", 0);
        if (!object) return nullptr;
        object->SetName(name);
        object->SetPosition(position.x, position.y, position.z);
        object->UpdateTransform();
        return object;
    }

    // The material type of the object's mesh, -1 without one.
    static int MaterialTypeOf(CPGameObject& object)
    {
        RefPtr<CPMaterial> material;
        if (CPRenderObject* mesh = object.GetRenderObject()) mesh->GetMaterial(material);
        return material ? material->GetType() : -1;
    }

    CPObjectLoader loader;

private:
    CPObjectLoader* m_previousLoader;
};

} // namespace level_test
