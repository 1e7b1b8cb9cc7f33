#include "physics/PCarWorld.h"

#include "Render/PParticleManager.h"
#include "Render/PRenderObject.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"
#include "core/PGameObject.h"
#include "core/Settings.h"
#include "physics/PCar.h"
#include "physics/PPhysicData.h"
#include "physics/PSimulator.h"
#include "physics/PhysicsLog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int CPCarWorld::s_bodyCount = 0;
int CPCarWorld::s_shapeCount = 0;

namespace {

const float kGravityZ = -9.8f;
const float kMaxFrameTime = 0.25f;
const float kNoGround = 1000.0f;
const float kParkingStep = 500.0f;
const float kParkingFloor = -100000.0f;
const float kParkingRestart = -1000.0f;
const int kGridMargin = 10;
// A grid larger than this on a side is refused: it would take memory beyond
// any road a level has.
const float kMaxGridCells = 4096.0f;
const char* const kGridRefusedFormat = "Road grid of %.0f x %.0f cells refused: more than 4096 a side.\n";
const int kRoadMaterial = 0;
const int kCarMaterial = 1;
const int kRemovedValue = 2;
const float kCarCarEffectTime = 0.038f;
const float kSparkLife = 1.0f;

float Random01() { return static_cast<float>(rand()) / 32767.0f; }

// The cell index of a distance counted in cells, clamped to [0, count - 1]
// before the truncation: a distance beyond the integers has no integer value.
int CellIndex(float cells, int count)
{
    return static_cast<int>(std::max(0.0f, std::min(cells, static_cast<float>(count - 1))));
}

D3DXVECTOR3 ToVector3(const D3DXVECTOR4& v) { return D3DXVECTOR3(v.x, v.y, v.z); }

// The triangle query looks under a body's four bounds corners and its centre.
const int kQueryPoints = 5;

struct GridCell {
    int column, row;
    bool operator==(const GridCell& other) const { return column == other.column && row == other.row; }
};

// The candidate buffer being filled: a cell whose triangles would bring it
// to its capacity ends the filling.
struct CandidateFill {
    int* buffer;
    int count;

    bool Append(const CPCarWorld::RoadCell& cell)
    {
        const int size = static_cast<int>(cell.triangles.size());
        if (count + size >= CPPhysicData::kCandidateCapacity) return false;
        std::copy(cell.triangles.begin(), cell.triangles.end(), buffer + count);
        count += size;
        return true;
    }
};

// Plain 2D geometry for the grid: a point against a directed edge, and
// whether a triangle and an axis-aligned square overlap.
struct Point2 {
    float x, y;
};

float Cross2(const Point2& a, const Point2& b, const Point2& p)
{
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

bool InsideTriangle(const Point2 t[3], const Point2& p)
{
    const float c0 = Cross2(t[0], t[1], p);
    const float c1 = Cross2(t[1], t[2], p);
    const float c2 = Cross2(t[2], t[0], p);
    const bool anyNegative = c0 < 0 || c1 < 0 || c2 < 0;
    const bool anyPositive = c0 > 0 || c1 > 0 || c2 > 0;
    return !(anyNegative && anyPositive);
}

bool SegmentsCross(const Point2& a, const Point2& b, const Point2& c, const Point2& d)
{
    if (std::max(a.x, b.x) < std::min(c.x, d.x) || std::max(c.x, d.x) < std::min(a.x, b.x)) return false;
    if (std::max(a.y, b.y) < std::min(c.y, d.y) || std::max(c.y, d.y) < std::min(a.y, b.y)) return false;
    const float d1 = Cross2(a, b, c);
    const float d2 = Cross2(a, b, d);
    const float d3 = Cross2(c, d, a);
    const float d4 = Cross2(c, d, b);
    return d1 * d2 <= 0 && d3 * d4 <= 0;
}

bool SquareOverlapsTriangle(const Point2& low, const Point2& high, const Point2 t[3])
{
    for (int i = 0; i < 3; ++i) {
        if (t[i].x >= low.x && t[i].x <= high.x && t[i].y >= low.y && t[i].y <= high.y) return true;
    }
    const Point2 square[4] = {low, {high.x, low.y}, high, {low.x, high.y}};
    for (const Point2& corner : square) {
        if (InsideTriangle(t, corner)) return true;
    }
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (SegmentsCross(square[i], square[(i + 1) % 4], t[j], t[(j + 1) % 3])) return true;
        }
    }
    return false;
}

