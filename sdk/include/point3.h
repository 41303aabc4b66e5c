#pragma once
// A point or direction in three dimensions.

#include "coreexp.h"

#include <cmath>

class Point3 {
public:
    float x, y, z;
    Point3() = default;
    constexpr Point3(float X, float Y, float Z) : x(X), y(Y), z(Z) {}
    float Length() const { return std::sqrt(x * x + y * y + z * z); }
    constexpr Point3 operator-() const { return Point3(-x, -y, -z); }
    constexpr Point3 operator+(const Point3& p) const { return Point3(x + p.x, y + p.y, z + p.z); }
    constexpr Point3 operator-(const Point3& p) const { return Point3(x - p.x, y - p.y, z - p.z); }
    constexpr Point3 operator*(float f) const { return Point3(x * f, y * f, z * f); }
    constexpr int operator==(const Point3& p) const { return x == p.x && y == p.y && z == p.z; }
    constexpr int operator!=(const Point3& p) const { return !(*this == p); }
};
