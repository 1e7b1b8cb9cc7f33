#pragma once

#include <d3dx9math.h>

#include <cmath>

// Small inline vector helpers for the simulator's inner loops; the D3DX
// library functions behind a DLL call are too slow there. A squared length
// below 1e-6 counts as length 0 wherever a vector is measured or normalised.

const float kZeroLengthSquared = 1e-6f;

inline float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

inline float LengthSquared(const D3DXVECTOR3& v) { return Dot(v, v); }

inline float Length(const D3DXVECTOR3& v)
{
    const float squared = LengthSquared(v);
    return squared < kZeroLengthSquared ? 0.0f : std::sqrt(squared);
}

inline D3DXVECTOR3 Normalised(const D3DXVECTOR3& v)
{
    const float length = Length(v);
    return length == 0.0f ? D3DXVECTOR3(0.0f, 0.0f, 0.0f) : v / length;
}

inline D3DXVECTOR3 Abs(const D3DXVECTOR3& v) { return D3DXVECTOR3(std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)); }

inline float Component(const D3DXVECTOR3& v, int axis) { return (&v.x)[axis]; }

inline bool IsFinite(const D3DXVECTOR3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Any unit vector at right angles to the unit vector n.
inline D3DXVECTOR3 Perpendicular(const D3DXVECTOR3& n)
{
    const D3DXVECTOR3 helper = std::fabs(n.x) < 0.57f ? D3DXVECTOR3(1, 0, 0) : D3DXVECTOR3(0, 1, 0);
    return Normalised(Cross(n, helper));
}

// A rotation as three column vectors: world = column[0] * x + column[1] * y
// + column[2] * z.
struct PMatrix3 {
    D3DXVECTOR3 column[3];

    static PMatrix3 Identity()
    {
        PMatrix3 m;
        m.column[0] = D3DXVECTOR3(1, 0, 0);
        m.column[1] = D3DXVECTOR3(0, 1, 0);
        m.column[2] = D3DXVECTOR3(0, 0, 1);
        return m;
    }

    D3DXVECTOR3 Apply(const D3DXVECTOR3& v) const { return column[0] * v.x + column[1] * v.y + column[2] * v.z; }

    D3DXVECTOR3 ApplyTransposed(const D3DXVECTOR3& v) const
    {
        return D3DXVECTOR3(Dot(column[0], v), Dot(column[1], v), Dot(column[2], v));
    }

    PMatrix3 operator*(const PMatrix3& other) const
    {
        PMatrix3 m;
        for (int i = 0; i < 3; ++i) m.column[i] = Apply(other.column[i]);
        return m;
    }
};

// The rotation of a unit quaternion.
inline PMatrix3 RotationOf(const D3DXQUATERNION& q)
{
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    PMatrix3 m;
    m.column[0] = D3DXVECTOR3(1 - 2 * (yy + zz), 2 * (xy + wz), 2 * (xz - wy));
    m.column[1] = D3DXVECTOR3(2 * (xy - wz), 1 - 2 * (xx + zz), 2 * (yz + wx));
    m.column[2] = D3DXVECTOR3(2 * (xz + wy), 2 * (yz - wx), 1 - 2 * (xx + yy));
    return m;
}

// A quaternion scaled to unit length; false when it has no direction or a
// component that is no finite number, so the caller can keep its rotation.
inline bool NormaliseQuaternion(D3DXQUATERNION& q)
{
    const float squared = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    if (!(squared >= kZeroLengthSquared) || !std::isfinite(squared)) return false;
    const float scale = 1.0f / std::sqrt(squared);
    q = D3DXQUATERNION(q.x * scale, q.y * scale, q.z * scale, q.w * scale);
    return true;
}

inline D3DXQUATERNION QuaternionProduct(const D3DXQUATERNION& a, const D3DXQUATERNION& b)
{
    return D3DXQUATERNION(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                          a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                          a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
}

// A symmetric 3 x 3 matrix: the inverse world inertia.
struct PSymmetric3 {
    float xx, yy, zz, xy, xz, yz;

    D3DXVECTOR3 Apply(const D3DXVECTOR3& v) const
    {
        return D3DXVECTOR3(xx * v.x + xy * v.y + xz * v.z, xy * v.x + yy * v.y + yz * v.z,
                           xz * v.x + yz * v.y + zz * v.z);
    }

    // rotation × diag(d) × rotation transposed
    static PSymmetric3 Rotated(const PMatrix3& r, const D3DXVECTOR3& d)
    {
        const D3DXVECTOR3& a = r.column[0];
        const D3DXVECTOR3& b = r.column[1];
        const D3DXVECTOR3& c = r.column[2];
        PSymmetric3 m;
        m.xx = a.x * a.x * d.x + b.x * b.x * d.y + c.x * c.x * d.z;
        m.yy = a.y * a.y * d.x + b.y * b.y * d.y + c.y * c.y * d.z;
        m.zz = a.z * a.z * d.x + b.z * b.z * d.y + c.z * c.z * d.z;
        m.xy = a.x * a.y * d.x + b.x * b.y * d.y + c.x * c.y * d.z;
        m.xz = a.x * a.z * d.x + b.x * b.z * d.y + c.x * c.z * d.z;
        m.yz = a.y * a.z * d.x + b.y * b.z * d.y + c.y * c.z * d.z;
        return m;
    }
};