CPBody* BodyOf(CPPhysicData& data)
{
    if (data.GetKinematicBody()) return data.GetKinematicBody();
    return data.GetRigidBody();
}

void DamageAt(CPGameObject* object, const D3DXVECTOR4& contact, float amount)
{
    CPRenderObject* render = object->GetRenderObject();
    if (!render) return;
    const D3DXVECTOR3 point = ToVector3(contact);
    const D3DXVECTOR3 direction = Normalised(*object->GetPositionRef() - point);
    render->ApplyDamage(point.x, point.y, point.z, direction.x, direction.y, direction.z, amount);
}

void RaiseCollisionFlag(CPGameObject* object)
{
    if (IPCollisionFlag* flag = dynamic_cast<IPCollisionFlag*>(object)) flag->RaiseCollisionFlag();
}

D3DXVECTOR3 CarVelocity(CPGameObject* object)
{
    CPPhysicData* data = object->GetPhysicData();
    if (!data || !data->GetRigidBody()) return D3DXVECTOR3(0, 0, 0);
    return data->GetRigidBody()->GetVelocity();
}

// A shape's place on its body: the inverse of its stored rotation, and its
// position as stored.
D3DXMATRIX ShapeTransform(const PhysicShape& shape)
{
    D3DXQUATERNION inverse(-shape.orientationX, -shape.orientationY, -shape.orientationZ, shape.orientationW);
    D3DXQuaternionNormalize(&inverse, &inverse);
    D3DXMATRIX local;
    D3DXMatrixRotationQuaternion(&local, &inverse);
    local._41 = shape.positionX;
    local._42 = shape.positionY;
    local._43 = shape.positionZ;
    return local;
}

// Gives every shape a geometry on the body (a box's second and third sizes
// swap places); the number of geometries made.
int AddShapes(CPBody& body, std::vector<PhysicShape>& shapes, int material)
{
    int added = 0;
    for (PhysicShape& shape : shapes) {
        CPGeometry* geometry = body.AddGeometry();
        shape.geometry = geometry;
        if (!geometry) continue;
        ++added;
        geometry->SetTransform(ShapeTransform(shape));
        if (shape.type == CPPhysicData::kBoxShape) geometry->SetBoxSize(shape.size1, shape.size3, shape.size2);
        else if (shape.type == CPPhysicData::kCylinderShape) geometry->SetCylinder(shape.size4, shape.size2);
        geometry->SetMaterialIndex(material);
    }
    return added;
}

// The distinct cells of the bounds' corners (L, H, (L.x, H.y, L.z),
// (H.x, L.y, H.z)) and centre, in that order; their number.
int CellsUnderBounds(const CPCarWorld& world, const D3DXVECTOR3& low, const D3DXVECTOR3& high,
                     GridCell cells[kQueryPoints])
{
    const D3DXVECTOR3 points[kQueryPoints] = {low, high, D3DXVECTOR3(low.x, high.y, low.z),
                                              D3DXVECTOR3(high.x, low.y, high.z), low + (high - low) * 0.5f};
    int count = 0;
    for (const D3DXVECTOR3& point : points) {
        GridCell cell;
        world.CellOf(point, cell.column, cell.row);
        if (std::find(cells, cells + count, cell) == cells + count) cells[count++] = cell;
    }
    return count;
}

}  // namespace

CPCarWorld::CPCarWorld()
    : m_simulator(nullptr),
      m_gridOrigin(0, 0, 0),
      m_parkingHeight(kParkingRestart),
      m_gridColumnCount(0),
      m_gridRowCount(0),
      m_raceState(nullptr),
      m_collisionTime(0.0f),
      m_collisionFrame(-1),
      m_clock(0.0)
{
    SetPriority(kPriority);
}

