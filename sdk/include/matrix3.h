#pragma once
// Four rows of three floats (the last row is the translation) and flags that say which parts are
// known to be the identity.

#include "point3.h"

#include <cstdint>

class Matrix3 {
public:
    /// The identity.
    Matrix3() { IdentityMatrix(); }
    void SetIdentFlags(uint32_t f) { flags = f; }
    uint32_t GetIdentFlags() const { return flags; }
    void IdentityMatrix() {
        m[0] = Point3(1, 0, 0);
        m[1] = Point3(0, 1, 0);
        m[2] = Point3(0, 0, 1);
        m[3] = Point3(0, 0, 0);
        flags = 0;
    }
    Point3 GetRow(int i) const { return m[i]; }
    void SetRow(int i, Point3 p) { m[i] = p; }
    const Point3& operator[](int i) const { return m[i]; }
    /// A direction through the 3x3 part (a row vector times the matrix).
    Point3 VectorTransform(const Point3& p) const { return m[0] * p.x + m[1] * p.y + m[2] * p.z; }
    Point3 PointTransform(const Point3& p) const { return VectorTransform(p) + m[3]; }
    int operator==(const Matrix3& M) const {
        return m[0] == M.m[0] && m[1] == M.m[1] && m[2] == M.m[2] && m[3] == M.m[3] &&
               flags == M.flags;
    }
    bool operator!=(const Matrix3& M) const { return !(*this == M); }

private:
    Point3 m[4];
    uint32_t flags = 0;
};
