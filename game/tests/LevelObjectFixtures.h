#pragma once

#include "Render/MeshFileWriter.h"
#include "Render/PObjectLoader.h"
#include "Render/PRenderObject.h"
#include "Render/tests/ResourceTest.h"
#include "core/PGameObject.h"
#include "core/RayQuery.h"
#include "game/tests/BoxMeshFixture.h"

#include <windows.h>

#include <string>
#include <vector>

namespace level_test {

inline RayQuery MakeRay(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float length)
{
    RayQuery query;
    query.origin = origin;
    query.direction = direction;
    query.distance = length;
    return query;
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