CPCarWorld::~CPCarWorld() { Reset(); }

void CPCarWorld::Execute()
{
    if (!m_simulator) return;
    // A frame time of no finite number counts as none.
    const float frameTime = std::isfinite(FrameDeltaTime) ? std::min(FrameDeltaTime, kMaxFrameTime) : 0.0f;
    m_clock += frameTime;
    m_simulator->Advance(frameTime);
}

void CPCarWorld::CreateSimulator(const D3DXVECTOR3&, const D3DXVECTOR3&, int, int, int)
{
    if (m_simulator) Reset();
    SimulatorSizeInfo sizes;
    sizes.rigidBodiesCount = 500;
    sizes.kinematicBodiesCount = 1000;
    sizes.rigidParticleCount = 500;
    sizes.poolSize4 = 50;
    sizes.poolSize5 = 1500;
    sizes.geometriesCount = 5000;
    sizes.poolSize7 = 150;
    sizes.constraintSetsCount = 150;
    sizes.poolSize9 = 10;
    sizes.sensorsCount = 1000;
    sizes.poolSize11 = 200;
    sizes.poolGrowth12 = -1;
    const float gravity[3] = {0.0f, 0.0f, kGravityZ};
    m_simulator = ::CreateSimulator(sizes, nullptr, gravity, &LogPhysicsProblem);
    if (!m_simulator) return;
    m_simulator->SetLogCallback(&LogPhysicsProblem);
    m_simulator->SetLogLevel(1);
    m_simulator->SetMaterial(kCarMaterial, g_friction, g_restitution);
    m_simulator->SetMaterial(kRoadMaterial, g_friction, g_restitution);
    m_simulator->SetCollisionCallback(&CPCarWorld::CollisionCallback);
    m_simulator->GetCollisionTable().Set(0, -1, CPCollisionTable::kRespondAndReport);
    m_simulator->GetCollisionTable().Set(0, 0, CPCollisionTable::kRespondAndReport);
    m_simulator->SetTriangleQueryCallback(&CPCarWorld::TriangleQuery);
}

void CPCarWorld::Reset()
{
    for (CPPhysicData* data : m_physicData) data->ForgetBodies();
    m_physicData.clear();
    if (m_simulator) DestroySimulator(m_simulator);
    m_simulator = nullptr;
    ClearTables();
    m_cars.clear();
    m_roadMeshes.clear();
    m_removedBodies.clear();
    m_particleEnds.clear();
    s_bodyCount = 0;
    s_shapeCount = 0;
}

void CPCarWorld::ClearTables()
{
    m_gridCells.clear();
    m_gridColumnCount = 0;
    m_gridRowCount = 0;
    m_gridOrigin = D3DXVECTOR3(0, 0, 0);
    m_roadVertices.clear();
    m_roadTriangles.clear();
}

void CPCarWorld::AddObject(RefPtr<CPGameObject> object, unsigned char bodyFlag, int material)
{
    if (!object || !m_simulator) return;
    CPPhysicData* data = object->GetPhysicData();
    if (!data) return;
    CreateBodies(data, *object->GetPositionRef(), *object->GetRotationRef(), bodyFlag, material);
    CPBody* body = BodyOf(*data);
    if (!body) return;
    body->SetUserData(object.Get());
    ++s_bodyCount;
}

