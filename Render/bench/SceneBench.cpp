// Times the two per-frame scene walks against the plainest code that does
// the same work: writing one frame's blocks into the dynamic buffer ring
// against copying the same bytes there, and the quadtree walk against a
// scan that tests every object. Needs a display for the Direct3D device.

#include "Render/PIVertexBuffer.h"
#include "Render/PPerspectiveCamera.h"
#include "Render/PQuadTreeNode.h"
#include "Render/PRender.h"
#include "Render/PRenderObject.h"
#include "Render/PRenderQueue.h"
#include "Render/tests/TestDevice.h"
#include "core/PGameObject.h"
#include "core/Settings.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Each figure is the fastest of its rounds: the machine may be busy with
// other work, which only ever adds time.
const int kRounds = 15;

const int kParts = 10000;
const int kPartVertices = 24;
const int kPartIndices = 36;
const int kMaterials = 8;
const int kPartsPerMaterial = kParts / kMaterials;
const int kRingVertices = kPartsPerMaterial * kPartVertices;
const int kRingIndices = kPartsPerMaterial * kPartIndices;
const double kStillLimit = 2.0;
const double kMovedLimit = 4.0;

const int kSceneObjects = 100000;
const int kQuadLevels = 5;
const int kViewDistance = 200;
const float kSceneHalfSize = 1000.0f;
const double kWalkLimit = 0.1;

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Fastest(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

template <class Work>
double FastestTime(Work work)
{
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(SecondsSince(start));
    }
    return Fastest(times);
}

// A unit cube as a mesh part holds it: four vertices of its own per face,
// so that each face has its normal and its texture corners, and two
// triangles per face.
void MakeCube(std::vector<Vertex48>& vertices, std::vector<uint16_t>& indices)
{
    const int kFaces = 6;
    const int kFaceCorners = 4;
    const uint16_t kFaceTriangles[] = {0, 1, 2, 0, 2, 3};
    const float kCornerU[kFaceCorners] = {0, 1, 1, 0};
    const float kCornerV[kFaceCorners] = {0, 0, 1, 1};
    for (int face = 0; face < kFaces; ++face) {
        // The face's normal axis and sign, and the two axes across it.
        const int axis = face / 2;
        const float side = face % 2 ? 0.5f : -0.5f;
        const int across = (axis + 1) % 3;
        const int up = (axis + 2) % 3;
        const uint16_t first = static_cast<uint16_t>(vertices.size());
        for (int corner = 0; corner < kFaceCorners; ++corner) {
            Vertex48 vertex;
            vertex.position = D3DXVECTOR3(0, 0, 0);
            vertex.normal = D3DXVECTOR3(0, 0, 0);
            vertex.specular = 0;
            vertex.tex1 = D3DXVECTOR2(0, 0);
            float* position = &vertex.position.x;
            float* normal = &vertex.normal.x;
            position[axis] = side;
            position[across] = kCornerU[corner] - 0.5f;
            position[up] = kCornerV[corner] - 0.5f;
            normal[axis] = side * 2;
            vertex.diffuse = 0xFFFFFFFF;
            vertex.tex0 = D3DXVECTOR2(kCornerU[corner], kCornerV[corner]);
            vertices.push_back(vertex);
        }
        for (uint16_t index : kFaceTriangles) indices.push_back(static_cast<uint16_t>(first + index));
    }
}

// Ten thousand cubes of 24 vertices and 36 indices over eight materials,
// each its own game object.
struct PartScene {
    PartScene()
    {
        for (int i = 0; i < kMaterials; ++i) {
            materials.emplace_back(new CPMaterial(i, RefPtr<CPEffect>(), RefPtr<CPTextureBlock>()));
        }
        for (int i = 0; i < kParts; ++i) {
            parts.emplace_back(new CPRenderObject(nullptr));
            objects.emplace_back(new CPGameObject("part"));
            CPRenderObject& part = *parts.back();
            CPGameObject& object = *objects.back();
            part.SetOwner(&object);
            MakeCube(part.GetLocalVertices(), part.GetIndices());
            part.SetMaterial(materials[i % kMaterials].get());
            writtenIndices.push_back(IndicesAsWritten(part, i / kMaterials * kPartVertices));
            object.SetComponent(CPGameObject::kKindMesh, &part);
            object.SetPosition(static_cast<float>(i), 0, 0);
            object.UpdateTransform();
        }
    }

    void MoveAll()
    {
        for (std::unique_ptr<CPGameObject>& object : objects) {
            D3DXVECTOR3 position = *object->GetPositionRef();
            object->SetPosition(position.x, position.y + 0.01f, position.z);
            object->UpdateTransform();
        }
    }

