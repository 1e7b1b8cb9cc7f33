// One figure of the level's branch tree, run by hand: 10,000 box objects
// (12 triangles each, their box as their bounding part, 8 materials) over
// 3000 x 3000 units. 10,000 horizontal rays of 200 units go through the
// tree and through a plain test of every triangle in world space; 10,000
// spheres of radius 30 go through the tree and through a test of every
// object's box. Both ways must give the same answers; the tree's times
// over the plain ones are printed last.

#include "Render/PMaterial.h"
#include "Render/PRenderObject.h"
#include "core/RayQuery.h"
#include "game/PLevelBranch.h"
#include "game/tests/BoxMeshFixture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

const int kObjects = 10000;
const int kMaterials = 8;
const float kLevelHalfSize = 1500.0f;
const int kRays = 10000;
const float kRayLength = 200.0f;
const int kSpheres = 10000;
const float kSphereRadius = 30.0f;
const float kDistanceTolerance = 1e-4f;
const double kRayRatioLimit = 0.1;
const double kSphereRatioLimit = 0.25;
const unsigned kSeed = 26;

struct Triangle {
    D3DXVECTOR3 a, b, c;
    int object;
};

struct Hit {
    int object = -1;
    float distance = 0.0f;
};

struct Scene {
    std::vector<RefPtr<CPMaterial>> materials;
    CPGameObject::ObjectList objects;
    std::vector<Triangle> triangles;
};

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Boxes standing on the ground, with three different half extents each.
Scene BuildScene(std::mt19937& random)
{
    Scene scene;
    for (int type = 0; type < kMaterials; ++type) scene.materials.push_back(new CPMaterial(type, nullptr, nullptr));
    std::uniform_real_distribution<float> place(-kLevelHalfSize, kLevelHalfSize);
    std::uniform_real_distribution<float> size(1.0f, 8.0f);
    for (int i = 0; i < kObjects; ++i) {
        const D3DXVECTOR3 half(size(random), size(random), size(random) * 0.75f);
        const MeshPartData part = level_test::BoxPart("box", D3DXVECTOR3(0.0f, 0.0f, half.z), half);
        RefPtr<CPGameObject> object(new CPGameObject("box" + std::to_string(i)));
        CPRenderObject* mesh = new CPRenderObject(object.Get());
        mesh->GetLocalVertices() = part.vertices;
        mesh->GetIndices() = part.indices;
        mesh->SetMaterial(scene.materials[i % kMaterials]);
        object->SetComponent(CPGameObject::kKindMesh, mesh);
        object->GetParts().push_back(CPBoundingBox(part.boxes[0].centre, part.boxes[0].halfExtents));
        object->SetPosition(place(random), place(random), 0.0f);
        object->UpdateTransform();
        mesh->UpdateWorldVertices();
        const std::vector<Vertex48>& world = mesh->GetWorldVertices();
        for (size_t k = 0; k + 2 < part.indices.size(); k += 3) {
            scene.triangles.push_back(Triangle{world[part.indices[k]].position, world[part.indices[k + 1]].position,
                                               world[part.indices[k + 2]].position, i});
        }
        scene.objects.push_back(object);
    }
    return scene;
}

// Moeller-Trumbore, both faces: the distance along the ray, or a negative
// value on a miss.
float RayTriangle(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, const Triangle& triangle)
{
    const D3DXVECTOR3 edge1 = triangle.b - triangle.a;
    const D3DXVECTOR3 edge2 = triangle.c - triangle.a;
    D3DXVECTOR3 p;
    D3DXVec3Cross(&p, &direction, &edge2);
    const float determinant = D3DXVec3Dot(&edge1, &p);
    if (std::fabs(determinant) < 1e-12f) return -1.0f;
    const float inverse = 1.0f / determinant;
    const D3DXVECTOR3 t = origin - triangle.a;
    const float u = D3DXVec3Dot(&t, &p) * inverse;
    if (u < 0.0f || u > 1.0f) return -1.0f;
    D3DXVECTOR3 q;
    D3DXVec3Cross(&q, &t, &edge1);
    const float v = D3DXVec3Dot(&direction, &q) * inverse;
    if (v < 0.0f || u + v > 1.0f) return -1.0f;
    return D3DXVec3Dot(&edge2, &q) * inverse;
}

Hit LinearRay(const Scene& scene, const RayQuery& ray)
{
    Hit hit;
    hit.distance = ray.distance;
    for (const Triangle& triangle : scene.triangles) {
        const float distance = RayTriangle(ray.origin, ray.direction, triangle);
        if (distance >= 0.0f && distance <= hit.distance) {
            hit.distance = distance;
            hit.object = triangle.object;
        }
    }
    return hit;
}

bool InsideAnyBox(const Scene& scene, const D3DXVECTOR3& point)
{
    for (const RefPtr<CPGameObject>& object : scene.objects) {
        const AxisAlignedBox& box = object->GetPartBounds();
        if (point.x >= box.minimum.x && point.x <= box.maximum.x && point.y >= box.minimum.y &&
            point.y <= box.maximum.y && point.z >= box.minimum.z && point.z <= box.maximum.z) {
            return true;
        }
    }
    return false;
}