void CPCarWorld::CreateBodies(CPPhysicData* data, const D3DXVECTOR3& position, const D3DXQUATERNION& rotation,
                              unsigned char bodyFlag, int material)
{
    if (!data || !m_simulator) return;
    const bool kinematic = data->GetMass() < 0.0f;
    CPBody* body = nullptr;
    if (kinematic) {
        CPKinematicBody* kinematicBody = m_simulator->CreateKinematicBody();
        data->SetKinematicBody(kinematicBody);
        body = kinematicBody;
    } else {
        CPRigidBody* rigid = data->GetBodyParams().isParticle ? m_simulator->CreateRigidParticle()
                                                              : m_simulator->CreateRigidBody();
        data->SetRigidBody(rigid);
        body = rigid;
    }
    if (!body) return;
    m_physicData.push_back(data);
    s_shapeCount += AddShapes(*body, data->GetShapes(), material);
    body->UpdateBoundingInfo();
    if (kinematic) {
        CPKinematicBody* kinematicBody = data->GetKinematicBody();
        kinematicBody->SetPosition(position.x, position.y, position.z);
        kinematicBody->SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
    } else {
        data->SetBodyFlag(bodyFlag);
    }
}

void CPCarWorld::CreateCar(RefPtr<CPGameObject> object, bool withSounds)
{
    if (!object) return;
    RefPtr<CPCar> car(new CPCar(object.Get()));
    object->SetCar(car);
    car->Load(m_simulator, withSounds);
    if (withSounds) car->LoadSounds();
}

void CPCarWorld::RegisterCar(CPGameObject* object)
{
    if (std::find(m_cars.begin(), m_cars.end(), object) == m_cars.end()) m_cars.push_back(object);
}

void CPCarWorld::SetCarControls(CPGameObject* object, float throttle, float steering)
{
    if (!object) return;
    RefPtr<CPCar> car = object->GetCar();
    if (car) car->SetControls(throttle, steering);
}

void CPCarWorld::RemoveCar(CPGameObject* object)
{
    m_cars.erase(std::remove(m_cars.begin(), m_cars.end(), object), m_cars.end());
    if (!object) return;
    object->SetCollision(false);
    CPPhysicData* data = object->GetPhysicData();
    if (data && data->GetRigidBody()) data->GetRigidBody()->SetCollisionClass(-1);
}

void CPCarWorld::RemovePhysicData(CPPhysicData* data)
{
    if (!data) return;
    const int shapes = static_cast<int>(data->GetShapes().size());
    if (CPRigidBody* rigid = data->GetRigidBody()) {
        m_removedBodies.push_back(RemovedBody{rigid, nullptr, kRemovedValue});
        rigid->SetPosition(0.0f, 0.0f, m_parkingHeight);
        rigid->SetActive(false);
        --s_bodyCount;
        s_shapeCount -= shapes;
        data->SetRigidBody(nullptr);
    } else if (CPKinematicBody* kinematicBody = data->GetKinematicBody()) {
        m_removedBodies.push_back(RemovedBody{nullptr, kinematicBody, kRemovedValue});
        kinematicBody->SetPosition(0.0f, 0.0f, m_parkingHeight);
        kinematicBody->SetActive(false);
        --s_bodyCount;
        s_shapeCount -= shapes;
        data->SetKinematicBody(nullptr);
    }
    m_parkingHeight -= kParkingStep;
    if (m_parkingHeight < kParkingFloor) m_parkingHeight = kParkingRestart;
}

void CPCarWorld::CellOf(const D3DXVECTOR3& point, int& column, int& row) const
{
    const float scale = 1.0f / kCellSize;
    column = CellIndex((point.x - m_gridOrigin.x) * scale, m_gridColumnCount);
    row = CellIndex((point.y - m_gridOrigin.y) * scale, m_gridRowCount);
}

float CPCarWorld::GetGroundHeight(const D3DXVECTOR3& point) const
{
    if (m_gridCells.empty()) return point.z;
    int column, row;
    CellOf(point, column, row);
    float best = kNoGround;
    float height = point.z;
    for (int32_t triangle : m_gridCells[column][row].triangles) {
        for (int32_t index : m_roadTriangles[triangle].vertex) {
            const D3DXVECTOR3 vertex = ToVector3(m_roadVertices[index]);
            const float distance = Length(vertex - point);
            if (distance < best) {
                best = distance;
                height = vertex.z;
            }
        }
    }
    return height;
}

