#include "physics/PBroadPhase.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

CPBroadPhase::CPBroadPhase()
    : m_allocator(nullptr), m_capacity(0), m_endPoints(), m_endPointCount(0), m_positions(nullptr),
      m_boxes(nullptr), m_contained(nullptr), m_unsorted(false)
{
}

CPBroadPhase::~CPBroadPhase()
{
    if (!m_allocator) return;
    for (EndPoint* points : m_endPoints) m_allocator->Free(points);
    m_allocator->Free(m_positions);
    m_allocator->Free(m_boxes);
    m_allocator->Free(m_contained);
}

bool CPBroadPhase::Create(IPAllocator* allocator, int capacity)
{
    m_allocator = allocator;
    m_capacity = capacity > 0 ? capacity : 0;
    const size_t n = static_cast<size_t>(m_capacity);
    for (EndPoint*& points : m_endPoints) {
        points = static_cast<EndPoint*>(allocator->Allocate(sizeof(EndPoint) * (2 * n + 1)));
    }
    m_positions = static_cast<int*>(allocator->Allocate(sizeof(int) * (2 * kAxisCount * n + 1)));
    m_boxes = static_cast<float*>(allocator->Allocate(sizeof(float) * (2 * kAxisCount * n + 1)));
    m_contained = static_cast<uint8_t*>(allocator->Allocate(n + 1));
    bool ok = m_positions && m_boxes && m_contained;
    for (EndPoint* points : m_endPoints) ok = ok && points;
    if (!ok) return false;
    std::memset(m_contained, 0, n + 1);
    return true;
}

size_t CPBroadPhase::PairIndex(int a, int b) const
{
    if (a > b) {
        const int swap = a;
        a = b;
        b = swap;
    }
    const size_t low = static_cast<size_t>(a);
    return low * (2 * static_cast<size_t>(m_capacity) - low - 1) / 2 + static_cast<size_t>(b - a - 1);
}

bool CPBroadPhase::AreOverlapping(int a, int b) const
{
    return a != b && m_pairSlots.count(PairIndex(a, b)) != 0;
}

// Touching counts as overlapping, as a minimum sorts before a maximum of the
// same value.
bool CPBroadPhase::BoxesOverlap(int a, int b) const
{
    const float* boxA = m_boxes + 2 * kAxisCount * a;
    const float* boxB = m_boxes + 2 * kAxisCount * b;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        if (boxA[axis] > boxB[kAxisCount + axis] || boxB[axis] > boxA[kAxisCount + axis]) return false;
    }
    return true;
}

void CPBroadPhase::StoreBox(int body, const float minimum[kAxisCount], const float maximum[kAxisCount])
{
    float* box = m_boxes + 2 * kAxisCount * body;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        box[axis] = minimum[axis];
        box[kAxisCount + axis] = maximum[axis];
    }
}

void CPBroadPhase::Add(int body, const float minimum[kAxisCount], const float maximum[kAxisCount])
{
    if (Contains(body)) return;
    if (m_unsorted) Sweep();
    m_contained[body] = 1;
    StoreBox(body, minimum, maximum);
    // Both ends start beyond every other end point and sink to their places,
    // linking the body with each box it overlaps on the way.
    const int last = m_endPointCount;
    m_endPointCount += 2;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        EndPoint* points = m_endPoints[axis];
        points[last] = EndPoint{FLT_MAX, body, true};
        points[last + 1] = EndPoint{FLT_MAX, body, false};
        PositionOf(axis, body, true) = last;
        PositionOf(axis, body, false) = last + 1;
        points[last].value = minimum[axis];
        SinkDown(axis, last);
        points[PositionOf(axis, body, false)].value = maximum[axis];
        SinkDown(axis, PositionOf(axis, body, false));
    }
}

