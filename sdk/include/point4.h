#pragma once
// Four floats: a point in homogeneous coordinates or a colour with alpha.

class Point4 {
public:
    float x, y, z, w;
    Point4() = default;
    constexpr Point4(float X, float Y, float Z, float W) : x(X), y(Y), z(Z), w(W) {}
    constexpr int operator==(const Point4& p) const {
        return x == p.x && y == p.y && z == p.z && w == p.w;
    }
    constexpr int operator!=(const Point4& p) const { return !(*this == p); }
};