void CPCarWorld::BuildRoadTables(CPRenderObject* mesh)
{
    if (!mesh) return;
    const D3DXMATRIX* matrix = mesh->GetOwner() ? &mesh->GetOwner()->GetWorldMatrix() : nullptr;
    std::vector<D3DXVECTOR3> vertices;
    vertices.reserve(mesh->GetLocalVertices().size());
    for (const Vertex48& vertex : mesh->GetLocalVertices()) {
        D3DXVECTOR3 world = vertex.position;
        if (matrix) D3DXVec3TransformCoord(&world, &vertex.position, matrix);
        vertices.push_back(world);
    }
    BuildRoadTables(vertices, mesh->GetIndices());
}

void CPCarWorld::BuildRoadTables(const std::vector<D3DXVECTOR3>& vertices, const std::vector<uint16_t>& indices)
{
    ClearTables();
    // An index past the vertices, or a vertex at no finite place, names no
    // corner: its triangle is dropped.
    auto isCorner = [&vertices](uint16_t index) { return index < vertices.size() && IsFinite(vertices[index]); };
    for (size_t first = 0; first + 3 <= indices.size(); first += 3) {
        if (!isCorner(indices[first]) || !isCorner(indices[first + 1]) || !isCorner(indices[first + 2])) continue;
        m_roadTriangles.push_back(RoadTriangle{{indices[first], indices[first + 1], indices[first + 2]}, 0, 0, 0});
    }
    for (const D3DXVECTOR3& v : vertices) m_roadVertices.push_back(D3DXVECTOR4(v.x, v.y, v.z, 1.0f));
    if (!MakeGrid()) {
        ClearTables();
        return;
    }
    for (size_t triangle = 0; triangle < m_roadTriangles.size(); ++triangle) ListTriangle(static_cast<int>(triangle));
}

// The grid spans the corners of the kept triangles and the origin, with a
// margin of cells; a vertex that no triangle uses counts for nothing.
bool CPCarWorld::MakeGrid()
{
    D3DXVECTOR3 low(0, 0, 0), high(0, 0, 0);
    for (const RoadTriangle& triangle : m_roadTriangles) {
        for (int32_t index : triangle.vertex) {
            const D3DXVECTOR3 corner = ToVector3(m_roadVertices[index]);
            D3DXVec3Minimize(&low, &low, &corner);
            D3DXVec3Maximize(&high, &high, &corner);
        }
    }
    // Counted in floats first: a road far wider than the grid allows has no
    // integer count.
    const float columns = std::ceil((high.x - low.x) / kCellSize) + kGridMargin;
    const float rows = std::ceil((high.y - low.y) / kCellSize) + kGridMargin;
    if (columns > kMaxGridCells || rows > kMaxGridCells) {
        char text[128];
        std::snprintf(text, sizeof(text), kGridRefusedFormat, columns, rows);
        LogPhysicsProblem(text);
        return false;
    }
    m_gridOrigin = low;
    m_gridColumnCount = static_cast<int>(columns);
    m_gridRowCount = static_cast<int>(rows);
    m_gridCells.assign(m_gridColumnCount, std::vector<RoadCell>(m_gridRowCount));
    return true;
}

void CPCarWorld::ListTriangle(int index)
{
    const RoadTriangle& triangle = m_roadTriangles[index];
    Point2 corners[3];
    int lowColumn = m_gridColumnCount, highColumn = -1, lowRow = m_gridRowCount, highRow = -1;
    for (int i = 0; i < 3; ++i) {
        const D3DXVECTOR4& v = m_roadVertices[triangle.vertex[i]];
        corners[i] = Point2{v.x, v.y};
        int column, row;
        CellOf(ToVector3(v), column, row);
        lowColumn = std::min(lowColumn, column);
        highColumn = std::max(highColumn, column);
        lowRow = std::min(lowRow, row);
        highRow = std::max(highRow, row);
    }
    const int columnEnd = std::min(m_gridColumnCount - 1, highColumn + 1);
    const int rowEnd = std::min(m_gridRowCount - 1, highRow + 1);
    for (int i = std::max(0, lowColumn - 1); i < columnEnd; ++i) {
        for (int j = std::max(0, lowRow - 1); j < rowEnd; ++j) {
            const Point2 low{m_gridOrigin.x + kCellSize * i, m_gridOrigin.y + kCellSize * j};
            const Point2 high{low.x + kCellSize, low.y + kCellSize};
            std::vector<int32_t>& list = m_gridCells[i][j].triangles;
            if (std::find(list.begin(), list.end(), index) != list.end()) continue;
            if (SquareOverlapsTriangle(low, high, corners)) list.push_back(index);
        }
    }
}