void CPBroadPhase::Remove(int body)
{
    if (!Contains(body)) return;
    // The pairs that name the body go after its end points.
    for (int axis = 0; axis < kAxisCount; ++axis) TakeOutEndPoints(axis, body);
    m_endPointCount -= 2;
    // Unlinking moves the last pair into the freed place, which this walk
    // from the back has already seen.
    for (size_t i = m_pairs.size(); i-- > 0;) {
        const PBroadPhasePair pair = m_pairs[i];
        if (pair.first == body || pair.second == body) UnlinkPair(PairIndex(pair.first, pair.second));
    }
    m_contained[body] = 0;
}

// The end points after the body's close up over its two, keeping their
// order. Found by their places, not their values: another box may end at
// the float limit or at infinity too.
void CPBroadPhase::TakeOutEndPoints(int axis, int body)
{
    EndPoint* points = m_endPoints[axis];
    int kept = std::min(PositionOf(axis, body, true), PositionOf(axis, body, false));
    for (int i = kept; i < m_endPointCount; ++i) {
        if (points[i].owner == body) continue;
        points[kept] = points[i];
        PositionOf(axis, points[kept].owner, points[kept].isMinimum) = kept;
        ++kept;
    }
}

void CPBroadPhase::SetBounds(int body, const float minimum[kAxisCount], const float maximum[kAxisCount])
{
    if (!Contains(body)) return;
    m_unsorted = true;
    StoreBox(body, minimum, maximum);
    for (int axis = 0; axis < kAxisCount; ++axis) {
        m_endPoints[axis][PositionOf(axis, body, true)].value = minimum[axis];
        m_endPoints[axis][PositionOf(axis, body, false)].value = maximum[axis];
    }
}

void CPBroadPhase::Sweep()
{
    for (int axis = 0; axis < kAxisCount; ++axis) {
        // Insertion sort: the lists are nearly sorted from the last step.
        for (int i = 1; i < m_endPointCount; ++i) SinkDown(axis, i);
    }
    m_unsorted = false;
}

void CPBroadPhase::SinkDown(int axis, int index)
{
    EndPoint* points = m_endPoints[axis];
    while (index > 0 && Less(points[index], points[index - 1])) {
        SwapDown(axis, index);
        --index;
    }
}

// The end point at index passes the one before it. A minimum passing a
// maximum starts an overlap on this axis, which makes a pair when the stored
// boxes overlap on every axis; a maximum passing a minimum ends one. The
// boxes are judged by their stored values, which a sweep has all of before
// it sorts, so a pair met again on a later axis is linked once.
void CPBroadPhase::SwapDown(int axis, int index)
{
    EndPoint* points = m_endPoints[axis];
    EndPoint moving = points[index];
    EndPoint passed = points[index - 1];
    if (moving.owner != passed.owner && moving.isMinimum != passed.isMinimum) {
        const size_t pair = PairIndex(moving.owner, passed.owner);
        if (!moving.isMinimum) UnlinkPair(pair);
        else if (BoxesOverlap(moving.owner, passed.owner)) LinkPair(moving.owner, passed.owner, pair);
    }
    points[index - 1] = moving;
    points[index] = passed;
    PositionOf(axis, moving.owner, moving.isMinimum) = index - 1;
    PositionOf(axis, passed.owner, passed.isMinimum) = index;
}

void CPBroadPhase::LinkPair(int a, int b, size_t index)
{
    if (!m_pairSlots.emplace(index, static_cast<int>(m_pairs.size())).second) return;
    m_pairs.push_back(a < b ? PBroadPhasePair{a, b} : PBroadPhasePair{b, a});
}

void CPBroadPhase::UnlinkPair(size_t index)
{
    auto slot = m_pairSlots.find(index);
    if (slot == m_pairSlots.end()) return;
    const int place = slot->second;
    m_pairSlots.erase(slot);
    const PBroadPhasePair moved = m_pairs.back();
    m_pairs.pop_back();
    if (place < static_cast<int>(m_pairs.size())) {
        m_pairs[place] = moved;
        m_pairSlots[PairIndex(moved.first, moved.second)] = place;
    }
}