    // A part's indices as its block writes them: offset by the vertices of
    // the parts of its material before it.
    static std::vector<uint16_t> IndicesAsWritten(CPRenderObject& part, int base)
    {
        std::vector<uint16_t> indices;
        for (uint16_t index : part.GetIndices()) indices.push_back(static_cast<uint16_t>(base + index));
        return indices;
    }

    std::vector<std::unique_ptr<CPMaterial>> materials;
    std::vector<std::unique_ptr<CPRenderObject>> parts;
    std::vector<std::unique_ptr<CPGameObject>> objects;
    std::vector<std::vector<uint16_t>> writtenIndices;
};

// Queues every part and writes each material's block into the next pair
// of the ring, as the frame's drawing does before its draw calls.
void WriteFrame(PartScene& scene, CPRenderQueue& queue, CPIVertexBuffer& ring)
{
    for (std::unique_ptr<CPGameObject>& object : scene.objects) queue.AddObject(object.get());
    for (std::unique_ptr<CPMaterial>& material : scene.materials) {
        CPIVBlock* block = queue.GetFrameBlock(material.get());
        ring.ClearDrawables();
        ring.Lock(block->GetVertexTotal(), block->GetIndexTotal(), true, -1);
        ring.AddDrawables(block->GetDrawables());
        ring.Unlock(true);
    }
    queue.ClearFrame();
}

// The same bytes, each part's world vertices and its indices as the block
// writes them, copied one part after the other into locked pairs of the
// same size.
void CopyFrame(PartScene& scene, std::vector<IDirect3DVertexBuffer9*>& vertexBuffers,
               std::vector<IDirect3DIndexBuffer9*>& indexBuffers)
{
    for (int block = 0; block < kMaterials; ++block) {
        void* vertexMemory = nullptr;
        void* indexMemory = nullptr;
        vertexBuffers[block]->Lock(0, kRingVertices * sizeof(Vertex48), &vertexMemory,
                                   D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK);
        indexBuffers[block]->Lock(0, kRingIndices * sizeof(uint16_t), &indexMemory,
                                  D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK);
        Vertex48* vertices = static_cast<Vertex48*>(vertexMemory);
        uint16_t* indices = static_cast<uint16_t*>(indexMemory);
        for (int part = block; part < kParts; part += kMaterials) {
            CPRenderObject& source = *scene.parts[part];
            std::memcpy(vertices, source.GetWorldVertices().data(), kPartVertices * sizeof(Vertex48));
            std::memcpy(indices, scene.writtenIndices[part].data(), kPartIndices * sizeof(uint16_t));
            vertices += kPartVertices;
            indices += kPartIndices;
        }
        vertexBuffers[block]->Unlock();
        indexBuffers[block]->Unlock();
    }
}

bool MakeRawPairs(IDirect3DDevice9* device, std::vector<IDirect3DVertexBuffer9*>& vertexBuffers,
                  std::vector<IDirect3DIndexBuffer9*>& indexBuffers)
{
    const DWORD usage = D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY;
    for (int i = 0; i < kMaterials; ++i) {
        IDirect3DVertexBuffer9* vertices = nullptr;
        IDirect3DIndexBuffer9* indices = nullptr;
        if (FAILED(device->CreateVertexBuffer(kRingVertices * sizeof(Vertex48), usage, kVertex48FVF,
                                              D3DPOOL_DEFAULT, &vertices, nullptr)) ||
            FAILED(device->CreateIndexBuffer(kRingIndices * sizeof(uint16_t), usage, D3DFMT_INDEX16,
                                             D3DPOOL_DEFAULT, &indices, nullptr))) {
            return false;
        }
        vertexBuffers.push_back(vertices);
        indexBuffers.push_back(indices);
    }
    return true;
}

bool BenchBlocks()
{
    IDirect3DDevice9* device = GetTestDevice();
    if (!device) {
        std::printf("no Direct3D device\n");
        return false;
    }
    PartScene scene;
    CPIVertexBuffer ring(device, kMaterials, kRingVertices, kRingIndices, false);
    std::unique_ptr<CPRenderQueue> queue(new CPRenderQueue(&ring));
    std::vector<IDirect3DVertexBuffer9*> vertexBuffers;
    std::vector<IDirect3DIndexBuffer9*> indexBuffers;
    if (!MakeRawPairs(device, vertexBuffers, indexBuffers)) {
        std::printf("no dynamic buffers\n");
        return false;
    }

    WriteFrame(scene, *queue, ring);
    const double copy = FastestTime([&] { CopyFrame(scene, vertexBuffers, indexBuffers); });
    const double still = FastestTime([&] { WriteFrame(scene, *queue, ring); });
    std::vector<double> movedTimes;
    for (int round = 0; round < kRounds; ++round) {
        scene.MoveAll();
        const auto start = std::chrono::steady_clock::now();
        WriteFrame(scene, *queue, ring);
        movedTimes.push_back(SecondsSince(start));
    }
    const double moved = Fastest(movedTimes);

    std::printf("one frame of %d parts in %d blocks: memcpy %.2f ms, still %.2f ms, moved %.2f ms\n",
                kParts, kMaterials, copy * 1e3, still * 1e3, moved * 1e3);
    std::printf("ratio blocks with no object moved against memcpy: %.2f (limit <= %.1f)\n",
                still / copy, kStillLimit);
    std::printf("ratio blocks with every object moved against memcpy: %.2f (limit <= %.1f)\n",
                moved / copy, kMovedLimit);
    queue.reset();
    for (IDirect3DVertexBuffer9* buffer : vertexBuffers) buffer->Release();
    for (IDirect3DIndexBuffer9* buffer : indexBuffers) buffer->Release();
    return true;
}