void CPCarWorld::TriangleQuery(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum, const int** candidates,
                               int* candidateCount, const RoadTriangle** triangles, int* triangleCount,
                               const D3DXVECTOR4** vertices, CPRigidBody* body)
{
    *candidates = nullptr;
    *candidateCount = 0;
    CPCarWorld* world = GetCarWorld();
    CPGameObject* object = body ? body->GetUserData() : nullptr;
    CPPhysicData* data = object ? object->GetPhysicData() : nullptr;
    if (!world || !data || world->m_gridCells.empty()) return;
    world->FillCandidates(minimum, maximum, *data);
    *candidates = data->GetCandidates();
    *candidateCount = data->GetCandidateCount();
    *triangles = world->m_roadTriangles.data();
    *triangleCount = world->GetRoadTriangleCount();
    *vertices = world->m_roadVertices.data();
}

// The cells under the body's corners and centre come first, then the rest
// of the range one cell around them: when the buffer fills, the triangles
// right under the body are the ones kept.
void CPCarWorld::FillCandidates(const D3DXVECTOR3& low, const D3DXVECTOR3& high, CPPhysicData& data) const
{
    GridCell cells[kQueryPoints];
    const int cellCount = CellsUnderBounds(*this, low, high, cells);
    CandidateFill fill{data.GetCandidates(), 0};
    bool full = false;
    for (int i = 0; i < cellCount && !full; ++i) full = !fill.Append(m_gridCells[cells[i].column][cells[i].row]);
    GridCell lowest = cells[0], highest = cells[0];
    for (int i = 1; i < cellCount; ++i) {
        lowest = GridCell{std::min(lowest.column, cells[i].column), std::min(lowest.row, cells[i].row)};
        highest = GridCell{std::max(highest.column, cells[i].column), std::max(highest.row, cells[i].row)};
    }
    const int columnEnd = std::min(m_gridColumnCount - 1, highest.column + 1);
    const int rowEnd = std::min(m_gridRowCount - 1, highest.row + 1);
    for (int column = std::max(0, lowest.column - 1); column <= columnEnd && !full; ++column) {
        for (int row = std::max(0, lowest.row - 1); row <= rowEnd && !full; ++row) {
            if (std::find(cells, cells + cellCount, GridCell{column, row}) != cells + cellCount) continue;
            full = !fill.Append(m_gridCells[column][row]);
        }
    }
    data.SetCandidateCount(fill.count);
}

int CPCarWorld::GetLiveParticleCount()
{
    const double now = m_clock;
    m_particleEnds.erase(std::remove_if(m_particleEnds.begin(), m_particleEnds.end(),
                                        [now](double end) { return end <= now; }),
                         m_particleEnds.end());
    return static_cast<int>(m_particleEnds.size());
}

void CPCarWorld::AddLiveParticle(float life) { m_particleEnds.push_back(m_clock + life); }