// Horizontal rays starting outside every box.
std::vector<RayQuery> MakeRays(const Scene& scene, std::mt19937& random)
{
    std::uniform_real_distribution<float> place(-kLevelHalfSize, kLevelHalfSize);
    std::uniform_real_distribution<float> height(0.2f, 5.0f);
    std::uniform_real_distribution<float> angle(0.0f, 6.2831853f);
    std::vector<RayQuery> rays;
    while (static_cast<int>(rays.size()) < kRays) {
        RayQuery ray;
        ray.origin = D3DXVECTOR3(place(random), place(random), height(random));
        if (InsideAnyBox(scene, ray.origin)) continue;
        const float turn = angle(random);
        ray.direction = D3DXVECTOR3(std::cos(turn), std::sin(turn), 0.0f);
        ray.distance = kRayLength;
        rays.push_back(ray);
    }
    return rays;
}

int ObjectIndex(const CPGameObject* object)
{
    if (!object) return -1;
    return std::stoi(object->GetName().substr(3));
}

} // namespace

int main()
{
    std::mt19937 random(kSeed);
    const auto buildStart = std::chrono::steady_clock::now();
    Scene scene = BuildScene(random);
    const double sceneSeconds = SecondsSince(buildStart);
    const auto treeStart = std::chrono::steady_clock::now();
    RefPtr<CPLevelBranch> root(new CPLevelBranch());
    root->SetObjects(scene.objects);
    root->Build();
    const double treeSeconds = SecondsSince(treeStart);

    std::vector<RayQuery> rays = MakeRays(scene, random);
    std::vector<Hit> treeHits(kRays);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRays; ++i) {
        RayQuery query = rays[i];
        root->IntersectRay(query);
        treeHits[i].object = ObjectIndex(query.hitObject.Get());
        treeHits[i].distance = query.distance;
    }
    const double treeRaySeconds = SecondsSince(start);
    std::vector<Hit> linearHits(kRays);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRays; ++i) linearHits[i] = LinearRay(scene, rays[i]);
    const double linearRaySeconds = SecondsSince(start);

    int rayHits = 0;
    int rayMismatches = 0;
    for (int i = 0; i < kRays; ++i) {
        rayHits += treeHits[i].object >= 0;
        const bool same = treeHits[i].object == linearHits[i].object &&
                          std::fabs(treeHits[i].distance - linearHits[i].distance) <= kDistanceTolerance;
        if (!same && rayMismatches++ < 5) {
            std::printf("ray %d: tree %d at %.6f, triangles %d at %.6f\n", i, treeHits[i].object,
                        treeHits[i].distance, linearHits[i].object, linearHits[i].distance);
        }
    }

    std::uniform_real_distribution<float> place(-kLevelHalfSize, kLevelHalfSize);
    std::uniform_real_distribution<float> height(0.0f, 5.0f);
    std::vector<D3DXVECTOR3> centres;
    for (int i = 0; i < kSpheres; ++i) centres.push_back(D3DXVECTOR3(place(random), place(random), height(random)));
    std::vector<CPGameObject::ObjectList> treeSets(kSpheres);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kSpheres; ++i) root->CollectInSphere(centres[i], kSphereRadius, treeSets[i]);
    const double treeSphereSeconds = SecondsSince(start);
    std::vector<CPGameObject::ObjectList> linearSets(kSpheres);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kSpheres; ++i) {
        for (const RefPtr<CPGameObject>& object : scene.objects) {
            if (LevelBoxOf(*object).OverlapsSphere(centres[i], kSphereRadius)) linearSets[i].push_back(object);
        }
    }
    const double linearSphereSeconds = SecondsSince(start);

    size_t found = 0;
    int sphereMismatches = 0;
    auto byAddress = [](const RefPtr<CPGameObject>& a, const RefPtr<CPGameObject>& b) { return a.Get() < b.Get(); };
    for (int i = 0; i < kSpheres; ++i) {
        std::sort(treeSets[i].begin(), treeSets[i].end(), byAddress);
        std::sort(linearSets[i].begin(), linearSets[i].end(), byAddress);
        found += treeSets[i].size();
        const bool same = std::equal(treeSets[i].begin(), treeSets[i].end(), linearSets[i].begin(),
                                     linearSets[i].end(),
                                     [](const RefPtr<CPGameObject>& a, const RefPtr<CPGameObject>& b) {
                                         return a.Get() == b.Get();
                                     });
        if (!same && sphereMismatches++ < 5) {
            std::printf("sphere %d: tree %zu objects, boxes %zu\n", i, treeSets[i].size(), linearSets[i].size());
        }
    }

    std::printf("%d objects, %zu triangles, %d materials: scene %.3f s, tree %.3f s (%d materials at the root)\n",
                kObjects, scene.triangles.size(), kMaterials, sceneSeconds, treeSeconds, root->GetMaterialCount());
    std::printf("%d rays of %.0f: %d hit; tree %.4f s, every triangle %.4f s; %d answers differ\n", kRays,
                kRayLength, rayHits, treeRaySeconds, linearRaySeconds, rayMismatches);
    std::printf("%d spheres of radius %.0f: %.2f objects each; tree %.4f s, every box %.4f s; %d answers differ\n",
                kSpheres, kSphereRadius, static_cast<double>(found) / kSpheres, treeSphereSeconds, linearSphereSeconds,
                sphereMismatches);
    std::printf("ratio rays tree per triangles: %.4f (limit <= %.1f)\n", treeRaySeconds / linearRaySeconds,
                kRayRatioLimit);
    std::printf("ratio spheres tree per boxes: %.4f (limit <= %.2f)\n", treeSphereSeconds / linearSphereSeconds,
                kSphereRatioLimit);
    return rayMismatches == 0 && sphereMismatches == 0 ? 0 : 1;
}
