#pragma once

#include <d3dx9math.h>

// One straight piece of a sampled spline. The pieces of a spline form a
// closed ring through previous and next, in the order they were sampled.
// Each piece keeps its ground-plane line equation, so that a x + b y + c is
// the signed distance of a ground point from its line, its heading and the
// box and centre of its two end points.
class CPLine {
public:
    CPLine();
    virtual ~CPLine() = default;
    CPLine(const CPLine&) = delete;
    CPLine& operator=(const CPLine&) = delete;

    virtual const char* GetTypeName() { return "CPLine"; }

    // Sets the end points and everything derived from them. The end points
    // must differ in x or y.
    void SetPoints(const D3DXVECTOR3& startPoint, const D3DXVECTOR3& endPoint);
    // The signed ground-plane distance of the point from the piece's line.
    float DistanceFromLine(const D3DXVECTOR3& point) const { return a * point.x + b * point.y + c; }
    // The ground-plane length from start to end.
    float GroundLength() const;

    bool flag;
    D3DXVECTOR3 start;
    D3DXVECTOR3 end;
    D3DXVECTOR3 boxMin;
    D3DXVECTOR3 boxMax;
    D3DXVECTOR3 centre;
    // Radians in [0, 2 pi): pi plus the angle of the piece's direction from the x axis.
    float heading;
    float a;
    float b;
    float c;
    CPLine* previous;
    CPLine* next;
};