// A hundred thousand small objects spread evenly over a 2000 x 2000 square.
struct StaticScene {
    StaticScene()
    {
        uint32_t state = 2024u;
        auto next = [&state] {
            state = state * 1103515245u + 12345u;
            return static_cast<float>((state >> 8) & 0xFFFF) / 65535.0f;
        };
        for (int i = 0; i < kSceneObjects; ++i) {
            parts.emplace_back(new CPRenderObject(nullptr));
            objects.emplace_back(new CPGameObject("scenery"));
            CPGameObject* object = objects.back().get();
            object->SetComponent(CPGameObject::kKindMesh, parts.back().get());
            object->SetBoundingBox(CPBoundingBox(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1)));
            SetObjectShadowFlag(object, false);
            object->SetPosition((next() * 2 - 1) * kSceneHalfSize, (next() * 2 - 1) * kSceneHalfSize, 0);
            object->UpdateTransform();
            list.push_back(object);
        }
    }

    std::vector<std::unique_ptr<CPRenderObject>> parts;
    std::vector<std::unique_ptr<CPGameObject>> objects;
    CPGameObject::ObjectList list;
};

// Every object tested by its own box and distance, as the leaves are.
int ScanScene(const StaticScene& scene, const CPPerspectiveCamera& camera, CPRenderQueue& queue)
{
    int queued = 0;
    const float reach = static_cast<float>(kViewDistance * kViewDistance);
    for (const RefPtr<CPGameObject>& object : scene.list) {
        const AxisAlignedBox& box = object->GetBounds();
        if (!camera.IsBoxVisible(box.minimum, box.maximum)) continue;
        D3DXVECTOR3 offset = camera.GetEye() - box.centre;
        if (D3DXVec3LengthSq(&offset) >= reach) continue;
        queue.AddObject(object);
        ++queued;
    }
    return queued;
}

int QueuedObjects(CPRenderQueue& queue)
{
    CPIVBlock* block = queue.GetFrameBlock(nullptr);
    return block ? static_cast<int>(block->GetDrawables().size()) : 0;
}

void BenchWalk()
{
    g_quadlevels = kQuadLevels;
    g_distance = kViewDistance;
    g_screenWidth = 1024;
    g_screenHeight = 768;
    StaticScene scene;
    CPQuadTreeNode root;
    root.SetBounds(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(kSceneHalfSize, kSceneHalfSize, 10));
    root.Build(scene.list, 0);

    CPRender render;
    CPRenderQueue queue(nullptr);
    render.SetRenderQueue(&queue);
    g_pRender = &render;
    CPPerspectiveCamera camera;
    camera.SetFieldOfView(1.0f);
    camera.SetNearPlane(0.1f);
    camera.SetFarPlane(static_cast<float>(kViewDistance));
    camera.SetEye(D3DXVECTOR3(100, 50, 2));
    camera.SetTarget(D3DXVECTOR3(200, 120, 0));
    camera.SetUp(D3DXVECTOR3(0, 0, 1));
    camera.UpdateMatrices();

    root.Render(camera);
    const int walked = QueuedObjects(queue);
    queue.ClearFrame();
    const int scanned = ScanScene(scene, camera, queue);
    queue.ClearFrame();

    const double walk = FastestTime([&] {
        root.Render(camera);
        queue.ClearFrame();
    });
    const double scan = FastestTime([&] {
        ScanScene(scene, camera, queue);
        queue.ClearFrame();
    });
    g_pRender = nullptr;
    std::printf("%d objects, quadlevels %d: the walk queued %d, the scan %d; walk %.3f ms, scan %.3f ms\n",
                kSceneObjects, kQuadLevels, walked, scanned, walk * 1e3, scan * 1e3);
    std::printf("ratio quadtree walk against linear scan: %.3f (limit <= %.1f)\n", walk / scan,
                kWalkLimit);
}

} // namespace

int main()
{
    bool blocks = BenchBlocks();
    BenchWalk();
    return blocks ? 0 : 1;
}
