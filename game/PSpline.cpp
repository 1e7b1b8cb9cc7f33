#include "game/PSpline.h"

#include "Render/PMaterial.h"
#include "Render/PRenderObject.h"
#include "core/PDataFile.h"
#include "game/AIManager.h"
#include "physics/PCarWorld.h"

#include <algorithm>
#include <cmath>

namespace {

const int kFloatsPerSegment = 12;
const size_t kSegmentBytes = kFloatsPerSegment * sizeof(float);
// The chord length is measured to the last of nine curve parameters 0.1
// apart, 0.90000010 in single precision.
const int kLengthSteps = 9;
const float kLengthStep = 0.1f;
const float kDirectionStep = 0.1f;
const float kBoxStart = 500000.0f;
const int kDrawMaterialType = 0;
const char* const kDrawEffect = "test.fx";
const char* const kDrawTexture = "error.tga";
// The best squared distance starts at this many radii.
const float kSearchBoundRadii = 100.0f;

D3DXVECTOR3 CurveAt(const CPSpline::Segment& segment, float t)
{
    const float u = 1.0f - t;
    const D3DXVECTOR3* p = segment.points;
    return p[0] * (u * u * u) + p[1] * (3.0f * t * u * u) + p[2] * (3.0f * t * t * u) + p[3] * (t * t * t);
}

float ChordLength(const CPSpline::Segment& segment)
{
    float length = 0.0f;
    float t = 0.0f;
    for (int step = 0; step < kLengthSteps; ++step) {
        t += kLengthStep;
        const D3DXVECTOR3 chord = CurveAt(segment, t) - segment.points[0];
        length = D3DXVec3Length(&chord);
    }
    return length;
}

bool DiffersOnGround(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return a.x != b.x || a.y != b.y;
}

// Within radius of the start or the end point in both x and y.
bool IsNear(const CPLine& piece, const D3DXVECTOR3& point, float radius)
{
    auto within = [&](const D3DXVECTOR3& p) {
        return std::fabs(point.x - p.x) <= radius && std::fabs(point.y - p.y) <= radius;
    };
    return within(piece.start) || within(piece.end);
}

float GroundDistanceSquared(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// One direction of the nearest-piece walk: before its first near piece,
// inside a run of near pieces, or finished after the run.
struct NearWalk {
    enum State { kBefore, kInside, kFinished };

    CPLine* piece;
    State state;

    bool IsFinished() const { return state == kFinished; }
};

struct NearSearch {
    const D3DXVECTOR3& point;
    float radius;
    CPLine* best;
    float bestDistance;

    void Visit(NearWalk& walk)
    {
        if (!IsNear(*walk.piece, point, radius)) {
            if (walk.state == NearWalk::kInside) walk.state = NearWalk::kFinished;
            return;
        }
        walk.state = NearWalk::kInside;
        const float distance = GroundDistanceSquared(point, walk.piece->centre);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = walk.piece;
        }
    }
};

} // namespace

CPSpline::CPSpline()
    : CPGameObject("CPSpline"), m_totalLength(0.0f), m_closed(false), m_drawBlock(new CPRenderObject(this)),
      m_lineCount(0), m_lastFound(nullptr)
{
    Clear();
}

// The draw block is the spline's own.
CPSpline::~CPSpline()
{
    CPRenderObject* block = m_drawBlock.Get();
    m_drawBlock = nullptr;
    delete block;
}

bool CPSpline::Load(CPDataFile& file)
{
    // The computer drivers following this spline remember one of the pieces
    // that are about to go.
    if (AIManager* drivers = GetAIManager()) drivers->ForgetPiecesOf(this);
    Clear();
    file.ReadString(m_name);
    m_closed = file.ReadInt() != 0;
    if (!ReadSegments(file)) {
        Clear();
        return false;
    }
    Sample();
    return true;
}

bool CPSpline::ReadSegments(CPDataFile& file)
{
    const int32_t count = file.ReadInt();
    if (file.HasReadError() || count < 0 || static_cast<size_t>(count) > file.GetBytesLeft() / kSegmentBytes) {
        return false;
    }
    m_segments.resize(static_cast<size_t>(count));
    for (Segment& segment : m_segments) {
        // The file gives start, end, first and second control point.
        static const int kFileOrder[4] = {0, 3, 1, 2};
        for (int index : kFileOrder) {
            D3DXVECTOR3& point = segment.points[index];
            point.x = file.ReadFloat();
            point.y = file.ReadFloat();
            point.z = file.ReadFloat();
        }
        segment.length = ChordLength(segment);
        m_totalLength += segment.length;
    }
    return !file.HasReadError() && std::isfinite(m_totalLength) && m_totalLength <= kMaxTotalLength;
}

void CPSpline::EvaluateAt(const Segment& segment, float distance, D3DXVECTOR3& position, D3DXVECTOR3& direction)
{
    const float t = segment.length > 0.0f ? distance / segment.length : 0.0f;
    position = CurveAt(segment, t);
    direction = CurveAt(segment, t + kDirectionStep) - position;
}

