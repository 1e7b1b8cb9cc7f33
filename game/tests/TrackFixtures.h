#pragma once

#include "game/tests/SplineFixtures.h"
#include "physics/tests/CarTestSupport.h"

#include <cmath>

namespace track_test {

const float kTwoPi = 6.28318531f;

// A flat ring road around the origin and its route: a circle along the
// road's middle, sampled counter-clockwise seen from above.
struct Track {
    float radius;
    float halfWidth;
    car_test::RoadMesh road;
    spline_test::SplineShape route;

    float Length() const { return kTwoPi * radius; }
    // The point on the middle of the road at the angle from the +x axis.
    D3DXVECTOR3 PointAt(float angle, float height) const
    {
        return D3DXVECTOR3(radius * std::cos(angle), radius * std::sin(angle), height);
    }
    bool IsOnRoad(const D3DXVECTOR3& p) const
    {
        const float fromCentre = std::sqrt(p.x * p.x + p.y * p.y);
        return std::fabs(fromCentre - radius) <= halfWidth && p.z > -1.0f;
    }
};

// A ring of the given middle radius cut into quads: segments round the
// ring, each cut into lanes across the road's width.
inline Track RingTrack(float radius, float halfWidth, int segments, int lanes = 1)
{
    Track track{radius, halfWidth, car_test::RoadMesh(), spline_test::CirclePath(D3DXVECTOR3(0, 0, 0), radius)};
    auto at = [](float r, float angle) { return D3DXVECTOR3(r * std::cos(angle), r * std::sin(angle), 0.0f); };
    const float laneWidth = 2.0f * halfWidth / lanes;
    for (int i = 0; i < segments; ++i) {
        const float a0 = kTwoPi * i / segments;
        const float a1 = kTwoPi * (i + 1) / segments;
        for (int lane = 0; lane < lanes; ++lane) {
            const float inner = radius - halfWidth + lane * laneWidth;
            const float outer = inner + laneWidth;
            track.road.AddQuad(at(inner, a0), at(outer, a0), at(outer, a1), at(inner, a1));
        }
    }
    return track;
}

// The angle a point has turned through around the origin, unwrapped, so
// a lap shows as 2 pi either way round.
class AngleTracker {
public:
    explicit AngleTracker(const D3DXVECTOR3& start) : m_last(std::atan2(start.y, start.x)), m_total(0.0f) {}
    void Follow(const D3DXVECTOR3& p)
    {
        const float angle = std::atan2(p.y, p.x);
        float step = angle - m_last;
        if (step > kTwoPi / 2) step -= kTwoPi;
        if (step < -kTwoPi / 2) step += kTwoPi;
        m_total += step;
        m_last = angle;
    }
    float Total() const { return m_total; }

private:
    float m_last;
    float m_total;
};

} // namespace track_test
