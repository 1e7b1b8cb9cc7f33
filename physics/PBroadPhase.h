#pragma once

#include "physics/PAllocator.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

// One pair of bodies whose boxes overlap, by their numbers (first < second).
struct PBroadPhasePair {
    int first;
    int second;
};

// Sort-and-sweep over the world axes: per axis, the end points of every
// body's interval kept sorted. An overlap can only begin where a minimum
// passes a maximum and only end where a maximum passes a minimum, so only
// those passes look at the pair: a beginning links it when the two boxes
// overlap on every axis, an ending unlinks it. Nothing is kept per pair but
// the pair list and its index, so the memory a sweep touches grows with the
// bodies, not with their pairs. Bodies are named by numbers below the
// capacity.
class CPBroadPhase {
public:
    static const int kAxisCount = 3;

    CPBroadPhase();
    ~CPBroadPhase();
    CPBroadPhase(const CPBroadPhase&) = delete;
    CPBroadPhase& operator=(const CPBroadPhase&) = delete;

    // Allocates the tables for bodies numbered 0 to capacity − 1; false when
    // the allocator fails.
    bool Create(IPAllocator* allocator, int capacity);

    // Enters a body with its box; overlaps with bodies already in are found at
    // once. Boxes set since the last sweep are swept in first, since the new
    // body finds its place only in sorted lists.
    void Add(int body, const float minimum[kAxisCount], const float maximum[kAxisCount]);
    // Takes a body out together with every pair that names it.
    void Remove(int body);
    bool Contains(int body) const { return m_contained[body] != 0; }
    // Stores a body's new box; the next sweep sorts it in. A body that is not
    // in is left alone: Add gives it its box.
    void SetBounds(int body, const float minimum[kAxisCount], const float maximum[kAxisCount]);
    // Re-sorts every axis, updating the axis bits and the pair list.
    void Sweep();

    const std::vector<PBroadPhasePair>& GetPairs() const { return m_pairs; }
    bool AreOverlapping(int a, int b) const;
    int GetCapacity() const { return m_capacity; }

private:
    struct EndPoint {
        float value;
        int owner;
        bool isMinimum;
    };

    static bool Less(const EndPoint& a, const EndPoint& b)
    {
        return a.value < b.value || (a.value == b.value && a.isMinimum && !b.isMinimum);
    }

    size_t PairIndex(int a, int b) const;
    void SwapDown(int axis, int index);
    void SinkDown(int axis, int index);
    void TakeOutEndPoints(int axis, int body);
    bool BoxesOverlap(int a, int b) const;
    void StoreBox(int body, const float minimum[kAxisCount], const float maximum[kAxisCount]);
    void LinkPair(int a, int b, size_t index);
    void UnlinkPair(size_t index);
    int& PositionOf(int axis, int body, bool isMinimum) { return m_positions[(body * kAxisCount + axis) * 2 + (isMinimum ? 0 : 1)]; }

    IPAllocator* m_allocator;
    int m_capacity;
    EndPoint* m_endPoints[kAxisCount];
    int m_endPointCount;
    int* m_positions;
    // Per body its minimum and then its maximum, as last stored.
    float* m_boxes;
    uint8_t* m_contained;
    // Whether boxes were set since the last sweep, leaving the lists unsorted.
    bool m_unsorted;
    std::vector<PBroadPhasePair> m_pairs;
    std::unordered_map<size_t, int> m_pairSlots;
};