bool CPSpline::PointAt(float distance, D3DXVECTOR3& point) const
{
    if (!m_closed && distance > m_totalLength) return false;
    // Wrapped round a closed path in one step: a path far shorter than a
    // piece would take countless subtractions, or never finish them once
    // the length is below the distance's rounding step.
    if (distance > m_totalLength) {
        distance = std::fmod(distance, m_totalLength);
        if (distance == 0.0f) distance = m_totalLength;
    }
    D3DXVECTOR3 direction;
    for (const Segment& segment : m_segments) {
        if (distance <= segment.length) {
            EvaluateAt(segment, distance, point, direction);
            return true;
        }
        distance -= segment.length;
    }
    // Rounding in the sum of the lengths can leave a sliver past the last
    // segment: that is its end.
    const Segment& last = m_segments.back();
    EvaluateAt(last, last.length, point, direction);
    return true;
}

// Pieces start every kPieceLength of path; a step whose end point does not
// move away from its start on the ground completes no piece, and the
// current piece waits for the next step.
void CPSpline::Sample()
{
    if (!(m_totalLength > 0.0f)) return;
    m_pieces.emplace_back(new CPLine());
    CPLine* last = nullptr;
    D3DXVECTOR3 point(0.0f, 0.0f, 0.0f);
    for (int step = 0;; ++step) {
        const float distance = static_cast<float>(step) * kPieceLength;
        if (!(distance < m_totalLength)) break;
        PointAt(distance, point);
        const D3DXVECTOR3 start = point;
        PointAt(distance + kPieceLength, point);
        GrowBox(start);
        GrowBox(point);
        if (DiffersOnGround(start, point)) last = CompletePiece(start, point);
    }
    CloseRing(last);
    RefPtr<CPMaterial> material;
    if (CPMaterialManager* manager = GetMaterialManager()) {
        manager->CreateMaterial(material, kDrawMaterialType, kDrawEffect, std::vector<std::string>(1, kDrawTexture));
    }
    m_drawBlock->SetMaterial(material);
}

CPLine* CPSpline::CompletePiece(const D3DXVECTOR3& start, const D3DXVECTOR3& end)
{
    CPLine* current = m_pieces.back().get();
    current->SetPoints(start, end);
    AddToDrawBlock(*current);
    std::unique_ptr<CPLine> fresh(new CPLine());
    current->next = fresh.get();
    fresh->previous = current;
    m_pieces.push_back(std::move(fresh));
    ++m_lineCount;
    return current;
}

// The first piece and the last completed one close the ring; the fresh
// piece after the last stays outside it.
void CPSpline::CloseRing(CPLine* last)
{
    if (!last) return;
    m_pieces.front()->previous = last;
    last->next = m_pieces.front().get();
}

void CPSpline::GrowBox(const D3DXVECTOR3& point)
{
    D3DXVec3Minimize(&m_boxMin, &m_boxMin, &point);
    D3DXVec3Maximize(&m_boxMax, &m_boxMax, &point);
}

// Each piece is drawn as a degenerate triangle (start, end, end).
void CPSpline::AddToDrawBlock(const CPLine& piece)
{
    std::vector<Vertex48>& vertices = m_drawBlock->GetLocalVertices();
    std::vector<uint16_t>& indices = m_drawBlock->GetIndices();
    for (const D3DXVECTOR3* position : {&piece.start, &piece.end, &piece.end}) {
        Vertex48 vertex = {};
        vertex.position = *position;
        indices.push_back(static_cast<uint16_t>(vertices.size()));
        vertices.push_back(vertex);
    }
}

void CPSpline::DropToGround()
{
    CPCarWorld* world = GetCarWorld();
    if (!world) return;
    for (const std::unique_ptr<CPLine>& piece : m_pieces) {
        for (D3DXVECTOR3* point : {&piece->start, &piece->end, &piece->centre}) {
            point->z = world->GetGroundHeight(*point);
        }
    }
}

// Both walks leave the remembered piece at once, one piece a pass; each
// stops at the first piece that is not near after a run of near ones, and
// the search ends when both have stopped or the walks meet.
float CPSpline::FindNearestLine(const D3DXVECTOR3& point, float& radius, int stepsBack, CPLine*& remembered)
{
    CPLine* origin = remembered ? remembered : GetFirstLine();
    if (!origin) return 0.0f;
    NearSearch search = {point, radius, origin, kSearchBoundRadii * radius};
    NearWalk forward = {origin, NearWalk::kBefore};
    search.Visit(forward);
    NearWalk backward = forward;
    for (;;) {
        if (forward.IsFinished() && backward.IsFinished()) break;
        if (!forward.IsFinished()) {
            forward.piece = forward.piece->next;
            if (forward.piece == backward.piece) break;
            search.Visit(forward);
        }
        if (!backward.IsFinished()) {
            backward.piece = backward.piece->previous;
            if (backward.piece == forward.piece) break;
            search.Visit(backward);
        }
    }
    remembered = search.best;
    m_lastFound = search.best;
    CPLine* piece = search.best;
    for (int step = 0; step < stepsBack; ++step) piece = piece->previous;
    radius = piece->DistanceFromLine(point);
    return piece->heading;
}

void CPSpline::Clear()
{
    m_segments.clear();
    m_totalLength = 0.0f;
    m_pieces.clear();
    m_lineCount = 0;
    m_lastFound = nullptr;
    m_boxMin = D3DXVECTOR3(kBoxStart, kBoxStart, kBoxStart);
    m_boxMax = D3DXVECTOR3(-kBoxStart, -kBoxStart, -kBoxStart);
    m_drawBlock->GetLocalVertices().clear();
    m_drawBlock->GetIndices().clear();
}