void CPCarWorld::SpawnSparks(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, int count)
{
    count = std::min(count, kSparkLimit - GetLiveParticleCount());
    const float degrees = D3DX_PI / 180.0f;
    for (int i = 0; i < count; ++i) {
        AddLiveParticle(kSparkLife);
        ParticleSpawnRecord record;
        record.name = "iskra";
        record.size = 0.01f + 0.02f * Random01();
        record.position = position;
        const float f = Random01();
        record.acceleration = D3DXVECTOR3(f * direction.x, f * direction.y, f * direction.z + kGravityZ);
        const float azimuth = static_cast<float>(rand() % 360) * degrees;
        const float elevation = static_cast<float>(rand() % 45) * degrees;
        const float speed = 0.5f + 5.5f * Random01();
        record.velocity = D3DXVECTOR3(speed * std::sin(elevation) * std::cos(azimuth) + direction.x,
                                      speed * std::sin(elevation) * std::sin(azimuth) + direction.y, direction.z);
        record.firstFlag = 1;
        record.secondFlag = 1;
        record.secondScalar = 0.0f;
        record.thirdScalar = kSparkLife;
        if (g_pParticleManager) g_pParticleManager->SpawnParticle(std::move(record));
    }
}

void CPCarWorld::CollisionCallback(const CollisionInfo& info)
{
    CPCarWorld* world = GetCarWorld();
    if (!world) return;
    if (world->m_collisionFrame != FrameNumber) {
        world->m_collisionFrame = FrameNumber;
        world->m_collisionTime += FrameDeltaTime;
    }
    if (info.materialA != kCarMaterial || !info.bodyA) return;
    CPGameObject* first = info.bodyA->GetUserData();
    if (!first) return;
    if (info.materialB == kRoadMaterial) {
        world->HandleCarAgainstWorld(info, first);
    } else if (info.materialB == kCarMaterial && info.bodyB && info.bodyB->GetUserData()) {
        world->HandleCarAgainstCar(info, first, info.bodyB->GetUserData());
    }
}

void CPCarWorld::HandleCarAgainstWorld(const CollisionInfo& info, CPGameObject* car)
{
    if (info.normal.x != 0.0f || info.normal.y != 0.0f || info.normal.z == 0.0f) RaiseCollisionFlag(car);
    const float strength = Length(ToVector3(info.relativeVelocity)) * 0.008f;
    DamageAt(car, info.worldContactA, strength);
    const D3DXVECTOR3 v = CarVelocity(car);
    const D3DXVECTOR3 away(-v.x, -v.y, 0.45f * std::max(std::fabs(v.x), std::fabs(v.y)));
    const int count = static_cast<int>(static_cast<float>(g_psystems) * strength * 0.5f);
    SpawnSparks(ToVector3(info.worldContactA), Normalised(away) * 10.0f, count);
    PlaySlamFor(car);
}

void CPCarWorld::HandleCarAgainstCar(const CollisionInfo& info, CPGameObject* first, CPGameObject* second)
{
    const D3DXVECTOR3 firstVelocity = CarVelocity(first);
    const D3DXVECTOR3 secondVelocity = CarVelocity(second);
    RaiseCollisionFlag(first);
    RaiseCollisionFlag(second);
    const float amount = Length(ToVector3(info.relativeVelocity)) * 0.08f;
    DamageAt(first, info.worldContactA, amount);
    DamageAt(second, info.worldContactB, amount);
    if (m_collisionTime <= kCarCarEffectTime) return;
    const bool firstFaster = Length(firstVelocity) > Length(secondVelocity);
    const D3DXVECTOR3 u = Normalised(firstFaster ? firstVelocity : secondVelocity);
    SpawnSparks(ToVector3(info.worldContactA), D3DXVECTOR3(-2 * u.x, -2 * u.y, 2 * (u.z + 1)), g_psystems);
    PlaySlamFor(firstFaster ? first : second);
    m_collisionTime = 0.0f;
}

void CPCarWorld::PlaySlamFor(CPGameObject* object)
{
    if (!m_raceState || m_raceState->GetPlayerObject() != object || !g_pSoundManager) return;
    CPSoundManager::NamedSoundMap& sounds = g_pSoundManager->GetNamedSounds();
    auto found = sounds.find("slam");
    if (found == sounds.end() || !found->second || found->second->IsPlaying()) return;
    found->second->Stop();
    found->second->Rewind();
    found->second->Play(0, 0);
}
