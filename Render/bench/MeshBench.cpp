// Times the object loader on a 64 MiB static mesh file (2,000 parts of 600
// vertices and 1,800 indices) against the data movement any loader of that
// file must make: loading the file's bytes, then copying each part's
// vertices into two arrays of their own (a mesh keeps them as loaded and as
// placed) and its indices into one. Where reading a file is fast, filling
// fresh memory is most of a load, and a baseline of the file read alone
// would time the mesh's own arrays rather than the loader. Every part's
// section gives it a vertex effect, so no part is registered as static
// geometry and no device is needed. Run it from a scratch folder: it
// writes "Data\Meshes" there and removes its files afterwards.

#include "core/PDataFile.h"
#include "core/PGameObject.h"
#include "Render/PObjectLoader.h"
#include "Render/PRenderObject.h"
#include "Render/tests/MeshFixtures.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const int kPartCount = 2000;
const int kVerticesPerPart = 600;
const int kIndicesPerPart = 1800;
const int kRounds = 9;
const double kAllowedRatio = 1.5;
const char kMeshPath[] = "Data\\Meshes\\bench.msh";
const char kDescriptionPath[] = "Data\\Meshes\\bench.rdf";
// The file's layout as the baseline walks it: the file header and part
// count, then per part its header, 260-byte name and vertex count, the
// vertices, the index count and indices, and the box and child counts.
const size_t kCountBytes = sizeof(int32_t);
const size_t kFileHeaderBytes = 2 * kCountBytes;
const size_t kPartHeadBytes = kCountBytes + 260 + kCountBytes;
const size_t kVertexBytes = kVerticesPerPart * sizeof(Vertex48);
const size_t kIndexBytes = kIndicesPerPart * sizeof(uint16_t);
const size_t kPartTailBytes = 2 * kCountBytes;

std::string PartName(int part)
{
    return "part" + std::to_string(part);
}

MeshPartData BenchPart(int part)
{
    MeshPartData data;
    data.name = PartName(part);
    for (int i = 0; i < kVerticesPerPart; ++i) {
        data.vertices.push_back(MorphVertex(static_cast<float>(i), static_cast<float>(part), 1.0f));
    }
    for (int i = 0; i < kIndicesPerPart; ++i) data.indices.push_back(static_cast<uint16_t>(i % kVerticesPerPart));
    return data;
}

// The parts are written one by one so that the writer's field list stays small.
void WriteFiles()
{
    CreateDirectoryA("Data", nullptr);
    CreateDirectoryA("Data\\Meshes", nullptr);
    std::ofstream mesh(kMeshPath, std::ios::binary | std::ios::trunc);
    FixtureWriter header;
    header.Int(0, "file header").Int(kPartCount, "part count");
    mesh << header.GetBytes();
    DescriptionWriter description("bench.msh");
    for (int part = 0; part < kPartCount; ++part) {
        FixtureWriter out;
        WriteStaticPart(out, BenchPart(part));
        mesh << out.GetBytes();
        description.Section(PartName(part)).Key("vertexeffect", "fade 1");
    }
    std::ofstream(kDescriptionPath, std::ios::binary | std::ios::trunc) << description.GetText();
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Loaded objects are never destroyed by their references, and the tree
// holds its children by name too; between rounds the bench only gives back
// the parts' geometry, which is nearly all of the memory.
void ReleaseGeometry(const RefPtr<CPGameObject>& root)
{
    for (const RefPtr<CPGameObject>& part : root->GetChildren()) {
        CPRenderObject* mesh = static_cast<CPRenderObject*>(part->GetComponent());
        std::vector<Vertex48>().swap(mesh->GetLocalVertices());
        std::vector<Vertex48>().swap(mesh->GetWorldVertices());
        std::vector<uint16_t>().swap(mesh->GetIndices());
    }
}

// Answers the load's time, or a negative one when the tree is not whole.
double TimeObjectLoad(CPObjectLoader& loader)
{
    const auto start = std::chrono::steady_clock::now();
    RefPtr<CPGameObject> object = loader.LoadObject("bench.rdf", 0);
    const double seconds = SecondsSince(start);
    const bool whole = object && object->GetChildren().size() == static_cast<size_t>(kPartCount) &&
                       static_cast<CPRenderObject*>(object->GetChildren().back()->GetComponent())->GetVertexCount() ==
                           kVerticesPerPart;
    if (whole) ReleaseGeometry(object);
    return whole ? seconds : -1.0;
}

double TimeFileLoad()
{
    const auto start = std::chrono::steady_clock::now();
    CPDataFile file(kMeshPath, false);
    const HRESULT result = file.Load();
    const double seconds = SecondsSince(start);
    return result == S_OK ? seconds : -1.0;
}

struct PartArrays {
    std::vector<unsigned char> loaded;
    std::vector<unsigned char> placed;
    std::vector<unsigned char> indices;
};

// Answers the time of the file load and the parts' array copies, or a
// negative one when the file is not laid out as the walk expects.
double TimeFileLoadAndArrays()
{
    const auto start = std::chrono::steady_clock::now();
    CPDataFile file(kMeshPath, false);
    if (file.Load() != S_OK) return -1.0;
    std::vector<PartArrays> parts(kPartCount);
    const unsigned char* at = file.GetData() + kFileHeaderBytes;
    for (PartArrays& part : parts) {
        at += kPartHeadBytes;
        part.loaded.assign(at, at + kVertexBytes);
        part.placed = part.loaded;
        at += kVertexBytes + kCountBytes;
        part.indices.assign(at, at + kIndexBytes);
        at += kIndexBytes + kPartTailBytes;
    }
    const double seconds = SecondsSince(start);
    return at == file.GetData() + file.GetDataSize() ? seconds : -1.0;
}

double Fastest(const std::vector<double>& times)
{
    return *std::min_element(times.begin(), times.end());
}

} // namespace

int main()
{
    WriteFiles();
    CPObjectLoader loader;
    std::vector<double> objectTimes, fileTimes, baselineTimes;
    for (int round = 0; round < kRounds; ++round) {
        fileTimes.push_back(TimeFileLoad());
        baselineTimes.push_back(TimeFileLoadAndArrays());
        objectTimes.push_back(TimeObjectLoad(loader));
    }
    DeleteFileA(kMeshPath);
    DeleteFileA(kDescriptionPath);
    if (Fastest(objectTimes) < 0.0 || Fastest(fileTimes) < 0.0 || Fastest(baselineTimes) < 0.0) {
        std::printf("a load failed\n");
        return 1;
    }
    std::printf("%d parts: object load %.1f ms, file load %.1f ms, file load and array copies %.1f ms (fastest of "
                "%d)\n",
                kPartCount, Fastest(objectTimes) * 1000.0, Fastest(fileTimes) * 1000.0,
                Fastest(baselineTimes) * 1000.0, kRounds);
    std::printf("ratio object load / file load and array copies: %.2f (limit <= %.1f)\n",
                Fastest(objectTimes) / Fastest(baselineTimes), kAllowedRatio);
    return 0;
}
